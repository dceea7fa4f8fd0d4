#include "controls/UStdMessageDlg.h"

#include "base/Exception.h"
#include "controls/UStandardIcons.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace {

constexpr int MaxTextWidth = 32000;
constexpr int MinButtonWidth = 96;

QSize ScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

// Each line cut with an ellipsis after its last whole word that fits.
QString ElideLines(const QString &text, const QFontMetrics &metrics, int width)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (metrics.horizontalAdvance(line) <= width)
            continue;
        QString cut = metrics.elidedText(line, Qt::ElideRight, width);
        cut.chop(1);
        const qsizetype blank = cut.lastIndexOf(QLatin1Char(' '));
        line = (blank > 0 ? cut.left(blank) : cut) + QChar(0x2026);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TColor BlendColors(TColor a, TColor b, double t)
{
    const TColor from = ColorToRGB(a);
    const TColor to = ColorToRGB(b);
    const auto k = static_cast<std::int64_t>(std::nearbyint(t * (1 << 20)));
    const auto channel = [k](int x, int y) {
        const auto mixed = static_cast<std::uint32_t>((static_cast<std::int64_t>(x) << 20) + (y - x) * k);
        return static_cast<int>(mixed >> 20);
    };
    return RGBColor(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
                    channel(GetBValue(from), GetBValue(to)));
}

TStdMessageDlg::TStdMessageDlg(QWidget *owner) : QDialog(owner) {}

void TStdMessageDlg::SetupWindow()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    QFont dialogFont(QStringLiteral("Segoe UI"));
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, ColorToQColor(clWindow));
    setPalette(windowPalette);
    setAutoFillBackground(true);
}

int TStdMessageDlg::ButtonWidth(const QStringList &buttons) const
{
    const QFontMetrics metrics(font());
    int width = MinButtonWidth;
    for (const QString &caption : buttons)
        width = std::max(width, metrics.horizontalAdvance(caption));
    return width;
}

TStdMessageDlg::TTextExtent TStdMessageDlg::MeasureText() const
{
    const QFontMetrics metrics(font());
    const QRect bounds = metrics.boundingRect(QRect(0, 0, MaxTextWidth, 0), Qt::TextExpandTabs, FDisplayText);
    TTextExtent extent{bounds.width(), bounds.height(), false};
    if (extent.Width > MaxTextWidth) {
        extent.Width = MaxTextWidth;
        extent.Truncated = true;
    }
    extent.Height = std::max(extent.Height, 32);
    return extent;
}

void TStdMessageDlg::Setup(const QStringList &buttons)
{
    QASSERT(!buttons.isEmpty());
    if (FIconName.isEmpty())
        FIconName = QStringLiteral("png_information_blue_32");
    SetupWindow();
    const int n = static_cast<int>(buttons.size());
    const int bw = ButtonWidth(buttons);
    if (!FMessage.isEmpty())
        FDisplayText = TranslateIf(FMessage, FTranslate);

    TTextExtent text = MeasureText();
    const QSize screen = ScreenSize();
    const int w = std::max({100, n * bw + 16, text.Width});
    const int cw = std::min(std::max(n * 100, w + 68), screen.width() * 90 / 128);
    if (cw < text.Width + 68) {
        const int scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QRect wrapped = QFontMetrics(font()).boundingRect(
            QRect(0, 0, cw - scrollBarWidth - 76, 0), Qt::TextExpandTabs | Qt::TextWordWrap, FDisplayText);
        text.Height = std::max(wrapped.height(), 32);
        if (!text.Truncated)
            text.Width = wrapped.width();
    }
    int ch = std::min(screen.height() - 128, std::max(text.Height, 32) + 60);
    if (text.Width + 68 > cw || text.Height + 60 > ch) {
        ch += style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
        FScrollBox = new QScrollArea(this);
        FScrollBox->setGeometry(54, 12, cw - 66, ch - 60);
        FScrollBox->setFont(font());
        FScrollBox->setFrameShape(QFrame::NoFrame);
        FScrollBox->horizontalScrollBar()->setTracking(true);
        FScrollBox->verticalScrollBar()->setTracking(true);
        FScrollBox->setWidgetResizable(false);
    }
    setFixedSize(cw, ch);
    CreateTextLabel(cw, ch, text);
    CreateButtons(buttons, bw, cw, ch);
    move(QGuiApplication::primaryScreen()
             ? QGuiApplication::primaryScreen()->geometry().center() - rect().center()
             : QPoint());
}

