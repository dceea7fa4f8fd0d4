// What a render writes into the back buffer, the scrollbars it settles, and row geometry.
#include "TreeViewFixture.h"

#include "controls/ITVPixels.h"

namespace {

QRgb Resolved(TColor color)
{
    return ColorToQRgb(color) | 0xFF000000u;
}

QRgb Pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

class TreePainting : public TreeViewFixture
{
protected:
    void SetUp() override
    {
        TreeViewFixture::SetUp();
        Parent = Add(nullptr, "parent");
        First = Add(Parent, "first");
        Last = Add(Parent, "last");
        Closed = Add(nullptr, "closed");
        Add(Closed, "inside");
        Parent->SetExpanded(true);
    }
    int Middle(int row) const { return (RowTop(row) + RowTop(row + 1)) / 2; }
    TITreeNode *Parent = nullptr, *First = nullptr, *Last = nullptr, *Closed = nullptr;
};

TEST_F(TreePainting, ConnectorsAreDottedAndALastChildStopsAtTheMiddle)
{
    const QImage image = Rendered();
    const QRgb connector = Resolved(clBtnShadow);
    const QRgb window = Resolved(clWindow);
    // Children sit at level 1: content at 40, connector at 30.
    const int cx = 30;
    // The first child's line runs through its whole row (its middle holds the horizontal line).
    for (int y = RowTop(1); y < RowTop(2); ++y) {
        if (y != Middle(1)) {
            EXPECT_EQ(Pixel(image, cx, y), y % 2 == 0 ? connector : window) << "first child, y " << y;
        }
    }
    for (int y = Middle(2) + 1; y < RowTop(3); ++y)
        EXPECT_EQ(Pixel(image, cx, y), window) << "below the last child's middle, y " << y;
    for (int x = cx; x < 40; ++x)
        EXPECT_EQ(Pixel(image, x, Middle(2)), x % 2 == 0 ? connector : window) << "x " << x;
    // The parent has a next sibling, so its own line runs through its children's rows.
    const int parentX = 10;
    EXPECT_EQ(Pixel(image, parentX, RowTop(2) + (RowTop(2) % 2)), connector);
}

TEST_F(TreePainting, PlusAndMinusButtonsShowTheExpansion)
{
    const QImage image = Rendered();
    const QRgb text = Resolved(clWindowText);
    const int cx = 10;
    // Both show the horizontal stroke; only the collapsed one has the vertical stroke.
    EXPECT_EQ(Pixel(image, cx - 1, Middle(0)), text);
    EXPECT_EQ(Pixel(image, cx - 1, Middle(3)), text);
    EXPECT_NE(Pixel(image, cx, Middle(0) - 1), text);
    EXPECT_EQ(Pixel(image, cx, Middle(3) - 1), text);
}

TEST_F(TreePainting, NarrowTreeColumnKeepsTheZoneButDropsTheButton)
{
    View->Columns().Items(0)->SetWidth(15);
    const QImage image = Rendered();
    EXPECT_NE(Pixel(image, 10, Middle(3) - 1), Resolved(clWindowText));
    Click(QPoint(5, Middle(3)));
    EXPECT_TRUE(Closed->Expanded());
}

TEST_F(TreePainting, SelectionFillDependsOnTheFocus)
{
    View->SetRowSelect(true);
    View->SetSelectedNode(Closed);
    const QPoint inSizeCell(NameWidth + 5, Middle(3));
    const QPoint rightOfColumns(395, Middle(3));
    QImage image = Rendered();
    EXPECT_EQ(Pixel(image, inSizeCell.x(), inSizeCell.y()), Resolved(clHighlight));
    EXPECT_EQ(Pixel(image, rightOfColumns.x(), rightOfColumns.y()), Resolved(clHighlight));

    View->clearFocus();
    image = Rendered();
    const QRgb pale = MixTowards(Resolved(clHighlight), Resolved(clWindow), 0.75) | 0xFF000000u;
    EXPECT_EQ(Pixel(image, inSizeCell.x(), inSizeCell.y()), pale);
    EXPECT_EQ(Pixel(image, 5, inSizeCell.y()), pale);
}

TEST_F(TreePainting, SortTintAndColumnLinesReachTheEmptyRows)
{
    View->SetGridColumns(true);
    View->SortBy(1, sdAscending);
    const QImage image = Rendered();
    const int emptyRow = 8;
    const int y = RowTop(emptyRow) + 2;
    const QRgb tint = MixTowards(Resolved(clWindow), Resolved(clHotLight), 0.03) | 0xFF000000u;
    EXPECT_EQ(Pixel(image, NameWidth + 20, y), tint);
    EXPECT_EQ(Pixel(image, NameWidth + SizeWidth + 20, y), Resolved(clWindow));
    EXPECT_EQ(Pixel(image, NameWidth - 1, y), Resolved(clBtnFace));
    EXPECT_EQ(Pixel(image, NameWidth - 1, y + 1), Resolved(clWindow));
}

TEST_F(TreePainting, ContentHookDrawsInsideItsCellOverTheBackgroundWithoutText)
{
    View->SetRowSelect(true);
    View->SetSelectedNode(First);
    std::vector<QRect> cells;
    std::vector<TITreeViewNodeStates> states;
    View->Column(1)->OnDrawNodeContent = [&](TITreeView *, QPainter &canvas, const QRect &cell, TITreeNode *,
                                             int column, TITreeViewNodeStates nodeStates) {
        EXPECT_EQ(column, 1);
        cells.push_back(cell);
        states.push_back(nodeStates);
        canvas.fillRect(cell.adjusted(2, 2, -2, -2), Qt::red);
    };
    const QImage image = Rendered();
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[1], QRect(NameWidth, RowTop(1), SizeWidth, View->RowHeight()));
    EXPECT_EQ(states[1], TITreeViewNodeStates(nsSelected));
    EXPECT_EQ(states[0], TITreeViewNodeStates());
    EXPECT_EQ(Pixel(image, NameWidth + 10, Middle(0)), qRgb(255, 0, 0));
    EXPECT_EQ(Pixel(image, NameWidth, Middle(1)), Resolved(clHighlight));
    EXPECT_EQ(Pixel(image, NameWidth + SizeWidth - 1, Middle(0)), Resolved(clWindow));
}

