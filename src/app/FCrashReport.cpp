#include "app/FCrashReport.h"

#include "app/CrashReportMail.h"
#include "base/UMultiLang.h"
#include "base/UShellUtils.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

namespace {

constexpr int BorderWidth = 10;
constexpr int ClientWidth = 618;
constexpr int ClientHeight = 418;
constexpr int InnerWidth = ClientWidth - 2 * BorderWidth;
constexpr int TopLabelHeight = 33;
constexpr int PanelHeight = 25;
constexpr int BottomLabelHeight = 82;

QFont ArialFont(int pixelHeight)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    return font;
}

QLabel *ExplanationLabel(QWidget *parent, const QString &caption, const QRect &geometry)
{
    auto *label = new QLabel(Translate(caption), parent);
    label->setFont(ArialFont(11));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setGeometry(geometry);
    return label;
}

QPushButton *PanelButton(QWidget *panel, const QString &caption, int left, int width)
{
    auto *button = new QPushButton(Translate(caption), panel);
    button->setAutoDefault(false);
    button->setGeometry(left, 0, width, PanelHeight);
    return button;
}

} // namespace

TCrashReportForm::TCrashReportForm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Rapport d'erreur")));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(ArialFont(12));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    const int bottom = ClientHeight - BorderWidth;
    ExplanationLabel(
        this,
        QStringLiteral("Un événement imprévu vient d'avoir lieu, le système d'exploitation et/ou "
                       "l'application sont potentiellement devenus instable, afin de préserver "
                       "l'intégrité des données déjà enregistrées, l'application va être fermée."),
        QRect(BorderWidth, BorderWidth, InnerWidth, TopLabelHeight));

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(BorderWidth, bottom - PanelHeight, InnerWidth, PanelHeight);
    // The buttons keep their designed gaps, flush with the panel's right edge.
    FBBDetails = PanelButton(panel, QStringLiteral("Consulter les détails..."), InnerWidth - 410, 155);
    FBBSend = PanelButton(panel, QStringLiteral("Envoyer le rapport..."), InnerWidth - 243, 155);
    FBBQuit = PanelButton(panel, QStringLiteral("Quitter"), InnerWidth - 75, 75);
    FBBSend->setDefault(true);
    connect(FBBDetails, &QPushButton::clicked, this, [this] { BBDetailsClick(); });
    connect(FBBSend, &QPushButton::clicked, this, [this] {
        BBSendClick();
        accept();
    });
    connect(FBBQuit, &QPushButton::clicked, this, &QDialog::accept);

    const int bottomLabelTop = bottom - PanelHeight - BottomLabelHeight;
    ExplanationLabel(
        this,
        QStringLiteral("Un rapport contenant des détails sur l'erreur a été généré, vous pouvez le "
                       "consulter à l'aide des boutons ci-dessous ou l'envoyer au support technique "
                       "Brackwell pour investigations. Dans ce dernier cas, merci de préciser au "
                       "mieux le contexte et les actions qui ont conduit à cette erreur.\r\n\r\n"
                       "Merci de ne pas envoyer une capture d'écran de cet écran mais bien le "
                       "rapport d'erreur."),
        QRect(BorderWidth, bottomLabelTop, InnerWidth, BottomLabelHeight));

    const int messageTop = BorderWidth + TopLabelHeight;
    FMessageArea = QRect(BorderWidth, messageTop, InnerWidth, bottomLabelTop - messageTop);
    FTextScrollBox = new QScrollArea(this);
    FTextScrollBox->setFrameShape(QFrame::NoFrame);
    FTextScrollBox->setBackgroundRole(QPalette::AlternateBase);
    FTextScrollBox->setGeometry(FMessageArea);
    FTextScrollBox->hide();

    FLAMessage = new QLabel(QStringLiteral("Une erreur..."), this);
    FLAMessage->setTextFormat(Qt::PlainText);
    FLAMessage->setWordWrap(true);
    FLAMessage->setAlignment(Qt::AlignCenter);
    FLAMessage->setBackgroundRole(QPalette::AlternateBase);
    FLAMessage->setAutoFillBackground(true);
    FLAMessage->setGeometry(FMessageArea);
}

void TCrashReportForm::Prepare(const QString &message, const QString &exceptionClass,
                               const QString &reportFile)
{
    setWindowTitle(Translate(QStringLiteral("Rapport d'erreur")));
    FMessage = message;
    FTranslatedMessage = Translate(message);
    FExceptionClass = exceptionClass;
    FReportFile = reportFile;
    AdjustMessageLayout();
}

void TCrashReportForm::ShowReport(const QString &message, const QString &exceptionClass,
                                  const QString &reportFile)
{
    Prepare(message, exceptionClass, reportFile);
    exec();
}

void TCrashReportForm::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TCrashReportForm::AdjustMessageLayout()
{
    const QString text = QString(FTranslatedMessage).replace(u'\t', QStringLiteral("   "));
    const QRect measured = QFontMetrics(font()).boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, text);
    const int width = measured.width();
    const int height = std::max(measured.height(), 32);
    const QSize area = FMessageArea.size();

    if (width > area.width() || height > area.height()) {
        FTextScrollBox->show();
        FLAMessage->setWordWrap(false);
        FLAMessage->setGeometry(0, 0, width, height);
        FTextScrollBox->setWidget(FLAMessage);
    } else {
        FTextScrollBox->hide();
    }
    const Qt::Alignment horizontal = width < area.width() ? Qt::AlignHCenter : Qt::AlignLeft;
    const Qt::Alignment vertical = height < area.height() ? Qt::AlignVCenter : Qt::AlignTop;
    FLAMessage->setAlignment(horizontal | vertical);
    FLAMessage->setText(text);
}

void TCrashReportForm::BBDetailsClick()
{
    ShellOpen(u'"' + FReportFile + u'"');
}

void TCrashReportForm::BBSendClick()
{
    SendCrashReport(FExceptionClass, FMessage, FReportFile);
}
