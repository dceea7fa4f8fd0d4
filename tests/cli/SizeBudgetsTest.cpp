// Sizes, budgets and the budgets file of `quillon-cli check`, and the budgets held against builds.

#include "cli/SizeBudgets.h"
#include "cli/BudgetCheck.h"
#include "cli/CheckReport.h"
#include "cli/CliOptions.h"

#include <gtest/gtest.h>

TEST(SizeBudgetsTest, SizesAndPercentages)
{
    struct TCase
    {
        const char *Text;
        bool AllowPercent;
        qint64 Bytes; // -1: rejected
        double Percent = -1;
    };
    const TCase cases[] = {
        {"0", false, 0},
        {"4096", false, 4096},
        {"100K", false, 102400},
        {"100k", false, 102400},
        {"1.5M", false, 1572864},
        {"1.5m", false, 1572864},
        {"2G", false, 2147483648LL},
        {".5K", false, 512},
        {"1.", false, 1},
        {"1.3K", false, 1331}, // rounded to the nearest byte
        {"5%", true, 0, 5},
        {"2.5%", true, 0, 2.5},
        {"5%", false, -1},
        {"", false, -1},
        {"-1K", false, -1},
        {"1.5MB", false, -1},
        {"1.5 M", false, -1},
        {"1e3", false, -1},
        {"K", false, -1},
        {"%", true, -1},
        {"0x10", false, -1},
        {"99999999999G", false, -1}, // too large
    };
    for (const TCase &c : cases) {
        QString error;
        const std::optional<TSizeLimit> limit =
            ParseSizeLimit(QString::fromUtf8(c.Text), c.AllowPercent, error);
        if (c.Bytes < 0) {
            EXPECT_FALSE(limit) << c.Text;
            EXPECT_FALSE(error.isEmpty()) << c.Text;
            continue;
        }
        ASSERT_TRUE(limit) << c.Text << ": " << error.toStdString();
        EXPECT_EQ(limit->IsPercent, c.Percent >= 0) << c.Text;
        if (c.Percent >= 0)
            EXPECT_DOUBLE_EQ(limit->Percent, c.Percent) << c.Text;
        else
            EXPECT_EQ(limit->Bytes, c.Bytes) << c.Text;
    }
}

