#include "app/RunProgressPanel.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

// The bar counts in tenths of a percent: a 360 MB file moves it every 360 kB.
constexpr int BarSteps = 1000;

} // namespace

TRunProgressPanel::TRunProgressPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("RunProgress"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFixedSize(380, 104);

    FLACaption = new QLabel(this);
    FLACaption->setObjectName(QStringLiteral("LACaption"));
    FLACaption->setTextFormat(Qt::PlainText);
    FPBRead = new QProgressBar(this);
    FPBRead->setObjectName(QStringLiteral("PBRead"));
    FPBRead->setFormat(QStringLiteral("%p %"));
    FBBCancel = new QPushButton(this);
    FBBCancel->setObjectName(QStringLiteral("BBCancel"));
    connect(FBBCancel, &QPushButton::clicked, this, [this] { BBCancelClick(); });
    // Wherever the focus is in the window: the panel appears without taking it.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { BBCancelClick(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addWidget(FLACaption);
    layout->addWidget(FPBRead);
    layout->addWidget(FBBCancel, 0, Qt::AlignHCenter);
    Reset(QString());
}

void TRunProgressPanel::Reset(const QString &mapFileName)
{
    FFileName = QFileInfo(mapFileName).fileName();
    FBBCancel->setEnabled(true);
    FBBCancel->setText(QStringLiteral("Cancel"));
    SetProgress(0, 0);
}

void TRunProgressPanel::SetProgress(qint64 Done, qint64 Total)
{
    if (Total <= 0) {
        FLACaption->setText(QStringLiteral("Loading %1...").arg(FFileName));
        // A busy bar: how long the loading takes is not known.
        FPBRead->setRange(0, 0);
        return;
    }
    FPBRead->setRange(0, BarSteps);
    FPBRead->setValue(int(double(std::min(Done, Total)) / double(Total) * BarSteps));
    FLACaption->setText(Done < Total ? QStringLiteral("Reading %1...").arg(FFileName)
                                     : QStringLiteral("Sorting the symbols of %1...").arg(FFileName));
}

void TRunProgressPanel::SetWriting(const QString &FileName)
{
    FLACaption->setText(QStringLiteral("Writing %1...").arg(QFileInfo(FileName).fileName()));
    FPBRead->setRange(0, 0);
}

bool TRunProgressPanel::Cancelled() const
{
    return !FBBCancel->isEnabled();
}

void TRunProgressPanel::BBCancelClick()
{
    if (Cancelled())
        return;
    FBBCancel->setEnabled(false);
    FBBCancel->setText(QStringLiteral("Cancelling..."));
    if (OnCancel)
        OnCancel();
}
