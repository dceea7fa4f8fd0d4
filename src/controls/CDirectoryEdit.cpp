#include "controls/CDirectoryEdit.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QPixmap>
#include <QToolButton>

static void InitBitmapsResource()
{
    Q_INIT_RESOURCE(StandardIcons);
}

namespace {

const QString RootFolder = QStringLiteral("\\");

// The folder image of the button: "SB_STD_OPEN" when the program holds one, else "FEDITBMP".
QIcon FolderGlyph()
{
    InitBitmapsResource();
    for (const QString &name :
         {QStringLiteral(":/BITMAPS/SB_STD_OPEN"), QStringLiteral(":/BITMAPS/FEDITBMP")}) {
        const QImage image(name);
        if (!image.isNull())
            return QIcon(QPixmap::fromImage(image));
    }
    return QIcon();
}

// "\" is the root of the current drive in the texts the program keeps; here it is the file system root.
QString DialogFolder(const QString &folder)
{
    return folder == RootFolder ? QDir::rootPath() : folder;
}

} // namespace

TDirectoryEdit::TDirectoryEdit(QWidget *parent) : QLineEdit(parent)
{
    FButton = new QToolButton(this);
    FButton->setAutoRaise(true);
    FButton->setCursor(Qt::ArrowCursor);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->setIcon(FolderGlyph());
    connect(FButton, &QToolButton::clicked, this, &TDirectoryEdit::ButtonClick);
    LayoutButton();
}

QString TDirectoryEdit::StartFolder() const
{
    QString folder = text();
    if (folder.isEmpty())
        folder = FInitialDir.isEmpty() ? RootFolder : FInitialDir;
    if (folder != RootFolder && !QFileInfo(folder).isDir())
        folder = RootFolder;
    return folder;
}

void TDirectoryEdit::ButtonClick()
{
    QFileDialog dialog(this, FDialogText);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(DialogFolder(StartFolder()));
    if (OnDialogShow)
        OnDialogShow(&dialog);
    const bool confirmed = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (isEnabled() && !hasFocus())
        setFocus(Qt::OtherFocusReason);
    if (!confirmed)
        return;
    // Shown as the program shows the folders it finds itself: with the system's separators.
    const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().first());
    deselect();
    if (FMultipleDirs && !text().isEmpty())
        setText(text() + QLatin1Char(';') + chosen);
    else
        setText(chosen);
}

void TDirectoryEdit::keyPressEvent(QKeyEvent *event)
{
    const QKeySequence pressed(event->keyCombination());
    if (!FClickKey.isEmpty() && pressed == FClickKey && FButton->width() > 0) {
        ButtonClick();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDirectoryEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    LayoutButton();
}

void TDirectoryEdit::LayoutButton()
{
    const QRect client = contentsRect();
    FButton->setGeometry(client.right() + 1 - ButtonWidth, client.top(), ButtonWidth, client.height());
    setTextMargins(0, 0, ButtonWidth + 2, 0);
}
