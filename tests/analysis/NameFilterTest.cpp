// The grid's filter over a real analysis: which rows show for a text, in both groupings, and which
// units had to be opened to find them.

#include "analysis/NameFilter.h"

#include "analysis/MapAnalysis.h"
#include "support/MapFileWriter.h"
#include "tree/GridFilter.h"
#include "tree/TreeGridModel.h"

#include <QTemporaryDir>

#include "support/ShownRows.h"

#include <gtest/gtest.h>

namespace {

// Units from 0 in this order: IdTCPClient [0, 40), IdGlobal [40, 60), Vcl.Forms [60, C0),
// App.Main [C0, 140). TTimer.Create is written without its unit, as old compilers write names.
const std::vector<TMapUnit> Units = {
    {QStringLiteral("IdTCPClient"), 0x40},
    {QStringLiteral("IdGlobal"), 0x20},
    {QStringLiteral("Vcl.Forms"), 0x60},
    {QStringLiteral("App.Main"), 0x80},
};
const std::vector<TMapSymbol> Symbols = {
    {0x00, QStringLiteral("IdTCPClient.TIdTCPClient.Create")},
    {0x10, QStringLiteral("IdTCPClient.TIdTCPClient.Connect")},
    {0x48, QStringLiteral("IdGlobal.IndyFormat")},
    {0x60, QStringLiteral("Vcl.Forms.TForm.Create")},
    {0x70, QStringLiteral("Vcl.Forms.TForm.Create")},
    {0x80, QStringLiteral("TTimer.Create")},
    {0x90, QStringLiteral("Vcl.Forms.TScreen.Show")},
    {0xC0, QStringLiteral("App.Main.TMainForm.FormCreate")},
    {0xD0, QStringLiteral("App.Main.TMainForm.TInner.TDeep.Flush")},
    {0xE0, QStringLiteral("App.Main.TMainForm.Button1Click")},
    {0x100, QStringLiteral("App.Main.TMainForm.\u00C9lan")},
};

class NameFilterTest : public ::testing::Test
{
protected:
    void Analyse(TSymbolGrouping grouping)
    {
        TMapAnalysis::SetupUnitColumns(Grid);
        Analysis.SetGrouping(grouping);
        ASSERT_TRUE(Analysis.Run(WriteMapFile(Dir.filePath(QStringLiteral("App.map")), Units, Symbols, 0x140),
                                 std::nullopt));
        Grid.OnExpanding = [this](TTreeGridModel *sender, TITreeNode *node, bool &allow) {
            Analysis.VGUnitsExpanding(sender, node, allow);
        };
    }

    int Filter(const QString &text)
    {
        const TNameFilter filter(text);
        if (filter.IsEmpty())
            return -1;
        return Grid.Filter().Apply([&filter](const TITreeNode *row) { return filter.RowMatches(row); },
                                   filter.UnitsOwningMatches(Analysis, Grid));
    }

    QTemporaryDir Dir;
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};
};

struct TFilterCase
{
    const char *Why;
    TSymbolGrouping Grouping;
    const char16_t *Text;
    int Matches; // -1: no filter
    QStringList Shown;
};

TEST_F(NameFilterTest, ShowsTheMatchingRowsWithTheRowsHoldingThem)
{
    const TSymbolGrouping address = TSymbolGrouping::ByAddress;
    const TFilterCase cases[] = {
        {"an empty text filters nothing",
         address,
         u"  ",
         -1,
         {"App.Main", "Vcl.Forms", "IdTCPClient", "IdGlobal"}},
        {"a unit's name: shown closed, as it was", address, u"global", 1, {"IdGlobal"}},
        {"a unit's name and a row below it", address, u"idtcp", 2, {"IdTCPClient+", "  TIdTCPClient"}},
        {"a symbol deep in a tree opens every row above it",
         address,
         u"deep",
         1,
         {"App.Main+", "  TMainForm+", "    TInner+", "      TDeep"}},
        {"letter case is ignored",
         address,
         u"FORMCREATE",
         1,
         {"App.Main+", "  TMainForm+", "    FormCreate"}},
        {"outside ASCII too", address, u"\u00E9LAN", 1, {"App.Main+", "  TMainForm+", "    \u00C9lan"}},
        {"overloads and a name without its unit, across units",
         address,
         u"create",
         5,
         {"App.Main+", "  TMainForm+", "    FormCreate", "Vcl.Forms+", "  TForm+", "    Create", "    Create",
          "  TTimer+", "    Create", "IdTCPClient+", "  TIdTCPClient+", "    Create"}},
        {"no match hides every row", address, u"zzz", 0, {}},
        {"rows that stand for no name never match", address, u"public", 0, {}},
        {"a text across a dot matches no row", address, u"Forms.TForm", 0, {}},
        {"by address, a name without its unit lies in a unit",
         address,
         u"timer",
         1,
         {"Vcl.Forms+", "  TTimer"}},
        {"by name, it belongs to none", TSymbolGrouping::ByName, u"timer", 0, {}},
        {"by name, a unit's own names",
         TSymbolGrouping::ByName,
         u"create",
         4,
         {"App.Main+", "  TMainForm+", "    FormCreate", "Vcl.Forms+", "  TForm+", "    Create", "    Create",
          "IdTCPClient+", "  TIdTCPClient+", "    Create"}},
    };
    for (const TFilterCase &test : cases) {
        SCOPED_TRACE(test.Why);
        Grid.Clear();
        Analyse(test.Grouping);
        EXPECT_EQ(Filter(QString::fromUtf16(test.Text)), test.Matches);
        EXPECT_EQ(ShownRows(Grid), test.Shown);
    }
}

TEST_F(NameFilterTest, OpensOnlyTheUnitsOwningAMatchingSymbol)
{
    Analyse(TSymbolGrouping::ByAddress);
    const TNameFilter filter(QStringLiteral("deep"));
    const TITreeNodeList owning = filter.UnitsOwningMatches(Analysis, Grid);
    ASSERT_EQ(owning.size(), 1u);
    EXPECT_EQ(owning.front()->Text(), QStringLiteral("App.Main"));
    Filter(QStringLiteral("deep"));
    for (const TITreeNode *unit = Grid.Items().GetFirstNode(); unit; unit = unit->NextSibling()) {
        if (unit != owning.front()) {
            EXPECT_EQ(unit->GetFirstChild()->Text(), QStringLiteral("$")) << qPrintable(unit->Text());
        }
    }
}

TEST_F(NameFilterTest, ClearingGivesTheGridBackAsItWas)
{
    Analyse(TSymbolGrouping::ByAddress);
    const QStringList before = ShownRows(Grid);
    Filter(QStringLiteral("create"));
    Filter(QStringLiteral("deep"));
    Grid.Filter().Clear();
    EXPECT_EQ(ShownRows(Grid), before);
}

} // namespace