TEST(SizeBudgetsTest, UnitPatternsIgnoreCase)
{
    struct TCase
    {
        const char *Pattern;
        const char *Name;
        bool Matches;
    };
    const TCase cases[] = {
        {"Vcl.*", "Vcl.Forms", true},
        {"vcl.*", "VCL.FORMS", true},
        {"Vcl.*", "Vcl", false},
        {"Vcl.*", "System.Vcl.X", false},
        {"*", "", true},
        {"*.Forms", "Vcl.Forms", true},
        {"?ain", "Main", true},
        {"?ain", "ain", false},
        {"M*n*t", "MainUnit", true},
        {"M*n*t", "MainUnits", false},
        {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaa", false},
        {"Main", "Main", true},
        {"Main", "MainX", false},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(MatchesUnitPattern(QString::fromUtf8(c.Pattern), QString::fromUtf8(c.Name)), c.Matches)
            << c.Pattern << " " << c.Name;
}

TEST(SizeBudgetsTest, BudgetsFileWithCommentsAndItsFirstBadLine)
{
    const TBudgetFile good = ReadBudgets("\xEF\xBB\xBF# Release budgets\r\n"
                                         "max-total 2.5M\r\n"
                                         "\r\n"
                                         "   max-unit\tVcl.*=400K   # every VCL unit\n"
                                         "max-growth 2%\n"
                                         "max-unit-growth 16K\n"
                                         "max-group Id*=600K\n",
                                         "budgets.txt");
    ASSERT_EQ(good.ErrorLine, 0) << good.Error.toStdString();
    ASSERT_EQ(good.Budgets.size(), 5u);
    EXPECT_FALSE(good.Strict);
    EXPECT_EQ(good.Budgets[4].Kind, TBudgetKind::MaxGroup);
    EXPECT_EQ(good.Budgets[4].Pattern, "Id*");
    EXPECT_TRUE(ReadBudgets("max-total 1M\nstrict   # a budget matching no unit fails\n", "b.txt").Strict);
    EXPECT_EQ(good.Budgets[0].Limit.Bytes, 2621440);
    EXPECT_EQ(good.Budgets[1].Kind, TBudgetKind::MaxUnit);
    EXPECT_EQ(good.Budgets[1].Pattern, "Vcl.*");
    EXPECT_EQ(good.Budgets[1].Origin, "budgets.txt:4: max-unit Vcl.*=400K");
    EXPECT_TRUE(good.Budgets[2].Limit.IsPercent);
    EXPECT_TRUE(good.Budgets[3].NeedsBaseline());

    struct TCase
    {
        const char *Text;
        int Line;
        const char *Message;
    };
    const TCase bad[] = {
        {"max-total 2M\nmax-totl 2M\n", 2, "unknown budget \"max-totl\""},
        {"# only\n\nmax-total\n", 3, "a name and one value"},
        {"max-total 2 M\n", 1, "not 3 words"},
        {"max-total 2%\n", 1, "bad size \"2%\""},
        {"max-unit 400K\n", 1, "max-unit: needs PATTERN=SIZE"},
        {"max-unit =400K\n", 1, "PATTERN=SIZE"},
        {"max-unit Vcl.*=\n", 1, "bad size \"\""},
        {"max-group Id*\n", 1, "max-group: needs PATTERN=SIZE"},
        {"strict yes\n", 1, "unknown budget \"strict\""},
        {"\n\n\n\nmax-growth lots\n", 5, "bad size \"lots\""},
    };
    for (const TCase &c : bad) {
        const TBudgetFile file = ReadBudgets(c.Text, "b.txt");
        EXPECT_EQ(file.ErrorLine, c.Line) << c.Text;
        EXPECT_TRUE(file.Error.startsWith(u"b.txt:%1: "_qs.arg(c.Line))) << file.Error.toStdString();
        EXPECT_TRUE(file.Error.contains(QString::fromUtf8(c.Message))) << file.Error.toStdString();
    }
}

TEST(SizeBudgetsTest, CheckOptions)
{
    struct TCase
    {
        QStringList Arguments;
        const char *Error; // empty: accepted
    };
    const TCase cases[] = {
        {{"check", "App.map", "--max-total", "2M"}, ""},
        {{"check", "App.map", "--max-unit", "Vcl.*=1.5M", "--max-unit", "Data.*=10K"}, ""},
        {{"check", "App.map", "--baseline", "Old.map", "--max-growth", "2%"}, ""},
        {{"check", "App.map", "--budgets", "budgets.txt"}, ""},
        {{"check", "App.map"}, "check needs a budget"},
        {{"check", "App.map", "--max-growth", "2%"}, "--max-growth 2% needs --baseline"},
        {{"check", "App.map", "--max-total", "2%"}, "--max-total: bad size \"2%\""},
        {{"check", "App.map", "--max-total=2M", "--baseline=Old.map", "--max-growth=1.5%"}, ""},
        {{"diff", "Old.map", "New.map", "--symbols", "--format", "csv"}, "csv has one row per unit"},
        {{"check", "App.map", "--max-unit", "Vcl.*"}, "PATTERN=SIZE"},
        {{"check", "--max-total", "2M"}, "check needs a MAP file"},
        {{"check", "App.map", "--symbols", "--max-total", "2M"}, "unknown option --symbols"},
        {{"diff", "Old.map"}, "diff needs the old and the new MAP file"},
        {{"diff", "Old.map", "New.map", "Third.map"}, "unexpected argument \"Third.map\""},
        {{"diff", "Old.map", "New.map", "--search-dir", "x"}, "unknown option --search-dir"},
        {{"report", "App.map", "--all"}, "unknown option --all"},
    };
    for (const TCase &c : cases) {
        QString error;
        const std::optional<TCliOptions> options = TCliOptions::Parse(c.Arguments, error);
        if (!*c.Error) {
            EXPECT_TRUE(options) << c.Arguments.join(' ').toStdString() << ": " << error.toStdString();
            continue;
        }
        EXPECT_FALSE(options) << c.Arguments.join(' ').toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.Error))) << error.toStdString();
    }
    QString error;
    const std::optional<TCliOptions> diff =
        TCliOptions::Parse({"diff", "Old.map", "New.map", "--all"}, error);
    ASSERT_TRUE(diff);
    EXPECT_EQ(diff->BaselineMapFile, "Old.map");
    EXPECT_EQ(diff->MapFile, "New.map");
    EXPECT_TRUE(diff->All);
}

namespace {

TUnitChange UnitChange(const char *name, qint64 oldSize, qint64 newSize)
{
    TUnitChange change;
    change.Name = QString::fromUtf8(name);
    change.OldSize = oldSize;
    change.NewSize = newSize;
    if (oldSize > 0)
        change.OldRows.push_back(nullptr);
    if (newSize > 0)
        change.NewRows.push_back(nullptr);
    return change;
}

// The text lines of a check of one budget, its summary line last.
QStringList CheckLines(const char *name, const char *value, const std::vector<TUnitChange> &units,
                       bool strict = false)
{
    QString error;
    const std::optional<TSizeBudget> budget =
        ParseBudget(QString::fromUtf8(name), QString::fromUtf8(value), u"--%1 %2"_qs.arg(name, value), error);
    EXPECT_TRUE(budget) << error.toStdString();
    if (!budget)
        return {};
    TCheckOutcome outcome;
    outcome.Budgets = 1;
    outcome.Strict = strict;
    outcome.Results = EvaluateBudget(*budget, units);
    QStringList lines = QString::fromUtf8(CheckText(outcome)).split(u'\n');
    lines.removeLast();
    return lines;
}

} // namespace

