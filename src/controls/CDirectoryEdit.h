#pragma once
// The folder field: a button (or Alt+Down) opens the folder browser, starting at the folder the text
// names, or at the root when it names none.

#include <QKeySequence>
#include <QLineEdit>
#include <QString>
#include <functional>

class QFileDialog;
class QToolButton;

class TDirectoryEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int ButtonWidth = 21;

    explicit TDirectoryEdit(QWidget *parent = nullptr);

    QString DialogText() const { return FDialogText; }
    void SetDialogText(const QString &value) { FDialogText = value; }
    QString InitialDir() const { return FInitialDir; }
    void SetInitialDir(const QString &value) { FInitialDir = value; }
    bool MultipleDirs() const { return FMultipleDirs; }
    void SetMultipleDirs(bool value) { FMultipleDirs = value; }
    QKeySequence ClickKey() const { return FClickKey; }
    void SetClickKey(const QKeySequence &value) { FClickKey = value; }
    QToolButton *Button() const { return FButton; }

    // The folder the browser starts at: the text, else InitialDir, else "\"; "\" when it names no folder.
    QString StartFolder() const;
    // Opens the folder browser; a confirmed folder becomes the text (appended after ";" with
    // MultipleDirs).
    void ButtonClick();

    // Called with the folder browser just before it is shown (tests answer it from here).
    std::function<void(QFileDialog *dialog)> OnDialogShow;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void LayoutButton();

    QString FDialogText;
    QString FInitialDir;
    bool FMultipleDirs = false;
    QKeySequence FClickKey{Qt::ALT | Qt::Key_Down};
    QToolButton *FButton = nullptr;
};
