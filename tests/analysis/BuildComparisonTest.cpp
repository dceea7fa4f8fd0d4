// Two builds compared: units matched ignoring case with their status, symbols matched by path, and
// the baseline's two columns in a unit grid.

#include "analysis/BuildComparison.h"
#include "analysis/BaselineColumns.h"
#include "analysis/MapAnalysis.h"
#include "base/XLists.h"
#include "support/MapFileWriter.h"
#include "tree/TreeGridModel.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A unit of a build: its symbols (name without the unit, size) one after the other from its start.
struct TBuildUnit
{
    QString Name;
    std::vector<std::pair<QString, quint32>> Symbols;
};

QString WriteBuild(const QString &path, const std::vector<TBuildUnit> &units)
{
    std::vector<TMapUnit> mapUnits;
    std::vector<TMapSymbol> symbols;
    quint32 address = 0;
    for (const TBuildUnit &unit : units) {
        quint32 size = 0;
        for (const auto &[name, bytes] : unit.Symbols) {
            symbols.push_back({address + size, unit.Name + u'.' + name});
            size += bytes;
        }
        mapUnits.push_back({unit.Name, size});
        address += size;
    }
    return WriteMapFile(path, mapUnits, symbols, address);
}

struct TBuild
{
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};

    explicit TBuild(const QString &path)
    {
        TMapAnalysis::SetupUnitColumns(Grid);
        Analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
        const QString folder = QDir::currentPath();
        EXPECT_TRUE(Analysis.Run(path, std::nullopt)) << Analysis.ErrorMessage().toStdString();
        QDir::setCurrent(folder);
    }

    TITreeNode *Unit(const QString &name)
    {
        for (TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->NextSibling())
            if (node->Text() == name)
                return node;
        return nullptr;
    }
};

QString Describe(const TUnitChange &unit)
{
    return u"%1 %2 %3 %4 %5"_qs.arg(unit.Name)
        .arg(unit.OldSize)
        .arg(unit.NewSize)
        .arg(unit.Delta())
        .arg(UnitStatusName(unit.Status));
}

QString Describe(const TSizeChange &symbol)
{
    return u"%1 %2 %3"_qs.arg(symbol.Name).arg(symbol.OldSize).arg(symbol.NewSize);
}

// "Text Tag OldSize Change [only]" per row below Node in pre-order, indented two blanks per level.
QStringList Rows(const TITreeNode *Node)
{
    QStringList rows;
    const TITreeNode *end = Node->NextSibling();
    for (const TITreeNode *row = Node->GetFirstChild(); row && row != end; row = row->GetNext()) {
        QString text = QString(2 * (row->Level() - Node->Level() - 1), u' ') + row->Text() + u' ' +
                       QString::number(row->Tag()) + u' ' + QString::number(TBaselineColumns::OldSize(row)) +
                       u' ' + QString::number(TBaselineColumns::Change(row));
        if (TBaselineColumns::OnlyInBaseline(row))
            text += u" only"_qs;
        rows << text;
    }
    return rows;
}

class BuildComparisonTest : public ::testing::Test
{
protected:
    QString Old(const std::vector<TBuildUnit> &units)
    {
        return WriteBuild(Dir.filePath("old/App.map"), units);
    }
    QString New(const std::vector<TBuildUnit> &units)
    {
        return WriteBuild(Dir.filePath("new/App.map"), units);
    }

    void SetUp() override
    {
        QDir(Dir.path()).mkpath("old");
        QDir(Dir.path()).mkpath("new");
    }

    QTemporaryDir Dir;
};

const std::vector<TBuildUnit> OldUnits = {
    {"Main", {{"TFormMain.Create", 40}, {"TFormMain.Paint", 100}, {"Run", 8}, {"Run", 8}}},
    {"Grids", {{"TGrid.Draw", 300}}},
    {"same", {{"X", 16}}},
    {"Shrinks", {{"A", 64}, {"B", 64}}},
};
const std::vector<TBuildUnit> NewUnits = {
    {"Main", {{"TFormMain.Create", 40}, {"TFormMain.Paint", 180}, {"TFormMain.Resize", 20}, {"Run", 12}}},
    {"Same", {{"X", 16}}},
    {"Shrinks", {{"A", 64}}},
    {"Charts", {{"TChart.Draw", 80}}},
};

} // namespace

