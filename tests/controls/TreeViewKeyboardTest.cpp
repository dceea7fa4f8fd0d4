// Keyboard moves, expansion keys and incremental search.
#include "TreeViewFixture.h"

namespace {

struct TKeyPress
{
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
};

struct TMoveCase
{
    const char *Name;
    int Start; // -1: nothing selected
    std::vector<TKeyPress> Keys;
    int Focused;
    std::vector<int> Selected;
    int Events;
};

class KeyboardMoves : public TreeViewFixture, public ::testing::WithParamInterface<TMoveCase>
{
};

TEST_P(KeyboardMoves, MoveTheSelectionAndFireOnlyWhenItChanges)
{
    View->SetMultiSelect(true);
    for (int i = 0; i < 30; ++i)
        Add(nullptr, QString("r%1").arg(i, 2, 10, QChar('0')));
    ASSERT_EQ(View->VisibleRowCount(), 10);
    if (GetParam().Start >= 0)
        View->SetSelectedNode(View->RowNode(GetParam().Start));
    SelectionEvents = 0;
    for (const TKeyPress &press : GetParam().Keys)
        Key(press.Key, press.Modifiers);
    EXPECT_EQ(SelectedRow(), GetParam().Focused);
    EXPECT_EQ(SelectedRows(), GetParam().Selected);
    EXPECT_EQ(SelectionEvents, GetParam().Events);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyboardMoves,
    ::testing::Values(
        TMoveCase{"DownFromNothingTakesRowZero", -1, {{Qt::Key_Down}}, 0, {0}, 1},
        TMoveCase{"UpFromNothingTakesRowZero", -1, {{Qt::Key_Up}}, 0, {0}, 1},
        TMoveCase{"DownMovesOneRow", 3, {{Qt::Key_Down}}, 4, {4}, 1},
        TMoveCase{"UpInTheFirstRowDoesNothing", 0, {{Qt::Key_Up}}, 0, {0}, 0},
        TMoveCase{"PageDownMovesAVisiblePage", 0, {{Qt::Key_PageDown}}, 10, {10}, 1},
        TMoveCase{"PageUpStopsAtTheFirstRow", 5, {{Qt::Key_PageUp}}, 0, {0}, 1},
        TMoveCase{"EndAndHome", 7, {{Qt::Key_End}, {Qt::Key_Home}}, 0, {0}, 2},
        // The owner sums the selection, so every step of a keyboard range is reported.
        TMoveCase{"ShiftDownExtendsAndReportsEachStep",
                  0,
                  {{Qt::Key_Down, Qt::ShiftModifier},
                   {Qt::Key_Down, Qt::ShiftModifier},
                   {Qt::Key_Down, Qt::ShiftModifier}},
                  3,
                  {0, 1, 2, 3},
                  3},
        TMoveCase{
            "ShiftDownInTheLastRowChangesNothing", 29, {{Qt::Key_Down, Qt::ShiftModifier}}, 29, {29}, 0},
        TMoveCase{"PlainMoveAfterARangeCollapsesIt",
                  2,
                  {{Qt::Key_End, Qt::ShiftModifier}, {Qt::Key_Up}},
                  28,
                  {28},
                  2},
        TMoveCase{"CtrlDDeselectsEverything",
                  4,
                  {{Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_D, Qt::ControlModifier}},
                  -1,
                  {},
                  2},
        TMoveCase{"CtrlASelectsAllOnceThenFiresNoMore",
                  4,
                  {{Qt::Key_A, Qt::ControlModifier}, {Qt::Key_A, Qt::ControlModifier}},
                  4,
                  [] {
                      std::vector<int> all;
                      for (int i = 0; i < 30; ++i)
                          all.push_back(i);
                      return all;
                  }(),
                  1}),
    [](const ::testing::TestParamInfo<TMoveCase> &info) { return std::string(info.param.Name); });

TEST_F(TreeViewFixture, MovesScrollTheTargetIntoView)
{
    for (int i = 0; i < 30; ++i)
        Add(nullptr, QString::number(i));
    Key(Qt::Key_End);
    EXPECT_EQ(View->RowIndex(View->TopNode()), 20);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(SelectedRow(), 19);
    EXPECT_EQ(View->RowIndex(View->TopNode()), 19);
    Key(Qt::Key_Home);
    EXPECT_EQ(View->RowIndex(View->TopNode()), 0);
}

TEST_F(TreeViewFixture, HomeAndEndInAnEmptyGridDoNothing)
{
    Key(Qt::Key_End);
    Key(Qt::Key_Home);
    Key(Qt::Key_Down);
    EXPECT_EQ(View->SelectedNode(), nullptr);
    EXPECT_EQ(SelectionEvents, 0);
}

class TreeKeys : public TreeViewFixture
{
protected:
    void SetUp() override
    {
        TreeViewFixture::SetUp();
        P0 = Add(nullptr, "p0");
        C0 = Add(P0, "c0");
        C1 = Add(P0, "c1");
        G0 = Add(C1, "g0");
        P1 = Add(nullptr, "p1");
    }
    TITreeNode *P0 = nullptr, *C0 = nullptr, *C1 = nullptr, *G0 = nullptr, *P1 = nullptr;
};

TEST_F(TreeKeys, RightExpandsThenEntersLeftCollapsesThenClimbs)
{
    View->SetSelectedNode(P0);
    Key(Qt::Key_Right);
    EXPECT_TRUE(P0->Expanded());
    EXPECT_EQ(View->SelectedNode(), P0);
    Key(Qt::Key_Right);
    EXPECT_EQ(View->SelectedNode(), C0);
    Key(Qt::Key_Left);
    EXPECT_EQ(View->SelectedNode(), P0);
    Key(Qt::Key_Left);
    EXPECT_FALSE(P0->Expanded());
    SelectionEvents = 0;
    Key(Qt::Key_Left);
    EXPECT_EQ(View->SelectedNode(), P0);
    EXPECT_EQ(SelectionEvents, 0);
}

TEST_F(TreeKeys, RightOnAnExpandedNodeWhoseExpandingAddedNothingStays)
{
    View->OnExpanding = [](TTreeGridModel *, TITreeNode *node, bool &) { node->DeleteChildren(); };
    View->SetSelectedNode(P0);
    Key(Qt::Key_Right);
    ASSERT_TRUE(P0->Expanded());
    SelectionEvents = 0;
    Key(Qt::Key_Right);
    EXPECT_EQ(View->SelectedNode(), P0);
    EXPECT_EQ(SelectionEvents, 0);
}

TEST_F(TreeKeys, NumpadKeysExpandAndCollapse)
{
    View->SetSelectedNode(P0);
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(P0->Expanded());
    EXPECT_FALSE(C1->Expanded());
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_FALSE(P0->Expanded());
    Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_TRUE(P0->Expanded());
    EXPECT_TRUE(C1->Expanded());
    Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_FALSE(P0->Expanded());
    EXPECT_FALSE(C1->Expanded());
    Key(Qt::Key_Asterisk, Qt::KeypadModifier);
    Key(Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_FALSE(P0->Expanded());
    EXPECT_FALSE(C1->Expanded());
}

TEST_F(TreeKeys, AltNumpadStarExpandsOrCollapsesTheWholeTree)
{
    Key(Qt::Key_Asterisk, Qt::KeypadModifier | Qt::AltModifier);
    EXPECT_TRUE(P0->Expanded());
    EXPECT_TRUE(C1->Expanded());
    EXPECT_FALSE(P1->Expanded());
    Key(Qt::Key_Asterisk, Qt::KeypadModifier | Qt::AltModifier);
    EXPECT_FALSE(P0->Expanded());
    EXPECT_FALSE(C1->Expanded());
}

TEST_F(TreeKeys, EnterCallsOnDblClickOnlyWithASelection)
{
    int calls = 0;
    View->OnDblClick = [&](TInteractiveCustomControl *) { ++calls; };
    Key(Qt::Key_Return);
    EXPECT_EQ(calls, 0);
    View->SetSelectedNode(P1);
    Key(Qt::Key_Return);
    EXPECT_EQ(calls, 1);
}

TEST_F(TreeKeys, OnKeyDownCanSwallowAKey)
{
    View->OnKeyDown = [](TInteractiveTreeView *, int &key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Down)
            key = 0;
    };
    Key(Qt::Key_Down);
    EXPECT_EQ(View->SelectedNode(), nullptr);
}

class IncrementalSearch : public TreeViewFixture
{
protected:
    void SetUp() override
    {
        TreeViewFixture::SetUp();
        Nodes = AddRoots({"apple", "fig", "Foo", "banana", "fox", "fog"});
    }
    void Type(const char *text, qint64 pauseMs = 100)
    {
        for (const char *c = text; *c; ++c) {
            QTest::keyClick(View.get(), *c);
            Clock->Advance(pauseMs);
        }
    }
    std::vector<TITreeNode *> Nodes;
};

TEST_F(IncrementalSearch, TypedLettersWithinTheWindowRefineTheMatch)
{
    Type("f");
    EXPECT_EQ(View->SelectedNode(), Nodes[1]);
    Type("o");
    EXPECT_EQ(View->SelectedNode(), Nodes[2]);
    EXPECT_EQ(View->SearchText(), "fo");
}

TEST_F(IncrementalSearch, ANodeThatAlreadyMatchesKeepsTheSelection)
{
    View->SetSelectedNode(Nodes[2]);
    Type("f");
    EXPECT_EQ(View->SelectedNode(), Nodes[4]);
    Type("o");
    EXPECT_EQ(View->SelectedNode(), Nodes[4]);
}

TEST_F(IncrementalSearch, TheSameLetterAfterAPauseMovesToTheNextMatchWrappingAround)
{
    Type("f", 2000);
    Type("f", 2000);
    EXPECT_EQ(View->SelectedNode(), Nodes[2]);
    EXPECT_EQ(View->SearchText(), "f");
    View->SetSelectedNode(Nodes[5]);
    Type("f", 2000);
    EXPECT_EQ(View->SelectedNode(), Nodes[1]);
}

// A sort column drawn by a hook keeps no text, as the size columns after a run: rows without text
// there are found by their name, rows with text by that text.
TEST_F(IncrementalSearch, RowsWithoutTextInTheSortColumnAreFoundByTheirName)
{
    Nodes[0]->ColumnStrings()->Put(1, "zeta");
    View->SortBy(2, sdDescending);
    Type("b", 2000);
    EXPECT_EQ(View->SelectedNode(), Nodes[3]);
    Type("z", 2000);
    EXPECT_EQ(View->SelectedNode(), Nodes[0]);
}

TEST_F(IncrementalSearch, LooksOnlyAmongTheSiblingsOfTheSelection)
{
    TITreeNode *const child = Add(Nodes[0], "aa");
    Add(Nodes[0], "fennel");
    Nodes[0]->SetExpanded(true);
    View->SetSelectedNode(child);
    Type("f");
    EXPECT_EQ(View->SelectedNode()->Text(), "fennel");
}

} // namespace

