// What CI users read: the check's JSON and Markdown, the diff as a pull request comment, tables and
// help that fit an 80-column terminal.

#include "CliRun.h"
#include "cli/OutputText.h"
#include "support/MapFileWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A build of Count units named with a long prefix, each Size bytes, with one symbol each.
QString WriteBuild(const QString &path, int count, quint32 size)
{
    std::vector<TMapUnit> units;
    std::vector<TMapSymbol> symbols;
    for (int i = 0; i < count; ++i) {
        units.push_back({QStringLiteral("Vendor.Framework.Component.Unit%1").arg(i), size + quint32(i)});
        symbols.push_back({quint32(i) * (size + quint32(count)),
                           QStringLiteral("Vendor.Framework.Component.Unit%1.TThing%1.Run").arg(i)});
    }
    quint32 length = 0;
    for (const TMapUnit &unit : units)
        length += unit.Size;
    return WriteMapFile(path, units, symbols, length);
}

void ExpectFits80Columns(const QByteArray &text, const std::string &what)
{
    for (const QString &line : QString::fromUtf8(text).split(u'\n'))
        EXPECT_LE(line.size(), 80) << what << ": " << line.toStdString();
}

} // namespace

TEST(CliCiFormatsTest, CheckAsJsonAndMarkdownWithTheExitCodesOfTheText)
{
    struct TCase
    {
        QStringList Budgets;
        int ExitCode;
        bool Held;
    };
    const TCase cases[] = {
        {{"--max-total", "9K"}, 0, true},           {{"--max-total", "8K"}, 1, false},
        {{"--max-unit", "Nothing*=1K"}, 0, true},   {{"--max-unit", "Nothing*=1K", "--strict"}, 1, false},
        {{"--max-group", "System.*=2K"}, 1, false},
    };
    for (const TCase &c : cases) {
        const std::string why = c.Budgets.join(' ').toStdString();
        const TCliResult text = RunCli(QStringList{"check", SampleMapFile} + c.Budgets);
        const TCliResult json = RunCli(QStringList{"check", SampleMapFile, "--format", "json"} + c.Budgets);
        const TCliResult markdown =
            RunCli(QStringList{"check", SampleMapFile, "--format", "markdown"} + c.Budgets);
        EXPECT_EQ(text.ExitCode, c.ExitCode) << why;
        EXPECT_EQ(json.ExitCode, c.ExitCode) << why;
        EXPECT_EQ(markdown.ExitCode, c.ExitCode) << why;
        const QJsonObject object = QJsonDocument::fromJson(json.Out).object();
        EXPECT_EQ(object["held"].toBool(), c.Held) << why << json.Out.toStdString();
        const QJsonArray budgets = object["budgets"].toArray();
        ASSERT_EQ(budgets.size(), 1) << why;
        const QJsonObject budget = budgets[0].toObject();
        for (const char *key : {"budget", "limit", "actual", "delta", "held"})
            EXPECT_TRUE(budget.contains(key)) << why << ": " << key;
        if (budget["matched"].toBool()) {
            EXPECT_EQ(budget["delta"].toInteger(),
                      budget["actual"].toInteger() - budget["limit"].toInteger());
        }
        EXPECT_TRUE(
            markdown.Out.startsWith(c.Held ? "### :white_check_mark: Size budgets" : "### :x: Size budgets"))
            << markdown.Out.toStdString();
    }
    const QJsonObject group =
        QJsonDocument::fromJson(
            RunCli({"check", SampleMapFile, "--format", "json", "--max-group", "System.*=2K"}).Out)
            .object();
    const QJsonObject sum = group["budgets"].toArray()[0].toObject();
    EXPECT_EQ(sum["actual"].toInteger(), 1120 + 1088 + 156)
        << "System.Classes, System.SysUtils, System.Types";
    EXPECT_EQ(sum["limit"].toInteger(), 2048);
}