TEST_F(BuildComparisonTest, UnitsMatchedIgnoringCaseInChangeOrder)
{
    TBuild oldBuild(Old(OldUnits));
    TBuild newBuild(New(NewUnits));
    QStringList units;
    for (const TUnitChange &unit : CompareUnits(oldBuild.Grid, newBuild.Grid))
        units << Describe(unit);
    EXPECT_EQ(units, QStringList({"Grids 300 0 -300 removed", "Main 156 252 96 grown", "Charts 0 80 80 added",
                                  "Shrinks 128 64 -64 shrunk", "Same 16 16 0 unchanged"}));
}

TEST_F(BuildComparisonTest, TiesGoByNameInByteOrder)
{
    std::vector<TSizeChange> changes = {{"b", 0, 5},      {"B", 5, 0},          {"a", 1, 6},
                                        {"\u00e9", 0, 5}, {"\U0001F600", 0, 5}, {"\uFF01", 0, 5}};
    SortByChange(changes);
    QStringList names;
    for (const TSizeChange &change : changes)
        names << change.Name;
    // UTF-8 bytes: "B" < "a" < "b" < U+00E9 < U+FF01 < U+1F600 (UTF-16 would put the emoji first).
    EXPECT_EQ(names, QStringList({"B", "a", "b", "\u00e9", "\uFF01", "\U0001F600"}));
}

TEST_F(BuildComparisonTest, UnitNamedTwiceCountsOnce)
{
    TBuild oldBuild(Old({{"Main", {{"A", 10}}}, {"Main", {{"B", 6}}}}));
    TBuild newBuild(New({{"MAIN", {{"A", 10}}}}));
    const std::vector<TUnitChange> units = CompareUnits(oldBuild.Grid, newBuild.Grid);
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(Describe(units[0]), "MAIN 16 10 -6 shrunk");
    EXPECT_EQ(units[0].OldRows.size(), 2u);
}

TEST_F(BuildComparisonTest, SymbolsMatchedByPathWithOverloadsSummed)
{
    TBuild oldBuild(Old(OldUnits));
    TBuild newBuild(New(NewUnits));
    const std::vector<TUnitChange> units = CompareUnits(oldBuild.Grid, newBuild.Grid);
    const auto symbolsOf = [&](const QString &name) {
        QStringList symbols;
        for (const TUnitChange &unit : units)
            if (unit.Name == name)
                for (const TSizeChange &symbol :
                     CompareUnitSymbols(oldBuild.Analysis, newBuild.Analysis, unit))
                    symbols << Describe(symbol);
        return symbols;
    };
    EXPECT_EQ(symbolsOf("Main"),
              QStringList({"TFormMain.Paint 100 180", "TFormMain.Resize 0 20", "Run 16 12"}));
    EXPECT_EQ(symbolsOf("Grids"), QStringList({"TGrid.Draw 300 0"}));
    EXPECT_EQ(symbolsOf("Charts"), QStringList({"TChart.Draw 0 80"}));
    EXPECT_EQ(symbolsOf("Same"), QStringList());

    // The walk leaves the grids as they were: every unit can still be opened.
    for (TTreeGridModel *grid : {&oldBuild.Grid, &newBuild.Grid})
        for (TITreeNode *unit = grid->Items().GetFirstNode(); unit; unit = unit->NextSibling())
            EXPECT_TRUE(unit->Count() == 1 && unit->GetFirstChild()->Text() == "$")
                << unit->Text().toStdString();
}

TEST_F(BuildComparisonTest, ARowThatLaterSymbolsMadeAParentKeepsItsOwnBytes)
{
    // 'Main.TFoo' is a routine; 'Main.TFoo.Bar' then hangs below its row.
    TBuild oldBuild(Old({{"Main", {{"TFoo", 10}, {"TFoo.Bar", 5}}}}));
    TBuild newBuild(New({{"Main", {{"TFoo", 14}, {"TFoo.Bar", 5}}}}));
    const std::vector<TUnitChange> units = CompareUnits(oldBuild.Grid, newBuild.Grid);
    ASSERT_EQ(units.size(), 1u);
    const std::vector<TSizeChange> symbols =
        CompareUnitSymbols(oldBuild.Analysis, newBuild.Analysis, units[0]);
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(Describe(symbols[0]), "TFoo 10 14");
}

