#pragma once
// A small drop-down button listing recently used files, newest first, kept in the user's settings
// under one value name. Choosing an entry hands it to OnFileChosen; the last item clears the list.

#include <QString>
#include <QStringList>
#include <QToolButton>

#include <functional>

class TRecentFilesButton : public QToolButton
{
    Q_OBJECT
public:
    static constexpr int Capacity = 10;

    // settingsName: the value that holds the list in the program's settings.
    TRecentFilesButton(const QString &settingsName, QWidget *parent = nullptr);

    QStringList Files() const;
    // Puts the file first; an entry already listed moves up, the oldest beyond the capacity goes.
    void Add(const QString &fileName);
    void Clear();

    std::function<void(const QString &fileName)> OnFileChosen;

private:
    void Store(const QStringList &files);
    void FillMenu();

    QString FSettingsName;
};