namespace {

// Rows a filter hides are not there for the keys: moves, opening and typing pass over them.
TEST_F(TreeViewFixture, KeysPassOverRowsAFilterHides)
{
    TITreeNode *const zero = Add(nullptr, "zero");
    Add(zero, "z");
    zero->SetExpanded(true);
    TITreeNode *const unit = Add(nullptr, "unit");
    Add(unit, "hidden");
    TITreeNode *const shown = Add(unit, "shown");
    Add(nullptr, "other");
    TITreeNode *const last = Add(nullptr, "last");
    View->StartFilter(
        [](const TITreeNode *row) { return row->Text().startsWith(u's') || row->Text() == "last"; }, {unit});
    unit->SetExpanded(false);
    View->SetSelectedNode(unit);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(View->SelectedNode(), shown) << "the first child shown";
    Key(Qt::Key_Down);
    EXPECT_EQ(View->SelectedNode(), last);
    View->SetSelectedNode(unit);
    QTest::keyClick(View.get(), 'o');
    EXPECT_EQ(View->SelectedNode(), unit) << "a hidden sibling is not found";
    unit->SetExpanded(false);
    Key(Qt::Key_Asterisk, Qt::KeypadModifier | Qt::AltModifier);
    EXPECT_TRUE(unit->Expanded()) << "the first row shown decides, not a hidden one above it";
}

} // namespace