TEST_F(BuildComparisonTest, BaselineColumnsInTheGrid)
{
    TBuild newBuild(New(NewUnits));
    TBaselineColumns baseline;
    ASSERT_TRUE(baseline.Load(Old(OldUnits)));
    TBaselineColumns::AddColumns(newBuild.Grid);
    ASSERT_EQ(newBuild.Grid.Columns().Count(), 8);
    EXPECT_EQ(newBuild.Grid.Columns()[6]->Caption(), "Old size");
    EXPECT_EQ(newBuild.Grid.Columns()[7]->Caption(), "Change");

    baseline.Show(newBuild.Grid);
    TITreeNode *grids = newBuild.Unit("Grids");
    ASSERT_TRUE(grids) << "a removed unit is a row of size 0";
    EXPECT_EQ(grids->Tag(), 0);
    EXPECT_TRUE(TBaselineColumns::OnlyInBaseline(grids));
    EXPECT_EQ(TBaselineColumns::Change(grids), -300);
    EXPECT_EQ(grids->ColumnStrings()->Get(6), "-300");
    EXPECT_EQ(newBuild.Unit("Main")->ColumnStrings()->Get(5), "156");
    EXPECT_EQ(newBuild.Unit("Main")->ColumnStrings()->Get(6), "+96");
    EXPECT_EQ(TBaselineColumns::OldSize(newBuild.Unit("Charts")), 0);
    EXPECT_EQ(baseline.MaxOldUnitSize(), 300);
    EXPECT_EQ(baseline.MaxUnitChange(), 300);

    // Opening a unit pairs its rows with the baseline's; overloads in address order.
    TITreeNode *main = newBuild.Unit("Main");
    ASSERT_TRUE(baseline.AddSymbolRowsOf(newBuild.Analysis, main));
    EXPECT_EQ(Rows(main), QStringList({"TFormMain 240 140 100", "  Create 40 40 0", "  Paint 180 100 80",
                                       "  Resize 20 0 20", "Run 12 8 4", "Run 0 8 -8 only"}));
    EXPECT_FALSE(baseline.AddSymbolRowsOf(newBuild.Analysis, main)) << "opened once";
    ASSERT_TRUE(baseline.AddSymbolRowsOf(newBuild.Analysis, grids));
    EXPECT_EQ(Rows(grids), QStringList({"TGrid 0 300 -300 only", "  Draw 0 300 -300 only"}));

    // Hiding takes out the rows only the baseline has and every value; the columns go separately.
    TBaselineColumns::Hide(newBuild.Grid);
    EXPECT_FALSE(newBuild.Unit("Grids"));
    EXPECT_EQ(Rows(main), QStringList({"TFormMain 240 0 0", "  Create 40 0 0", "  Paint 180 0 0",
                                       "  Resize 20 0 0", "Run 12 0 0"}));
    EXPECT_FALSE(TBaselineColumns::HasBaselineValues(main));
    TBaselineColumns::RemoveColumns(newBuild.Grid);
    EXPECT_EQ(newBuild.Grid.Columns().Count(), 6);

    // Shown again, an opened unit gets its values back.
    baseline.Show(newBuild.Grid);
    EXPECT_EQ(Rows(main).first(), "TFormMain 240 140 100");
    EXPECT_EQ(Rows(main).last(), "Run 0 8 -8 only");
}

TEST_F(BuildComparisonTest, ABaselineThatCannotBeReadSaysWhy)
{
    TBaselineColumns baseline;
    EXPECT_FALSE(baseline.Load(Dir.filePath("Gone.map")));
    EXPECT_TRUE(baseline.ErrorMessage().contains("not available")) << baseline.ErrorMessage().toStdString();
}
