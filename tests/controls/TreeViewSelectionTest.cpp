// Selection by mouse: plain, Ctrl and Shift presses, and when OnSelectionChanged fires.
#include "TreeViewFixture.h"

namespace {

struct TPress
{
    int Row;
    Qt::KeyboardModifiers Modifiers;
};

struct TSelectionCase
{
    const char *Name;
    std::vector<TPress> Presses;
    std::vector<int> Selected;
    int Focused;
    int Events;
};

class MultiSelectPresses : public TreeViewFixture, public ::testing::WithParamInterface<TSelectionCase>
{
};

TEST_P(MultiSelectPresses, SelectAndFireAsTheModifiersSay)
{
    View->SetMultiSelect(true);
    AddRoots({"r0", "r1", "r2", "r3", "r4", "r5", "r6"});
    for (const TPress &press : GetParam().Presses)
        Click(RowPoint(press.Row), press.Modifiers);
    EXPECT_EQ(SelectedRows(), GetParam().Selected);
    EXPECT_EQ(SelectedRow(), GetParam().Focused);
    EXPECT_EQ(SelectionEvents, GetParam().Events);
}

const Qt::KeyboardModifiers None = Qt::NoModifier;
const Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
const Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
const Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

INSTANTIATE_TEST_SUITE_P(
    Cases, MultiSelectPresses,
    ::testing::Values(
        TSelectionCase{"PlainPressSelectsOne", {{1, None}, {3, None}}, {3}, 3, 2},
        TSelectionCase{"FocusedRowAgainKeepsCtrlSelectionAndFiresNothing",
                       {{1, None}, {3, Ctrl}, {5, Ctrl}, {5, None}},
                       {1, 3, 5},
                       5,
                       3},
        TSelectionCase{"CtrlOnFocusedDeselectsButKeepsFocus", {{2, None}, {2, Ctrl}}, {}, 2, 2},
        TSelectionCase{"ShiftSelectsTheRangeOnly", {{6, None}, {2, Ctrl}, {5, Shift}}, {2, 3, 4, 5}, 5, 3},
        TSelectionCase{"CtrlShiftAddsTheRange", {{0, None}, {4, Ctrl}, {6, CtrlShift}}, {0, 4, 5, 6}, 6, 3},
        TSelectionCase{"ShiftFromNoSelectionStartsAtRowZero", {{2, Shift}}, {0, 1, 2}, 2, 1}),
    [](const ::testing::TestParamInfo<TSelectionCase> &info) { return std::string(info.param.Name); });

TEST_F(TreeViewFixture, WithoutMultiSelectModifiersStillSelectOneRow)
{
    AddRoots({"r0", "r1", "r2"});
    Click(RowPoint(0));
    Click(RowPoint(2), Qt::ShiftModifier);
    Click(RowPoint(1), Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(SelectionEvents, 3);
}

TEST_F(TreeViewFixture, PressBelowTheLastRowDeselects)
{
    AddRoots({"r0", "r1"});
    Click(RowPoint(1));
    Click(RowPoint(6));
    EXPECT_EQ(View->SelectedNode(), nullptr);
    EXPECT_EQ(SelectedRows(), std::vector<int>{});
    EXPECT_EQ(SelectionEvents, 2);
}

TEST_F(TreeViewFixture, PressOnTheExpandZoneTogglesWithoutSelecting)
{
    TITreeNode *const parent = Add(nullptr, "parent");
    Add(parent, "child");
    const QPoint zone(View->RowIndent() / 2, RowPoint(0).y());
    Click(zone);
    EXPECT_TRUE(parent->Expanded());
    EXPECT_EQ(View->SelectedNode(), nullptr);
    Click(zone);
    EXPECT_FALSE(parent->Expanded());
}

TEST_F(TreeViewFixture, DoubleClickOnARowTogglesItAndFiresOnDblClick)
{
    TITreeNode *const parent = Add(nullptr, "parent");
    Add(parent, "child");
    int dblClicks = 0;
    View->OnDblClick = [&](TInteractiveCustomControl *) { ++dblClicks; };
    DoubleClick(RowPoint(0));
    EXPECT_TRUE(parent->Expanded());
    EXPECT_EQ(dblClicks, 1);
    DoubleClick(HeaderPoint(0));
    EXPECT_EQ(dblClicks, 1);
}

TEST_F(TreeViewFixture, SelectionFromInsideTheHandlerIsQueuedNotRecursive)
{
    const auto nodes = AddRoots({"r0", "r1", "r2"});
    int depth = 0;
    int maxDepth = 0;
    std::vector<TITreeNode *> seen;
    View->OnSelectionChanged = [&](TInteractiveTreeView *view) {
        maxDepth = std::max(maxDepth, ++depth);
        seen.push_back(view->SelectedNode());
        if (view->SelectedNode() == nodes[0])
            view->SetSelectedNode(nodes[2]);
        --depth;
    };
    View->SetSelectedNode(nodes[0]);
    EXPECT_EQ(View->SelectedNode(), nodes[0]);
    QCoreApplication::processEvents();
    EXPECT_EQ(View->SelectedNode(), nodes[2]);
    EXPECT_EQ(seen, (std::vector<TITreeNode *>{nodes[0], nodes[2]}));
    EXPECT_EQ(maxDepth, 1);
}

TEST_F(TreeViewFixture, QueuedSelectionOfARemovedNodeSelectsNothing)
{
    const auto nodes = AddRoots({"r0", "r1"});
    View->OnSelectionChanged = [&](TInteractiveTreeView *view) {
        if (view->SelectedNode() == nodes[0])
            view->SetSelectedNode(nodes[1]);
    };
    View->SetSelectedNode(nodes[0]);
    nodes[1]->Destroy();
    QCoreApplication::processEvents();
    EXPECT_EQ(View->SelectedNode(), nullptr);
}

TEST_F(TreeViewFixture, ClearFiresOnceOnlyWhileTheHandlerIsInstalled)
{
    View->SetMultiSelect(true);
    auto nodes = AddRoots({"r0", "r1", "r2"});
    View->SetSelectedNode(nodes[1]);
    nodes[2]->SetSelected(true);
    SelectionEvents = 0;
    View->Clear();
    EXPECT_EQ(SelectionEvents, 1);
    EXPECT_EQ(View->Items().SelectedCount(), 0);
    EXPECT_EQ(View->SelectedNode(), nullptr);

    nodes = AddRoots({"r0", "r1"});
    View->SetSelectedNode(nodes[0]);
    View->OnSelectionChanged = nullptr;
    View->Clear();
    EXPECT_EQ(View->SelectedNode(), nullptr);
    EXPECT_EQ(View->Items().SelectedCount(), 0);
}

TEST_F(TreeViewFixture, RightPressKeepsAMultiSelectionThatHoldsTheRow)
{
    View->SetMultiSelect(true);
    AddRoots({"r0", "r1", "r2"});
    Click(RowPoint(0));
    Click(RowPoint(2), Qt::ControlModifier);
    RightClick(RowPoint(0));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 2}));
    RightClick(RowPoint(1));
    EXPECT_EQ(SelectedRows(), std::vector<int>{1});
}

} // namespace