TEST(CliCiFormatsTest, TheMarkdownDiffStaysWithinAGitHubComment)
{
    QTemporaryDir dir;
    const QString oldMap = WriteBuild(dir.filePath("old.map"), 3000, 100);
    const QString newMap = WriteBuild(dir.filePath("new.map"), 3000, 164);
    const TCliResult diff = RunCli({"diff", oldMap, newMap, "--format", "markdown", "--symbols"});
    ASSERT_EQ(diff.ExitCode, 0) << diff.Err.toStdString();
    const QString text = QString::fromUtf8(diff.Out);
    EXPECT_LE(text.size(), 65536);
    EXPECT_TRUE(text.startsWith("### Code size: 4,798,500 \u2192 4,990,500 bytes (+192,000, +4.00 %)\n\n"
                                "3000 of 3000 units changed.\n"))
        << text.left(300).toStdString();
    EXPECT_TRUE(text.contains("\n\u2026 and 2950 more changed units (+188,800 bytes in all).\n"))
        << "the rest counted";
    EXPECT_TRUE(text.contains("<details><summary>Largest symbol changes (100 of "));
    EXPECT_TRUE(text.endsWith("</details>\n"));
    EXPECT_EQ(text.count("\n| Vendor.Framework.Component.Unit"), 50 + 100);

    const TCliResult same = RunCli({"diff", oldMap, oldMap, "--format", "markdown"});
    EXPECT_TRUE(same.Out.contains("No unit changed (3000 units).")) << same.Out.toStdString();
}

// A name in a Markdown table shows as it is: no HTML tag, emphasis, link or split row made of it.
TEST(CliCiFormatsTest, MarkdownCellsShowTheirTextAsItIs)
{
    const struct
    {
        QString Text;
        QString Cell;
    } cases[] = {
        {u"Vcl.Forms.TForm.Create"_s, u"Vcl.Forms.TForm.Create"_s},
        {u"Generics.TList<T>.Add"_s, u"Generics.TList\\<T\\>.Add"_s},
        {u"TVector.operator*"_s, u"TVector.operator\\*"_s},
        {u"Unit|Name"_s, u"Unit\\|Name"_s},
        {u"_Init_"_s, u"\\_Init\\_"_s},
        {u"[Unit]"_s, u"\\[Unit\\]"_s},
        {u"a\\b`c~d&e"_s, u"a\\\\b\\`c\\~d\\&e"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MarkdownCell(c.Text), c.Cell) << c.Text.toStdString();
    // In a code span a backslash shows itself: only the bar is escaped, a backquote cannot end it.
    EXPECT_EQ(MarkdownCodeCell(u"size-budgets|x`<y>"_s), u"size-budgets\\|x'<y>"_s);
}

TEST(CliCiFormatsTest, TablesFitEightyColumnsUnlessWide)
{
    QTemporaryDir dir;
    const QString oldMap = WriteBuild(dir.filePath("old.map"), 5, 100);
    const QString newMap = WriteBuild(dir.filePath("new.map"), 5, 120);
    const TCliResult report = RunCli({"report", newMap, "--symbols"});
    ExpectFits80Columns(report.Out, "report");
    // The end, which tells the units apart, is kept.
    const QRegularExpression cut(u"\nVendor\\.Fr\u2026[a-z]*\\.Component\\.Unit4  "_qs);
    EXPECT_TRUE(QString::fromUtf8(report.Out).contains(cut)) << report.Out.toStdString();
    const TCliResult diff = RunCli({"diff", oldMap, newMap, "--symbols"});
    ExpectFits80Columns(diff.Out, "diff");
    EXPECT_TRUE(QString::fromUtf8(diff.Out).contains(cut)) << diff.Out.toStdString();

    const TCliResult wide = RunCli({"diff", oldMap, newMap, "--wide"});
    EXPECT_TRUE(wide.Out.contains("\nVendor.Framework.Component.Unit4  ")) << wide.Out.toStdString();
    EXPECT_FALSE(wide.Out.contains("\u2026"));
}

TEST(CliCiFormatsTest, EachCommandHasItsOwnHelpWithinEightyColumns)
{
    const TCliResult all = RunCli({"--help"});
    EXPECT_EQ(all.ExitCode, 0);
    ExpectFits80Columns(all.Out, "--help");
    for (const char *command : {"report", "diff", "check"}) {
        const TCliResult help = RunCli({command, "--help"});
        EXPECT_EQ(help.ExitCode, 0) << command;
        ExpectFits80Columns(help.Out, command);
        EXPECT_TRUE(help.Out.startsWith(QByteArray("Usage: quillon-cli ") + command)) << command;
        EXPECT_TRUE(help.Out.contains(QByteArray("\n") + command + ": ")) << command;
        EXPECT_TRUE(help.Out.contains("\nExit codes:\n")) << command;
        for (const char *other : {"report", "diff", "check"})
            if (QByteArrayView(other) != command) {
                EXPECT_FALSE(help.Out.contains(QByteArray("\n") + other + ": "))
                    << command << " tells of " << other;
            }
        EXPECT_LT(help.Out.size(), all.Out.size());
    }
}
