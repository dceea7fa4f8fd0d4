#include "tree/TreeGridModel.h"

#include "base/XLists.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

struct TUnitRow
{
    QString Name;
    qint64 CodeSize;
    qint32 FormSize;
    QString Ratio;
};

// Counts repaint requests, as the widget would coalesce them.
class TCountingGrid : public TTreeGridModel
{
public:
    void RequestGridRepaint() override { ++Repaints; }
    int Repaints = 0;
};

// The grid of units: Unit (text), Compiled size and % (tag), DFM size (data), Ratio (numeric).
class TreeGridModelTest : public ::testing::Test
{
protected:
    TreeGridModelTest()
    {
        const struct
        {
            const char *Caption;
            TITVSortKind Kind;
        } Columns[] = {{"Unit", iskText},
                       {"Compiled size", iskTag},
                       {"%", iskTag},
                       {"DFM size", iskData},
                       {"Ratio DCU size", iskNumeric}};
        for (const auto &Column : Columns) {
            TITVColumn *const Added = Grid.Columns().Add();
            Added->SetCaption(Column.Caption);
            Added->SetSortKind(Column.Kind);
        }
    }

    void AddUnits(const std::vector<TUnitRow> &Units)
    {
        for (const TUnitRow &Unit : Units) {
            TITreeNode *const Node = Grid.Items().AddRoot();
            Node->SetText(Unit.Name);
            Node->SetTag(Unit.CodeSize);
            Node->SetData(Unit.FormSize);
            TXStringList *const Strings = Node->ColumnStrings();
            Strings->Add(QString::number(Unit.CodeSize));
            Strings->Add(QString());
            Strings->Add(QString::number(Unit.FormSize));
            Strings->Add(Unit.Ratio);
        }
    }

    QStringList RowTexts()
    {
        QStringList Result;
        for (const TITreeNode *Node : Grid.Rows())
            Result << Node->Text();
        return Result;
    }

    TCountingGrid Grid;
};

TEST_F(TreeGridModelTest, HeaderClicksFlipTheSortColumnAndStartOthersWithTheirDefault)
{
    AddUnits({{"A", 10, 5, "-"}, {"B", 30, 0, "-"}, {"C", 20, 9, "-"}});
    Grid.SortBy(1, sdDescending);
    EXPECT_EQ(RowTexts(), QStringList({"B", "C", "A"}));

    Grid.HeaderClick(1);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_EQ(RowTexts(), QStringList({"A", "C", "B"}));

    Grid.HeaderClick(3);
    EXPECT_EQ(Grid.SortColumnIndex(), 3);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_EQ(RowTexts(), QStringList({"B", "A", "C"}));

    Grid.HeaderClick(3);
    EXPECT_EQ(Grid.SortDirection(), sdDescending);
    EXPECT_EQ(RowTexts(), QStringList({"C", "A", "B"}));

    Grid.Columns()[2]->SetSortKind(iskNoSort);
    Grid.HeaderClick(2);
    EXPECT_EQ(Grid.SortColumnIndex(), 3);
    Grid.HeaderClick(7);
    EXPECT_EQ(Grid.SortColumnIndex(), 3);
}

TEST_F(TreeGridModelTest, EqualSizesKeepTheirOrderInBothDirections)
{
    AddUnits({{"first", 10, 0, ""}, {"big", 50, 0, ""}, {"second", 10, 0, ""}, {"third", 10, 0, ""}});
    Grid.SortBy(1, sdDescending);
    EXPECT_EQ(RowTexts(), QStringList({"big", "first", "second", "third"}));
    Grid.SortBy(1, sdAscending);
    EXPECT_EQ(RowTexts(), QStringList({"first", "second", "third", "big"}));
}

TEST_F(TreeGridModelTest, RatioColumnSortsByDecimalValue)
{
    AddUnits({{"a", 1, 0, "12.3"},
              {"b", 1, 0, "-"},
              {"c", 1, 0, "4.5"},
              {"d", 1, 0, "100.0"},
              {"e", 1, 0, "0.1"}});
    Grid.HeaderClick(4);
    EXPECT_EQ(RowTexts(), QStringList({"b", "e", "c", "a", "d"}));
}

