// The header band: sorting clicks, column resize, reorder by drag, and the two header menus.
#include "TreeViewFixture.h"

#include "controls/DMInteractiveCustomControl.h"

namespace {

std::vector<int> DisplayOrder(TInteractiveTreeView &view)
{
    std::vector<int> order;
    for (const TITVColumn *column : view.Columns().OrderedByRank(false))
        order.push_back(column->Index());
    return order;
}

TEST_F(TreeViewFixture, AQuickClickSortsAndASecondOneTurnsTheDirection)
{
    Add(nullptr, "b", 2);
    Add(nullptr, "a", 3);
    Add(nullptr, "c", 1);
    Click(HeaderPoint(1));
    EXPECT_EQ(View->SortColumnIndex(), 1);
    EXPECT_EQ(View->SortDirection(), sdAscending);
    EXPECT_EQ(View->Rows().front()->Text(), "c");
    Click(HeaderPoint(1));
    EXPECT_EQ(View->SortDirection(), sdDescending);
    EXPECT_EQ(View->Rows().front()->Text(), "a");
}

TEST_F(TreeViewFixture, AHeldOrMovedPressDoesNotSort)
{
    Press(HeaderPoint(1));
    Clock->Advance(300);
    Release(HeaderPoint(1));
    EXPECT_EQ(View->SortColumnIndex(), -1);
    Press(HeaderPoint(1));
    Move(HeaderPoint(1) + QPoint(1, 0));
    Release(HeaderPoint(1) + QPoint(1, 0));
    EXPECT_EQ(View->SortColumnIndex(), -1);
}

TEST_F(TreeViewFixture, ANoSortColumnIgnoresClicks)
{
    View->Columns().Items(2)->SetSortKind(iskNoSort);
    Click(HeaderPoint(2));
    EXPECT_EQ(View->SortColumnIndex(), -1);
}

TEST_F(TreeViewFixture, DraggingAHandleResizesTheColumnAndReportsIt)
{
    std::vector<int> resized;
    View->OnColumnResize = [&](TITVColumn *column) { resized.push_back(column->Index()); };
    const QPoint handle = HandlePoint(0);
    Press(handle);
    Move(handle + QPoint(30, 0));
    Release(handle + QPoint(30, 0));
    EXPECT_EQ(View->Columns().Items(0)->Width(), NameWidth + 30);
    EXPECT_EQ(resized, std::vector<int>{0});

    Press(HandlePoint(0));
    Move(QPoint(-100, handle.y()));
    Release(QPoint(-100, handle.y()));
    EXPECT_EQ(View->Columns().Items(0)->Width(), 0);
}

// The width follows the pointer alone; the scroll brings the edge into view and stops there, however
// long the button is held.
TEST_F(TreeViewFixture, ResizingPastTheRightEdgeScrollsTheEdgeIntoViewWithoutWideningFurther)
{
    const QPoint handle = HandlePoint(2);
    Press(handle);
    const QPoint beyond(420, handle.y());
    Move(beyond);
    const int width = KindWidth + beyond.x() - handle.x();
    EXPECT_EQ(View->Columns().Items(2)->Width(), width);
    // The edge lies 21 pixels beyond the view: 8 * (21 div 16 + 1).
    EXPECT_EQ(View->HorzScrollPosition(), 16);
    Clock->Advance(TInteractiveTreeView::ResizeScrollMs);
    // 5 pixels beyond: one more step of 8, after which the edge is in view.
    EXPECT_EQ(View->HorzScrollPosition(), 24);
    Clock->Advance(2000);
    EXPECT_EQ(View->HorzScrollPosition(), 24);
    EXPECT_FALSE(View->RepeatTimerActive());
    EXPECT_EQ(View->Columns().Items(2)->Width(), width);
    Release(beyond);
    EXPECT_EQ(View->Columns().Items(2)->Width(), width);
    Paint();
    EXPECT_LE(View->HorzScrollPosition() + View->AvailableWidth(), View->ColumnsWidth());
}

TEST_F(TreeViewFixture, DoubleClickOnAHandleFitsTheDisplayedContent)
{
    TITreeNode *const parent = Add(nullptr, "a rather long unit name for the first column");
    Add(parent, "an even longer name that stays hidden while its parent is collapsed, so it never counts");
    const int fitted = View->ContentWidth(0);
    const QFontMetrics metrics(View->font());
    EXPECT_EQ(fitted, metrics.horizontalAdvance(parent->Text()) + View->RowIndent() + 7);
    DoubleClick(HandlePoint(0));
    EXPECT_EQ(View->Columns().Items(0)->Width(), fitted);
    EXPECT_FALSE(View->CapturedArea());
}

struct TDragCase
{
    const char *Name;
    int Column;
    int DropX;
    std::vector<int> Order;
};

class HeaderDrag : public TreeViewFixture, public ::testing::WithParamInterface<TDragCase>
{
};

TEST_P(HeaderDrag, DropsBeforeTheFirstColumnWhoseCentreIsRightOfThePoint)
{
    const QPoint start = HeaderPoint(GetParam().Column);
    Press(start);
    Move(start + QPoint(5, 0));
    const QPoint drop(GetParam().DropX, start.y());
    Move(drop);
    Release(drop);
    EXPECT_EQ(DisplayOrder(*View), GetParam().Order);
    EXPECT_FALSE(View->CapturedArea());
}

// Centres: Name 75, Size 190, Kind 270.
INSTANTIATE_TEST_SUITE_P(Cases, HeaderDrag,
                         ::testing::Values(TDragCase{"KindBeforeSize", 2, 160, {0, 2, 1}},
                                           TDragCase{"SizeToTheEnd", 1, 300, {0, 2, 1}},
                                           TDragCase{"KindOnItselfStays", 2, 250, {0, 1, 2}},
                                           TDragCase{"TreeColumnNeverMoves", 0, 300, {0, 1, 2}}),
                         [](const ::testing::TestParamInfo<TDragCase> &info) {
                             return std::string(info.param.Name);
                         });

TEST_F(TreeViewFixture, HeaderMenuListsColumnsAndTogglesTheirVisibility)
{
    RightClick(HeaderPoint(1));
    QMenu *const menu = TDMInteractiveCustomControl::Instance().PMColumn();
    const QList<QAction *> items = menu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "Name");
    EXPECT_FALSE(items[0]->isEnabled());
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_TRUE(items[2]->isEnabled());
    items[2]->trigger();
    menu->hide();
    EXPECT_FALSE(View->Columns().Items(2)->Visible());
    RightClick(QPoint(390, 5));
    EXPECT_FALSE(menu->actions()[2]->isChecked());
    menu->actions()[0]->trigger();
    menu->hide();
    EXPECT_TRUE(View->Columns().Items(0)->Visible());
}

