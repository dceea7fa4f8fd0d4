#include "app/FScanFilesAbort.h"

#include <QLabel>
#include <QPushButton>

namespace {

const QString ArmedCaption = QStringLiteral("This is taking too long... abort!");

QFont PixelFont(const QString &family, int pixelHeight)
{
    QFont font(family);
    font.setPixelSize(pixelHeight);
    return font;
}

} // namespace

TScanFilesAbort::TScanFilesAbort(QWidget *mainWindow)
    : QDialog(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("ScanFilesAbort"));
    setWindowTitle(QStringLiteral("Scanning Files..."));
    setModal(false);
    setFixedSize(441, 100);
    setFont(PixelFont(QStringLiteral("Segoe UI"), 12));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    FLACurrentDirectory = new QLabel(this);
    FLACurrentDirectory->setObjectName(QStringLiteral("LACurrentDirectory"));
    FLACurrentDirectory->setTextFormat(Qt::PlainText);
    FLACurrentDirectory->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    FLACurrentDirectory->setFont(PixelFont(QStringLiteral("Arial"), 9));
    FLACurrentDirectory->setGeometry(8, 40, 425, 13);

    // The message begins with a line break so that it stands on the second line, above the folder.
    auto *message = new QLabel(
        QStringLiteral("\r\nQuillon is busily scanning your search path in quest for DCUs..."), this);
    message->setObjectName(QStringLiteral("Label971"));
    message->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    message->setGeometry(rect());
    message->lower();

    FBBAbort = new QPushButton(ArmedCaption, this);
    FBBAbort->setObjectName(QStringLiteral("BBAbort"));
    FBBAbort->setGeometry(116, 60, 209, 25);
    connect(FBBAbort, &QPushButton::clicked, this, [this] { BBAbortClick(); });
}

void TScanFilesAbort::ResetAbort()
{
    FBBAbort->setEnabled(true);
    FBBAbort->setText(ArmedCaption);
    FLACurrentDirectory->setText(QString());
}

bool TScanFilesAbort::Aborted() const
{
    return !FBBAbort->isEnabled();
}

void TScanFilesAbort::BBAbortClick()
{
    FBBAbort->setEnabled(false);
    FBBAbort->setText(QStringLiteral("Aborting..."));
}

void TScanFilesAbort::showEvent(QShowEvent *event)
{
    if (const QWidget *mainWindow = parentWidget())
        move(mainWindow->frameGeometry().center() -
             QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    QDialog::showEvent(event);
}