TEST_F(TreeGridModelTest, UnitColumnIgnoresCaseAndPutsPrefixesFirst)
{
    AddUnits({{"ABD", 1, 0, ""}, {"abc", 1, 0, ""}, {"ab", 1, 0, ""}});
    Grid.SortBy(0, sdAscending);
    EXPECT_EQ(RowTexts(), QStringList({"ab", "abc", "ABD"}));
}

TEST_F(TreeGridModelTest, ExpandingHandlerResortsTheNewChildren)
{
    AddUnits({{"Unit", 100, 0, ""}});
    TITreeNode *const Unit = Grid.Items().GetFirstNode();
    Unit->AddChild("$");
    Grid.OnExpanding = [](TTreeGridModel *Sender, TITreeNode *Node, bool &Allow) {
        Q_UNUSED(Allow);
        Node->DeleteChildren();
        const struct
        {
            const char *Name;
            qint64 Size;
        } Symbols[] = {{"beta", 5}, {"Alpha", 70}, {"gamma", 25}};
        for (const auto &Symbol : Symbols)
            Node->AddChild(Symbol.Name)->SetTag(Symbol.Size);
        Sender->Resort();
    };

    Grid.SortBy(0, sdAscending);
    Unit->SetExpanded(true);
    EXPECT_EQ(RowTexts(), QStringList({"Unit", "Alpha", "beta", "gamma"}));

    Unit->SetExpanded(false);
    Grid.SortBy(1, sdDescending);
    Unit->SetExpanded(true);
    EXPECT_EQ(RowTexts(), QStringList({"Unit", "Alpha", "gamma", "beta"}));
}

TEST_F(TreeGridModelTest, CollapsedSubtreesAreSortedToo)
{
    AddUnits({{"Unit", 100, 0, ""}});
    TITreeNode *const Unit = Grid.Items().GetFirstNode();
    Unit->AddChild("small")->SetTag(1);
    Unit->AddChild("large")->SetTag(9);
    Grid.SortBy(1, sdDescending);
    EXPECT_EQ(RowTexts(), QStringList({"Unit"}));
    Unit->SetExpanded(true);
    EXPECT_EQ(RowTexts(), QStringList({"Unit", "large", "small"}));
}

TEST_F(TreeGridModelTest, SortByAnUnknownColumnIsRememberedForResort)
{
    AddUnits({{"b", 1, 0, ""}, {"a", 2, 0, ""}});
    Grid.SortBy(5, sdDescending);
    EXPECT_EQ(Grid.SortColumnIndex(), 5);
    EXPECT_EQ(Grid.SortColumn(), nullptr);
    EXPECT_EQ(RowTexts(), QStringList({"b", "a"}));

    Grid.Columns().Add()->SetSortKind(iskText);
    Grid.Items().GetFirstNode()->ColumnStrings()->Add("x");
    Grid.Resort();
    EXPECT_EQ(Grid.SortColumn(), Grid.Columns()[5]);
    EXPECT_EQ(RowTexts(), QStringList({"b", "a"}));
    EXPECT_EQ(Grid.Items().GetFirstNode()->Text(), "b");

    Grid.Columns().Delete(5);
    EXPECT_EQ(Grid.SortColumn(), nullptr);
    Grid.Resort();
    EXPECT_EQ(Grid.SortColumnIndex(), 5);
}

TEST_F(TreeGridModelTest, SortKeepsTheTopRowIndexNotTheTopNode)
{
    AddUnits({{"a", 1, 0, ""}, {"b", 2, 0, ""}, {"c", 3, 0, ""}, {"d", 4, 0, ""}});
    Grid.SetTopNode(Grid.Rows()[1]);
    Grid.SortBy(1, sdDescending);
    EXPECT_EQ(Grid.TopNode()->Text(), "c");

    Grid.SetTopNode(nullptr);
    Grid.SortBy(1, sdAscending);
    EXPECT_EQ(Grid.TopNode(), nullptr);
}