TEST_F(TreePainting, RendersVisitOnlyTheRowsOnScreen)
{
    for (int i = 0; i < 200; ++i)
        Add(nullptr, QString::number(i));
    int visited = 0;
    View->OnBeforeRenderNode = [&](TTreeGridModel *, TITreeNode *) { ++visited; };
    View->SetTopNode(View->RowNode(50));
    Rendered();
    EXPECT_EQ(visited, 11);
}

struct TScrollCase
{
    const char *Name;
    int Roots;
    int NameWidth;
    bool Vertical;
    bool Horizontal;
};

class ScrollBarPresence : public TreeViewFixture, public ::testing::WithParamInterface<TScrollCase>
{
};

TEST_P(ScrollBarPresence, BarsShowOnlyWhenTheContentDoesNotFit)
{
    for (int i = 0; i < GetParam().Roots; ++i)
        Add(nullptr, QString::number(i));
    View->Columns().Items(0)->SetWidth(GetParam().NameWidth);
    const QImage image = Rendered();
    EXPECT_EQ(View->VertScrollBar() != nullptr, GetParam().Vertical);
    EXPECT_EQ(View->HorzScrollBar() != nullptr, GetParam().Horizontal);
    if (View->VertScrollBar()) {
        EXPECT_EQ(View->VertScrollBar()->Maximum(), GetParam().Roots);
        EXPECT_EQ(View->VertScrollBar()->Page(), View->VisibleRowCount());
        EXPECT_EQ(View->VertScrollBar()->Rect().left(), View->width() - View->ScrollBarExtent());
    }
    if (View->HorzScrollBar()) {
        EXPECT_EQ(View->HorzScrollBar()->Page(), View->AvailableWidth());
        EXPECT_EQ(View->HorzScrollBar()->Maximum(), View->ColumnsWidth() + 1);
    }
    if (GetParam().Vertical && GetParam().Horizontal) {
        EXPECT_EQ(Pixel(image, View->width() - 2, View->height() - 2), Resolved(clBtnFace));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrollBarPresence,
                         ::testing::Values(TScrollCase{"AllFits", 9, 150, false, false},
                                           TScrollCase{"TooManyRows", 30, 150, true, false},
                                           TScrollCase{"TooWide", 3, 300, false, true},
                                           TScrollCase{"HorizontalBarPushesRowsOut", 10, 300, true, true},
                                           TScrollCase{"Both", 30, 300, true, true}),
                         [](const ::testing::TestParamInfo<TScrollCase> &info) {
                             return std::string(info.param.Name);
                         });

TEST_F(TreeViewFixture, VerticalBarStaysUntilTheTopRowIsTheFirst)
{
    for (int i = 0; i < 12; ++i)
        Add(nullptr, QString::number(i));
    View->SetTopNode(View->RowNode(5));
    View->resize(400, 400);
    Rendered();
    EXPECT_NE(View->VertScrollBar(), nullptr);
    View->SetTopNode(View->RowNode(0));
    View->RequestRepaint();
    Rendered();
    EXPECT_EQ(View->VertScrollBar(), nullptr);
}

// Content that shrinks below a scrolled view pulls it back so that the last row is the last one shown,
// instead of leaving a few rows from mid-list with the rows above out of sight.
TEST_F(TreeViewFixture, CollapsingEverythingWhileScrolledKeepsTheViewFull)
{
    std::vector<TITreeNode *> roots;
    for (int i = 0; i < 15; ++i) {
        roots.push_back(Add(nullptr, QString::number(i)));
        for (int j = 0; j < 3; ++j)
            Add(roots.back(), QString("%1.%2").arg(i).arg(j));
        roots.back()->SetExpanded(true);
    }
    View->SortBy(0, sdDescending);
    View->SetTopNode(View->RowNode(50));
    View->RequestRepaint();
    Rendered();
    Key(Qt::Key_Asterisk, Qt::KeypadModifier | Qt::AltModifier);
    Rendered();
    ASSERT_EQ(View->Rows().size(), 15u);
    const int visible = View->VisibleRowCount();
    EXPECT_EQ(View->RowIndex(View->TopNode()), 15 - visible);
    EXPECT_EQ(View->RowAt(RowTop(visible - 1)), View->Rows().back());
    ASSERT_NE(View->VertScrollBar(), nullptr);
    EXPECT_EQ(View->VertScrollBar()->Position(), 15 - visible);
}

TEST_F(TreeViewFixture, RemovingRowsWhileScrolledShowsWhatIsLeftFromTheTop)
{
    std::vector<TITreeNode *> roots;
    for (int i = 0; i < 30; ++i)
        roots.push_back(Add(nullptr, QString::number(i)));
    View->SetTopNode(roots[25]);
    View->RequestRepaint();
    Rendered();
    for (int i = 0; i < 22; ++i)
        roots[size_t(i)]->Destroy();
    Rendered();
    EXPECT_EQ(View->TopNode(), roots[22]);
    EXPECT_EQ(View->VertScrollBar(), nullptr);
}

TEST_F(TreeViewFixture, WheelAndBarScrollTheTopRowAndReport)
{
    for (int i = 0; i < 30; ++i)
        Add(nullptr, QString::number(i));
    int scrolled = 0;
    View->OnScrolled = [&](TInteractiveTreeView *) { ++scrolled; };
    Rendered();
    QWheelEvent down(QPointF(50, 50), View->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(View.get(), &down);
    EXPECT_EQ(View->RowIndex(View->TopNode()), 3);
    EXPECT_EQ(scrolled, 1);
    View->VertScrollBar()->MoveToEnd();
    EXPECT_EQ(View->RowIndex(View->TopNode()), 20);
}

TEST_F(TreeViewFixture, RowAtMapsPointsToRowsAndNothingElse)
{
    const auto nodes = AddRoots({"r0", "r1", "r2"});
    View->Columns().Items(0)->SetWidth(500);
    Rendered();
    ASSERT_NE(View->HorzScrollBar(), nullptr);
    EXPECT_EQ(View->RowAt(5), nullptr);
    EXPECT_EQ(View->RowAt(RowTop(0)), nodes[0]);
    EXPECT_EQ(View->RowAt(RowTop(2) + 17), nodes[2]);
    EXPECT_EQ(View->RowAt(RowTop(3)), nullptr);
    EXPECT_EQ(View->RowAt(View->height() - 2), nullptr);
    EXPECT_EQ(View->VisibleRowCount(), (200 - 18 - View->ScrollBarExtent()) / 18);
}

TEST_F(TreeViewFixture, HotTrackingFollowsTheRowsButNotTheHeader)
{
    View->SetHotTrack(true);
    const auto nodes = AddRoots({"r0", "r1"});
    Rendered();
    Move(RowPoint(1));
    EXPECT_EQ(View->HotNode(), nodes[1]);
    Move(HeaderPoint(0));
    EXPECT_EQ(View->HotNode(), nullptr);
}

} // namespace

namespace {

TEST_F(TreePainting, ACellOfTwoPixelsShowsNoText)
{
    View->Columns().Items(2)->SetWidth(2);
    First->ColumnStrings()->Put(1, "WWWW");
    const QImage image = Rendered();
    const int left = NameWidth + SizeWidth;
    for (int x = left; x < left + 2; ++x)
        for (int y = RowTop(1); y < RowTop(2); ++y)
            EXPECT_EQ(Pixel(image, x, y), Resolved(clWindow)) << x << "," << y;
}

struct TSessionCase
{
    const char *Variable;
    const char *Value;
    bool Remote;
};

class RemoteSession : public ::testing::TestWithParam<TSessionCase>
{
protected:
    void SetUp() override
    {
        for (const char *name : {"SSH_CONNECTION", "SSH_CLIENT", "DISPLAY"}) {
            Saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            qunsetenv(name);
        }
    }
    void TearDown() override
    {
        for (const auto &[name, value, set] : Saved)
            set ? qputenv(name, value) : qunsetenv(name);
    }
    std::vector<std::tuple<const char *, QByteArray, bool>> Saved;
};

TEST_P(RemoteSession, SshOrAForeignDisplayTurnsHotTrackingOff)
{
    qputenv(GetParam().Variable, GetParam().Value);
    EXPECT_EQ(IsRemoteSession(), GetParam().Remote);
    EXPECT_EQ(TITreeView().HotTrack(), !GetParam().Remote);
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoteSession,
                         ::testing::Values(TSessionCase{"SSH_CONNECTION", "10.0.0.1 22 10.0.0.2 22", true},
                                           TSessionCase{"SSH_CLIENT", "10.0.0.1 4242 22", true},
                                           TSessionCase{"DISPLAY", "workstation:0", true},
                                           TSessionCase{"DISPLAY", ":0", false},
                                           TSessionCase{"DISPLAY", "localhost:10.0", false}));

} // namespace