void TStdMessageDlg::CreateTextLabel(int clientWidth, int clientHeight, const TTextExtent &text)
{
    FTextLabel = new QLabel;
    FTextLabel->setFont(font());
    FTextLabel->setTextFormat(Qt::PlainText);
    FTextLabel->setAutoFillBackground(false);
    QString shown = FMessage.isEmpty() ? FDisplayText : TranslateIf(FMessage, FTranslate);
    if (text.Truncated)
        shown = ElideLines(shown, QFontMetrics(font()), text.Width);
    FTextLabel->setText(shown);
    const Qt::Alignment vertical = text.Height < 48 ? Qt::AlignVCenter : Qt::AlignTop;
    FTextLabel->setAlignment(Qt::AlignLeft | vertical);
    if (FScrollBox) {
        FTextLabel->setWordWrap(false);
        // The scroll box places its widget at its origin: the text keeps its 2 pixels from the edge inside.
        FTextLabel->setContentsMargins(2, 0, 0, 0);
        FTextLabel->resize(text.Width + 2, text.Height);
        FScrollBox->setWidget(FTextLabel);
        FScrollBox->viewport()->setAutoFillBackground(false);
    } else {
        FTextLabel->setParent(this);
        FTextLabel->setWordWrap(true);
        FTextLabel->setGeometry(56, 12, clientWidth - 68, clientHeight - 60);
    }
    FTextLabel->setVisible(true);
}

void TStdMessageDlg::CreateButtons(const QStringList &buttons, int buttonWidth, int clientWidth,
                                   int clientHeight)
{
    const int n = static_cast<int>(buttons.size());
    const int bw = std::min(buttonWidth, (clientWidth - 32) / n);
    const int gap = std::min(32, (clientWidth - 32 - n * bw) / (n + 1));
    const int x0 = clientWidth - n * (bw + gap) + gap / 2;
    FButtonTop = clientHeight - 36;
    for (int i = 0; i < n; ++i) {
        auto *button = new QPushButton(TranslateIf(buttons[i], {true, dtApplication}), this);
        button->setGeometry(x0 + i * (bw + gap), FButtonTop + 7, bw, 24);
        button->setAutoDefault(false);
        button->installEventFilter(this);
        const QString caption = buttons[i];
        connect(button, &QPushButton::clicked, this, [this, button] { ButtonClick(button); });
        button->setProperty("caption", caption);
        FButtons.append(button);
    }
    // As the platform's own message boxes: Enter presses the first button, and in a choice Escape
    // presses the last (a lone button is closed by Escape without an answer).
    FButtons.front()->setDefault(true);
    FButtons.front()->setFocus();
}

void TStdMessageDlg::ButtonClick(QPushButton *sender)
{
    FHint = sender->property("caption").toString();
    accept();
}

QString TStdMessageDlg::Execute()
{
    exec();
    return FHint;
}

TColor TStdMessageDlg::BandColor() const
{
    return BlendColors(clWindow, clBtnFace, 0.66);
}

void TStdMessageDlg::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter canvas(this);
    if (const TStandardImagePtr icon = GetStandardIcon(FIconName))
        icon->Draw(canvas, QPoint(12, 12));
    const QColor band = ColorToQColor(BandColor());
    canvas.fillRect(QRect(0, FButtonTop, width(), height() - FButtonTop), band);
    canvas.fillRect(QRect(0, FButtonTop - 2, width(), 1), band);
}

bool TStdMessageDlg::HandleKey(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (FButtons.size() > 1)
            FButtons.back()->click();
        else
            reject();
        return true;
    }
    const bool copyKey = event->key() == Qt::Key_C || event->key() == Qt::Key_Insert;
    if (copyKey && event->modifiers() == Qt::ControlModifier) {
        QGuiApplication::clipboard()->setText(FDisplayText);
        return true;
    }
    return false;
}

void TStdMessageDlg::keyPressEvent(QKeyEvent *event)
{
    if (!HandleKey(event))
        QDialog::keyPressEvent(event);
}

// The dialog sees key presses before its buttons do.
bool TStdMessageDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

QString ShowStdMessage(const QString &caption, const QString &message, const QString &iconName,
                       const QStringList &buttons)
{
    TStdMessageDlg dialog;
    dialog.SetIconName(iconName);
    dialog.setWindowTitle(TranslateIf(caption, dialog.TranslateSettings()));
    dialog.SetMessage(message);
    dialog.Setup(buttons);
    return dialog.Execute();
}

void ShowErrorMessage(const QString &text)
{
    ShowStdMessage(QStringLiteral("Erreur"), text, QStringLiteral("png_error_red_32"),
                   {QStringLiteral("Ok")});
}

void ShowErrorMessageFmt(const QString &format, const QVariantList &args)
{
    ShowErrorMessage(QLatin1Char('!') + TranslateFmt(format, args, dtApplication));
}

bool ConfirmMessage(const QString &text, quint8 kind)
{
    QString icon = QStringLiteral("png_question_green_32");
    if (kind == 1)
        icon = QStringLiteral("png_SaveQuestion");
    else if (kind == 2)
        icon = QStringLiteral("png_ExitQuestion");
    const QString oui = QStringLiteral("Oui");
    return ShowStdMessage(QStringLiteral("Confirmation"), text, icon, {oui, QStringLiteral("Non")}) == oui;
}

bool ConfirmMessageFmt(const QString &format, const QVariantList &args, quint8 kind)
{
    return ConfirmMessage(QLatin1Char('!') + TranslateFmt(format, args, dtApplication), kind);
}