TEST_F(TreeGridModelTest, ChangingTheSortKindOfTheSortColumnResorts)
{
    AddUnits({{"x", 1, 0, "10"}, {"y", 2, 0, "9"}});
    Grid.SortBy(4, sdAscending);
    EXPECT_EQ(RowTexts(), QStringList({"y", "x"}));
    Grid.Columns()[4]->SetSortKind(iskText);
    EXPECT_EQ(RowTexts(), QStringList({"x", "y"}));
    Grid.Columns()[1]->SetSortKind(iskData);
    EXPECT_EQ(RowTexts(), QStringList({"x", "y"}));
}

TEST_F(TreeGridModelTest, BeforeSortEventGetsTheGrid)
{
    AddUnits({{"x", 1, 0, ""}});
    TTreeGridModel *Sender = nullptr;
    Grid.Columns()[1]->OnBeforeSort = [&Sender](TTreeGridModel *Grid) { Sender = Grid; };
    Grid.SortBy(0, sdAscending);
    EXPECT_EQ(Sender, nullptr);
    Grid.SortBy(1, sdAscending);
    EXPECT_EQ(Sender, &Grid);
}

TEST_F(TreeGridModelTest, RowsAreRebuiltOnlyWhenTheShapeChanged)
{
    AddUnits({{"a", 1, 0, ""}, {"b", 2, 0, ""}});
    TITreeNode *const A = Grid.Items().GetFirstNode();
    A->AddChild("child");
    EXPECT_EQ(RowTexts(), QStringList({"a", "b"}));
    const quint64 Version = Grid.RowsVersion();
    A->SetText("renamed");
    A->SetSelected(true);
    EXPECT_EQ(Grid.RowsVersion(), Version);

    A->SetExpanded(true);
    EXPECT_NE(Grid.RowsVersion(), Version);
    EXPECT_EQ(RowTexts(), QStringList({"renamed", "child", "b"}));
    EXPECT_EQ(Grid.RowIndex(A->GetFirstChild()), 1);
    EXPECT_EQ(Grid.RowNode(2)->Text(), "b");
    EXPECT_EQ(Grid.RowNode(3), nullptr);
    EXPECT_EQ(Grid.RowIndex(nullptr), -1);

    A->AddChild("late");
    EXPECT_EQ(Grid.RowIndex(A->GetLastChild()), 2);
    Grid.Items().GetFirstNode()->GetLastChild()->Destroy();
    EXPECT_EQ(RowTexts(), QStringList({"renamed", "child", "b"}));
    A->SetExpanded(false);
    EXPECT_EQ(Grid.RowIndex(A->GetFirstChild()), -1);
}

TEST_F(TreeGridModelTest, RemovedNodesLeaveTheViewState)
{
    AddUnits({{"a", 1, 0, ""}, {"b", 2, 0, ""}});
    Grid.SetTopNode(Grid.Items().GetFirstNode()->NextSibling());
    QStringList Freed;
    Grid.OnFreeNode = [&Freed](TTreeGridModel *Sender, TITreeNode *Node) {
        EXPECT_EQ(Sender->TopNode(), nullptr);
        Freed << Node->Text();
    };
    Grid.BeginUpdate();
    Grid.Repaints = 0;
    Grid.Clear();
    EXPECT_EQ(Grid.Repaints, 0);
    Grid.EndUpdate();
    EXPECT_EQ(Grid.Repaints, 1);
    EXPECT_EQ(Freed, QStringList({"b", "a"}));
    EXPECT_EQ(Grid.TopNode(), nullptr);
    EXPECT_TRUE(Grid.Rows().empty());
    Grid.OnFreeNode = nullptr; // Freed goes before the grid, which reports its hidden root
}