TEST(SizeBudgetsTest, EachBudgetSaysItsLimitTheActualValueAndTheOverOrTheHeadroom)
{
    const std::vector<TUnitChange> units = {
        UnitChange("Main", 2000, 2400), UnitChange("Vcl.Forms", 50000, 50000), UnitChange("Added", 0, 3000),
        UnitChange("Gone", 1000, 0),    UnitChange("IdTCP", 0, 700),           UnitChange("IdHTTP", 0, 900)};
    struct TCase
    {
        const char *Name;
        const char *Value;
        QStringList Lines;
    };
    // Totals: old 53,000, new 57,000, growth 4,000 (7.55%).
    const TCase cases[] = {
        {"max-total",
         "57000",
         {"budget held: --max-total 57000: the total code size is 57,000 bytes, 0 under the limit of 57,000",
          "1 budget held"}},
        {"max-total",
         "54K",
         {"budget broken: --max-total 54K: the total code size is 57,000 bytes, over the limit of 55,296 by "
          "1,704",
          "1 of 1 budgets broken"}},
        {"max-unit",
         "vcl.*=48K",
         {"budget broken: --max-unit vcl.*=48K: unit Vcl.Forms is 50,000 bytes, over the limit of 49,152 by "
          "848",
          "1 of 1 budgets broken"}},
        // Every unit holds: the one with the least room speaks for them.
        {"max-unit",
         "*=64K",
         {"budget held: --max-unit *=64K: unit Vcl.Forms is 50,000 bytes, 15,536 under the limit of 65,536",
          "1 budget held"}},
        {"max-unit",
         "Vcl.Graphics=1K",
         {"budget matches no unit: --max-unit Vcl.Graphics=1K: no unit matches Vcl.Graphics",
          "1 budget matches no unit; 1 budget held"}},
        // A unit of the baseline only is not in the build.
        {"max-unit",
         "Gone=1",
         {"budget matches no unit: --max-unit Gone=1: no unit matches Gone",
          "1 budget matches no unit; 1 budget held"}},
        {"max-group",
         "id*=1K",
         {"budget broken: --max-group id*=1K: the sum of the units id* is 1,600 bytes, over the limit of "
          "1,024 by 576",
          "1 of 1 budgets broken"}},
        {"max-group",
         "id*=2K",
         {"budget held: --max-group id*=2K: the sum of the units id* is 1,600 bytes, 448 under the limit of "
          "2,048",
          "1 budget held"}},
        {"max-growth",
         "4%",
         {"budget broken: --max-growth 4%: the growth of the total code size is 4,000 bytes (7.55% of "
          "53,000), "
          "over the limit of 2,120 (4%) by 1,880",
          "1 of 1 budgets broken"}},
        {"max-growth",
         "8%",
         {"budget held: --max-growth 8%: the growth of the total code size is 4,000 bytes (7.55% of 53,000), "
          "240 under the limit of 4,240 (8%)",
          "1 budget held"}},
        // A unit new in this build has no old size to take a percentage of.
        {"max-unit-growth",
         "10%",
         {"budget broken: --max-unit-growth 10%: the growth of unit Main is 400 bytes (20.00% of 2,000), "
          "over "
          "the limit of 200 (10%) by 200",
          "1 of 1 budgets broken"}},
        {"max-unit-growth",
         "2K",
         {"budget broken: --max-unit-growth 2K: the growth of unit Added is 3,000 bytes, over the limit of "
          "2,048 by 952",
          "1 of 1 budgets broken"}},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(CheckLines(c.Name, c.Value, units), c.Lines) << c.Name << ' ' << c.Value;
}

TEST(SizeBudgetsTest, AStrictCheckBreaksOnABudgetThatMatchesNoUnit)
{
    const std::vector<TUnitChange> units = {UnitChange("Forms", 0, 5000)};
    EXPECT_EQ(
        CheckLines("max-unit", "Vcl.*=400K", units, true),
        QStringList({"budget matches no unit: --max-unit Vcl.*=400K: no unit matches Vcl.* (broken: strict)",
                     "1 budget matches no unit; 1 of 1 budgets broken"}));
    QString error;
    TCheckOutcome outcome;
    outcome.Budgets = 1;
    outcome.Strict = true;
    const std::optional<TSizeBudget> budget = ParseBudget(u"max-unit"_qs, u"Vcl.*=400K"_qs, u"x"_qs, error);
    ASSERT_TRUE(budget);
    outcome.Results = EvaluateBudget(*budget, units);
    EXPECT_FALSE(outcome.Held());
    const QByteArray json = CheckJson(outcome);
    EXPECT_TRUE(json.contains("\"actual\":null,\"delta\":null,\"held\":false,\"matched\":false"))
        << json.toStdString();
    EXPECT_TRUE(json.endsWith("\"held\":false,\"broken\":1,\"unmatched\":1}\n")) << json.toStdString();
}
