#pragma once
// Which executable the window reads for the MAP file's build, as quillon-cli's --exe: the one beside
// the MAP file (the default), one the user names, or none. Each MAP file keeps its choice in the
// settings beside the recent files, as it keeps its search folder; a named file keeps its choice
// even when it is gone, so that the view says so rather than silently reading another.

#include "analysis/WholeFile.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;
class QWidget;

class TExecutableSelector : public QObject
{
public:
    // SettingsName: the value that maps each recent MAP file to its choice.
    TExecutableSelector(QWidget *DialogParent, QString SettingsName);

    // "Choose executable…", then "Executable beside the MAP file", "No executable" and the named
    // file, the current one checked; disabled until a MAP file is set.
    QMenu *Menu() const { return FMenu; }
    QAction *ChooseAction() const { return FChoose; }
    QAction *BesideAction() const { return FBeside; }
    QAction *NoneAction() const { return FNone; }
    // The named executable's file name; hidden while none is named.
    QAction *NamedAction() const { return FNamed; }

    const TExecutableChoice &Choice() const { return FChoice; }
    const QString &MapFile() const { return FMapFile; }
    // After a successful run of MapFile: its remembered choice becomes the current one (the file
    // beside it when none is). Only the choices of RecentFiles are kept.
    void SetMapFile(const QString &MapFile, const QStringList &RecentFiles);
    // The user's choice for the current MAP file: kept, then reported through OnChanged.
    void SetChoice(const TExecutableChoice &Choice);
    // Off during a run; on again only with a MAP file.
    void SetEnabled(bool Enabled);
    // The choice as quillon-cli's --exe takes it: empty for the file beside the MAP file.
    static QString ChoiceText(const TExecutableChoice &Choice);

    // Asks for the executable, starting in the folder given; empty: cancelled. A file dialog unless
    // replaced.
    std::function<QString(const QString &StartFolder)> Chooser;
    std::function<void(TExecutableSelector *Sender)> OnChanged;

private:
    void ChooseFile();
    void ShowChoice();

    QString FSettingsName;
    QMenu *FMenu = nullptr;
    QAction *FChoose = nullptr;
    QAction *FBeside = nullptr;
    QAction *FNone = nullptr;
    QAction *FNamed = nullptr;
    QString FMapFile;
    TExecutableChoice FChoice;
};