TEST(TreeGridModelLifetime, FreeingTheGridReportsEveryNode)
{
    QStringList Freed;
    {
        TTreeGridModel Grid;
        Grid.Items().AddRoot()->SetText("a");
        Grid.Items().GetFirstNode()->AddChild("b");
        Grid.OnFreeNode = [&Freed](TTreeGridModel *Sender, TITreeNode *Node) {
            EXPECT_EQ(Sender->Items().Root()->Owner(), &Sender->Items());
            Freed << Node->Text();
        };
    }
    EXPECT_EQ(Freed, QStringList({"", "b", "a"}));
}

TEST_F(TreeGridModelTest, SortingTheUnitColumnUsesTheTextSortOfTheNodes)
{
    // Column 0 by text takes the in-place quicksort; the same texts under another column take the
    // stable merge sort, so both must agree on texts that differ.
    AddUnits({{"delta", 1, 0, ""}, {"Alpha", 1, 0, ""}, {"charlie", 1, 0, ""}, {"Bravo", 1, 0, ""}});
    Grid.SortBy(0, sdDescending);
    EXPECT_EQ(RowTexts(), QStringList({"delta", "charlie", "Bravo", "Alpha"}));
    for (TITreeNode *Node = Grid.Items().GetFirstNode(); Node; Node = Node->NextSibling())
        Node->ColumnStrings()->Put(0, Node->Text());
    Grid.Columns()[1]->SetSortKind(iskText);
    Grid.SortBy(1, sdAscending);
    EXPECT_EQ(RowTexts(), QStringList({"Alpha", "Bravo", "charlie", "delta"}));
}

// Opening every row at once, each opening re-sorted through ResortChanged, against a twin grid that
// re-sorts the whole tree after each opening: the orders must be the same, whatever path is taken.
class ResortChangedTest : public ::testing::Test
{
protected:
    struct TCase
    {
        const char *Name;
        int Column;
        TITVSortDirection Direction;
        qint64 TagOffset;    // added to every other tag: far apart tags wrap the 32-bit difference
        bool AddUnsortedRow; // a row appended between two openings, not sorted
    };

    // Units with few distinct sizes and texts (many ties), each opening into classes and routines
    // whose sizes and names follow from the unit.
    static void Fill(TTreeGridModel &Grid, qint64 TagOffset, bool Partial)
    {
        for (const char *Caption : {"Unit", "Compiled size", "DFM size"})
            Grid.Columns().Add()->SetCaption(Caption);
        Grid.Columns()[0]->SetSortKind(iskText);
        Grid.Columns()[1]->SetSortKind(iskTag);
        Grid.Columns()[2]->SetSortKind(iskData);
        for (int U = 0; U < 40; ++U) {
            TITreeNode *const Unit = Grid.Items().AddRoot();
            Unit->SetText(QStringLiteral("Unit%1").arg(U % 7));
            Unit->SetTag(U % 5 + (U % 2 ? TagOffset : 0));
            Unit->SetData(U % 3);
            Unit->AddChild("$");
        }
        Grid.OnExpanding = [Partial, TagOffset](TTreeGridModel *Sender, TITreeNode *Node, bool &) {
            if (Node->Count() != 1 || Node->GetFirstChild()->Text() != "$")
                return;
            const quint64 Before = Sender->Items().ContentVersion();
            Node->DeleteChildren();
            const int Seed = int(Node->Tag() % 11) + Node->Text().size();
            for (int C = 0; C < 6; ++C) {
                TITreeNode *const Class = Node->AddChild(QStringLiteral("T%1").arg((C * Seed) % 4));
                Class->SetTag((C + Seed) % 3 + (C % 2 ? TagOffset : 0));
                for (int R = 0; R < 5; ++R)
                    Class->AddChild(QStringLiteral("M%1").arg(R % 2))->SetTag((R * Seed) % 4);
            }
            if (Partial)
                Sender->ResortChanged(Node, Before);
            else
                Sender->Resort();
        };
    }

