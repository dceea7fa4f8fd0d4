#include "app/CrashReportMail.h"
#include "app/FCrashReport.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TRecordingCrashReportForm : public TCrashReportForm
{
public:
    int Sent = 0;

protected:
    void BBSendClick() override { ++Sent; }
};

TEST(CrashReportFormTest, ShortMessageIsCentredInTheMessageArea)
{
    TCrashReportForm form;
    form.Prepare(QStringLiteral("Division by zero"), QStringLiteral("EZeroDivide"),
                 QStringLiteral("/tmp/r.xml"));

    EXPECT_EQ(form.windowTitle(), QStringLiteral("Rapport d'erreur"));
    EXPECT_EQ(form.size(), QSize(618, 418));
    EXPECT_TRUE(form.TextScrollBox()->isHidden());
    EXPECT_EQ(form.LAMessage()->parentWidget(), &form);
    EXPECT_EQ(form.LAMessage()->text(), QStringLiteral("Division by zero"));
    EXPECT_EQ(form.LAMessage()->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_TRUE(form.LAMessage()->wordWrap());
}

TEST(CrashReportFormTest, LongMessageScrollsLeftAndTopAlignedWithoutWrapping)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("line %1\tof a long stack of messages").arg(i) + QString(100, u'x');
    TCrashReportForm form;
    form.Prepare(lines.join(QStringLiteral("\r\n")), QStringLiteral("E"), QStringLiteral("/tmp/r.xml"));

    EXPECT_FALSE(form.TextScrollBox()->isHidden());
    EXPECT_EQ(form.TextScrollBox()->widget(), form.LAMessage());
    EXPECT_EQ(form.LAMessage()->alignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_FALSE(form.LAMessage()->wordWrap());
    EXPECT_GT(form.LAMessage()->height(), form.TextScrollBox()->height());
    EXPECT_TRUE(form.LAMessage()->text().startsWith(QStringLiteral("line 0   of a long")));
}

TEST(CrashReportFormTest, OnlyTheOverflowingDirectionLosesItsCentring)
{
    TCrashReportForm wide;
    wide.Prepare(QString(300, u'W'), QStringLiteral("E"), QStringLiteral("/tmp/r.xml"));
    EXPECT_FALSE(wide.TextScrollBox()->isHidden());
    EXPECT_EQ(wide.LAMessage()->alignment(), Qt::AlignLeft | Qt::AlignVCenter);

    TCrashReportForm tall;
    tall.Prepare(QString(QStringLiteral("x\n")).repeated(60), QStringLiteral("E"),
                 QStringLiteral("/tmp/r.xml"));
    EXPECT_FALSE(tall.TextScrollBox()->isHidden());
    EXPECT_EQ(tall.LAMessage()->alignment(), Qt::AlignHCenter | Qt::AlignTop);
}

TEST(CrashReportFormTest, EnterSendsTheReportAndCloses)
{
    TRecordingCrashReportForm form;
    form.Prepare(QStringLiteral("m"), QStringLiteral("E"), QStringLiteral("/tmp/r.xml"));
    form.show();
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_EQ(form.Sent, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(CrashReportFormTest, QuitClosesWithoutSending)
{
    TRecordingCrashReportForm form;
    form.show();
    form.BBQuit()->click();
    EXPECT_EQ(form.Sent, 0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(CrashReportMailTest, ProgramIsTakenFromTheHandlerCommand)
{
    struct TCase
    {
        const char *Command;
        const char *Program;
    } cases[] = {
        {"/usr/bin/Thunderbird", "/usr/bin/thunderbird"},
        {"thunderbird %u", "thunderbird"},
        {"\"/opt/Mail App/mailer\" -compose %u", "/opt/mail app/mailer"},
        {"\"/opt/Mail App/mailer\"", ""},
        {"%MAILER% -x", "%MAILER%"},
        {"", ""},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(MailProgramFromCommand(QString::fromUtf8(c.Command)), QString::fromUtf8(c.Program))
            << c.Command;
}

TEST(CrashReportMailTest, MozillaFamilyIsRecognised)
{
    EXPECT_TRUE(IsMozillaMailer(QStringLiteral("/usr/bin/thunderbird")));
    EXPECT_TRUE(IsMozillaMailer(QStringLiteral("c:\\program files\\mozilla.exe")));
    EXPECT_FALSE(IsMozillaMailer(QStringLiteral("/usr/bin/evolution")));
}

TEST(CrashReportMailTest, ComposeRequestCarriesSubjectBodyAndAttachment)
{
    EXPECT_EQ(
        ComposeParameter(QStringLiteral("EÉrror"), QStringLiteral("Fichier \"é\" & co"),
                         QStringLiteral("/tmp/report.xml")),
        QStringLiteral("-compose to=support@brackwell.example,subject=\"ERR : EError\",body=\"**Saisissez "
                       "ici vos details sur le contexte de l'erreur**\r\n\r\nMessage de l'erreur : \r\n"
                       "Fichier ''e'' & co\",attachment=\"file:///tmp/report.xml\""));
}

TEST(CrashReportMailTest, MailtoAddressReplacesAmpersandsOfClassAndMessage)
{
    EXPECT_EQ(
        MailtoAddress(QStringLiteral("E&rr"), QStringLiteral("a & \"é\""), QStringLiteral("/tmp/report.xml")),
        QStringLiteral("mailto:support@brackwell.example?subject=ERR : E_rr&body=**Saisissez ici vos details "
                       "sur le contexte de l'erreur**%0D%0A%0D%0A**Vérifiez que la pièce jointe "
                       "/tmp/report.xml est bien présente**\r\n\r\nMessage de l'erreur : \r\na _ \"e\""
                       "&attachment=\"/tmp/report.xml\""));
}

} // namespace