struct TWidthCase
{
    const char *Typed;
    int Width;
};

class CustomWidth : public TreeViewFixture, public ::testing::WithParamInterface<TWidthCase>
{
};

TEST_P(CustomWidth, TypedWidthIsClampedAndInvalidTextKeepsTheWidth)
{
    View->Columns().Items(1)->SetMinWidth(20);
    QString prompt;
    View->InputBox = [&](const QString &caption, const QString &text, const QString &current) {
        prompt = caption + "|" + text + "|" + current;
        return QString(GetParam().Typed);
    };
    RightClick(HandlePoint(1));
    TDMInteractiveCustomControl &module = TDMInteractiveCustomControl::Instance();
    module.MIColumnCustomWidth()->trigger();
    module.PMColumnSize()->hide();
    EXPECT_EQ(prompt, "Custom Width|Enter width in pixels|80");
    EXPECT_EQ(View->Columns().Items(1)->Width(), GetParam().Width);
}

INSTANTIATE_TEST_SUITE_P(Cases, CustomWidth,
                         ::testing::Values(TWidthCase{"50abc", SizeWidth}, TWidthCase{"40000", 32000},
                                           TWidthCase{"60", 60}, TWidthCase{"5", 20}));

TEST_F(TreeViewFixture, WidthMenuSetsTheMinimumOrTheContentWidth)
{
    Add(nullptr, "a", 123456789);
    View->Columns().Items(1)->SetMinWidth(20);
    TDMInteractiveCustomControl &module = TDMInteractiveCustomControl::Instance();
    RightClick(HandlePoint(1));
    module.MIColumnMinWidth()->trigger();
    module.PMColumnSize()->hide();
    EXPECT_EQ(View->Columns().Items(1)->Width(), 20);
    RightClick(HandlePoint(1));
    module.MIColumnAutoWidth()->trigger();
    module.PMColumnSize()->hide();
    EXPECT_EQ(View->Columns().Items(1)->Width(), View->ContentWidth(1));
}

} // namespace