    static QStringList Order(TTreeGridModel &Grid)
    {
        QStringList Result;
        for (const TITreeNode *Node = Grid.Items().GetFirstNode(); Node; Node = Node->GetNext())
            Result << QStringLiteral("%1:%2:%3").arg(Node->Level()).arg(Node->Text()).arg(Node->Tag());
        return Result;
    }

    static void OpenEveryRow(TTreeGridModel &Grid, bool AddUnsortedRow)
    {
        int Opened = 0;
        Grid.Browser().ForEach([&](TAbstractTreeBrowser &Browser) {
            if (AddUnsortedRow && ++Opened == 10)
                Grid.Items().AddRoot()->SetText("Appended");
            if (Browser.HasChildren())
                Browser.SetExpanded(true);
        });
    }
};

TEST_F(ResortChangedTest, OpeningEveryRowGivesTheOrderOfWholeSorts)
{
    const TCase Cases[] = {
        {"sizes, largest first", 1, sdDescending, 0, false},
        {"sizes, smallest first", 1, sdAscending, 0, false},
        {"form sizes", 2, sdAscending, 0, false},
        {"names (the unstable text sort)", 0, sdAscending, 0, false},
        {"sizes whose difference wraps", 1, sdDescending, 0xC0000000ll, false},
        {"a row appended meanwhile", 1, sdDescending, 0, true},
    };
    for (const TCase &Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TTreeGridModel Partial;
        TTreeGridModel Whole;
        Fill(Partial, Case.TagOffset, true);
        Fill(Whole, Case.TagOffset, false);
        Partial.SortBy(Case.Column, Case.Direction);
        Whole.SortBy(Case.Column, Case.Direction);
        OpenEveryRow(Partial, Case.AddUnsortedRow);
        OpenEveryRow(Whole, Case.AddUnsortedRow);
        EXPECT_EQ(Order(Partial), Order(Whole));
        EXPECT_EQ(Partial.Rows().size(), Whole.Rows().size());
        EXPECT_GT(Partial.Rows().size(), 40u * 10u);
    }
}

TEST_F(ResortChangedTest, OnlyTheOpenedRowIsSortedWhenTheRestIsInOrder)
{
    TTreeGridModel Grid;
    Fill(Grid, 0, true);
    Grid.SortBy(1, sdDescending);
    // A size changed behind the grid's back (the caller's to avoid) shows which path was taken.
    TITreeNode *const Last = Grid.Items().Root()->GetLastChild();
    Last->SetTag(1000);
    Grid.Items().GetFirstNode()->SetExpanded(true);
    EXPECT_EQ(Grid.Items().Root()->GetLastChild(), Last);
    Grid.Resort();
    EXPECT_EQ(Grid.Items().GetFirstNode(), Last);
}

TEST(TreeGridModelDepth, DeeplyNestedSymbolsDoNotExhaustTheStack)
{
    // A symbol name with very many dots nests one row per dot.
    constexpr int Depth = 200000;
    TTreeGridModel Grid;
    Grid.Columns().Add()->SetSortKind(iskText);
    Grid.Columns().Add()->SetSortKind(iskTag);
    TITreeNode *Node = Grid.Items().AddRoot();
    for (int Level = 1; Level < Depth; ++Level) {
        Node->AddChild("b")->SetTag(1);
        Node = Node->AddChild("a");
    }
    Grid.Browser().GoFirst();
    Grid.Browser().FullExpand();
    EXPECT_EQ(Grid.Rows().size(), size_t(2 * Depth - 1));
    Grid.SortBy(1, sdAscending);
    Grid.SortBy(0, sdAscending);
    EXPECT_EQ(Grid.Rows()[1]->Text(), "a");
    Grid.Browser().GoFirst();
    Grid.Browser().FullCollapse();
    EXPECT_EQ(Grid.Rows().size(), 1u);
    Grid.Clear();
    EXPECT_EQ(Grid.Items().GetFirstNode(), nullptr);

    TITreeNode *Chain = Grid.Items().AddRoot();
    for (int Level = 1; Level < Depth; ++Level)
        Chain = Chain->AddChild();
}

} // namespace
