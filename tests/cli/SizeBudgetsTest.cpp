// Sizes, budgets and the budgets file of `quillon-cli check`, and the budgets held against builds.

#include "cli/SizeBudgets.h"
#include "cli/BudgetCheck.h"
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
                                         "max-unit-growth 16K",
                                         "budgets.txt");
    ASSERT_EQ(good.ErrorLine, 0) << good.Error.toStdString();
    ASSERT_EQ(good.Budgets.size(), 4u);
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

TEST(SizeBudgetsTest, BreachesNameTheBudgetTheLimitAndTheValue)
{
    const auto unit = [](const char *name, qint64 oldSize, qint64 newSize) {
        TUnitChange change;
        change.Name = QString::fromUtf8(name);
        change.OldSize = oldSize;
        change.NewSize = newSize;
        if (oldSize > 0)
            change.OldRows.push_back(nullptr);
        if (newSize > 0)
            change.NewRows.push_back(nullptr);
        return change;
    };
    const std::vector<TUnitChange> units = {unit("Main", 2000, 2400), unit("Vcl.Forms", 50000, 50000),
                                            unit("Added", 0, 3000), unit("Gone", 1000, 0)};
    const auto breaches = [&](const char *name, const char *value) {
        QString error;
        const std::optional<TSizeBudget> budget = ParseBudget(
            QString::fromUtf8(name), QString::fromUtf8(value), u"--%1 %2"_qs.arg(name, value), error);
        EXPECT_TRUE(budget) << error.toStdString();
        return budget ? BudgetBreaches(*budget, units) : QStringList();
    };
    // Totals: old 53,000, new 55,400, growth 2,400 (4.53%).
    EXPECT_EQ(breaches("max-total", "55400"), QStringList());
    EXPECT_EQ(
        breaches("max-total", "54K"),
        QStringList({"budget broken: --max-total 54K: the total code size is 55,400 bytes, over the limit "
                     "of 55,296"}));
    EXPECT_EQ(
        breaches("max-unit", "vcl.*=48K"),
        QStringList({"budget broken: --max-unit vcl.*=48K: unit Vcl.Forms is 50,000 bytes, over the limit "
                     "of 49,152"}));
    EXPECT_EQ(
        breaches("max-growth", "4%"),
        QStringList({"budget broken: --max-growth 4%: the total code size grew by 2,400 bytes (4.53% of "
                     "53,000), over the limit of 2,120 (4%)"}));
    EXPECT_EQ(breaches("max-growth", "5%"), QStringList());
    EXPECT_EQ(
        breaches("max-unit-growth", "10%"),
        QStringList({"budget broken: --max-unit-growth 10%: unit Main grew by 400 bytes (20.00% of 2,000), "
                     "over the limit of 200 (10%)"}))
        << "a unit new in this build has no old size to take a percentage of";
    EXPECT_EQ(
        breaches("max-unit-growth", "2K"),
        QStringList({"budget broken: --max-unit-growth 2K: unit Added grew by 3,000 bytes, over the limit of "
                     "2,048"}));
}
