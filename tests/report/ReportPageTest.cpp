// The report page as bytes: the data escape and the page's security policy. What the page does in a
// browser is tested with the program (tests/cli).

#include "report/HtmlReportPage.h"
#include "report/ScriptDataDevice.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(ScriptDataTest, NoNameEndsTheScriptAndTheJsonReadsTheSame)
{
    const QByteArray cases[] = {
        R"({"name":"</script><script>alert(1)</script>"})",
        R"({"name":"<!--<script>"})",
        R"({"name":"< MetaData >"})",
        R"({"name":"TList<System.Integer>"})",
        R"({"name":"plain"})",
    };
    for (const QByteArray &json : cases) {
        const QByteArray escaped = EscapeScriptData(json);
        EXPECT_FALSE(escaped.contains('<')) << escaped.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(escaped), QJsonDocument::fromJson(json)) << json.toStdString();
    }
}

TEST(ScriptDataTest, TheDeviceEscapesTextWrittenInPieces)
{
    QBuffer output;
    output.open(QIODevice::WriteOnly);
    TScriptDataDevice device(output);
    for (const char *piece : {"[\"<", "/script>\",\"a<", "", "<b\"]"})
        EXPECT_EQ(device.write(piece), qint64(qstrlen(piece)));
    EXPECT_EQ(output.data(), R"(["\u003c/script>","a\u003c\u003cb"])");
}

TEST(ReportPageTest, ThePolicyAdmitsExactlyTheInlineScriptAndStyle)
{
    const THtmlReportPage page({u"2024-01-02 03:04:05"_qs, QString(), u"1.0"_qs});
    const QString html = QString::fromUtf8(page.Head() + "[]" + page.Tail());

    const QRegularExpressionMatch policy =
        QRegularExpression(R"re(http-equiv="Content-Security-Policy" content="([^"]*)")re").match(html);
    ASSERT_TRUE(policy.hasMatch());
    const QString csp = policy.captured(1);
    EXPECT_TRUE(csp.startsWith(u"default-src 'none';")) << csp.toStdString();
    EXPECT_FALSE(csp.contains(u"unsafe")) << csp.toStdString();

    const auto hashOf = [](const QString &text) {
        return u"'sha256-"_qs +
               QString::fromLatin1(
                   QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toBase64()) +
               u"'"_qs;
    };
    const QRegularExpressionMatch style =
        QRegularExpression(R"(<style>(.*?)</style>)", QRegularExpression::DotMatchesEverythingOption)
            .match(html);
    ASSERT_TRUE(style.hasMatch());
    EXPECT_TRUE(csp.contains(u"style-src "_qs + hashOf(style.captured(1)) + u";"_qs));
    const QRegularExpressionMatch script =
        QRegularExpression(R"(<script>(.*?)</script>)", QRegularExpression::DotMatchesEverythingOption)
            .match(html);
    ASSERT_TRUE(script.hasMatch());
    EXPECT_TRUE(csp.contains(u"script-src "_qs + hashOf(script.captured(1)) + u";"_qs));

    // Nothing may come from elsewhere: no address outside the page, no external file.
    EXPECT_FALSE(html.contains(QRegularExpression(R"(\b(https?|ftp|wss?):)"))) << "a remote address";
    for (const QRegularExpressionMatch &reference :
         QRegularExpression(R"re(\b(src|href)="([^"]*)")re").globalMatch(html))
        EXPECT_TRUE(reference.captured(2).startsWith(u"data:")) << reference.captured(0).toStdString();
    EXPECT_FALSE(html.contains(u"innerHTML") || html.contains(u"insertAdjacentHTML") ||
                 html.contains(u"document.write") || html.contains(u"eval("))
        << "names must never be read as HTML or code";
}

TEST(ReportPageTest, TheFactsAreDataNotMarkup)
{
    const THtmlReportPage page({u"</script><b>"_qs, u"address"_qs, u"1.0"_qs});
    const QByteArray head = page.Head();
    const qsizetype at = head.indexOf(R"(id="quillon-report">)");
    ASSERT_GE(at, 0);
    const QByteArray facts = head.mid(at + 20, head.indexOf("</script>", at) - at - 20);
    EXPECT_EQ(QJsonDocument::fromJson(facts).object()[u"map_date"_qs].toString(), u"</script><b>"_qs);
    EXPECT_EQ(QJsonDocument::fromJson(facts).object()[u"grouping"_qs].toString(), u"address"_qs);
    EXPECT_TRUE(head.endsWith(R"(<script type="application/json" id="quillon-data">)"));
}
