#include "tree/ITVColumns.h"

#include "tree/TreeGridModel.h"

#include <gtest/gtest.h>

namespace {

class TCountingGrid : public TTreeGridModel
{
public:
    void RequestGridRepaint() override { ++Repaints; }
    int Repaints = 0;
};

std::vector<int> Indexes(const TITVColumnList &Columns)
{
    std::vector<int> Result;
    for (const TITVColumn *Column : Columns)
        Result.push_back(Column->Index());
    return Result;
}

class ColumnsTest : public ::testing::Test
{
protected:
    void AddColumns(std::initializer_list<int> Widths)
    {
        for (const int Width : Widths)
            Grid.Columns().Add()->SetWidth(Width);
    }
    TITVColumn *Column(int Index) { return Grid.Columns()[Index]; }

    TCountingGrid Grid;
};

TEST_F(ColumnsTest, NewColumnsTakeTheDefaults)
{
    AddColumns({100, 100, 100});
    const TITVColumn *const Third = Column(2);
    EXPECT_EQ(Third->Name(), "Column2");
    EXPECT_FALSE(Third->NameStored());
    EXPECT_EQ(Third->Width(), 100);
    EXPECT_EQ(Third->MinWidth(), 0);
    EXPECT_TRUE(Third->Visible());
    EXPECT_EQ(Third->Rank(), 3);
    EXPECT_FALSE(Third->RankStored());
    EXPECT_EQ(Third->SortKind(), iskSmartText);
    EXPECT_EQ(Third->DefaultSortDirection(), sdAscending);
    EXPECT_EQ(Third->Color(), TITVColumn::ColorNone);
    EXPECT_EQ(Third->Alignment(), Qt::AlignLeft);
    EXPECT_TRUE(Third->ReadOnly());

    Column(0)->SetName("Units");
    EXPECT_EQ(Column(0)->Name(), "Units");
    EXPECT_THROW(Grid.Columns().Items(3), ETreeListError);
}

struct TWidthCase
{
    int MinWidth;
    int Width;
    int Expected;
};

class ColumnWidthTest : public ColumnsTest, public ::testing::WithParamInterface<TWidthCase>
{
};

TEST_P(ColumnWidthTest, ClampsToMinWidthAndTheLimit)
{
    AddColumns({100});
    Column(0)->SetMinWidth(GetParam().MinWidth);
    Column(0)->SetWidth(GetParam().Width);
    EXPECT_EQ(Column(0)->Width(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, ColumnWidthTest,
                         ::testing::Values(TWidthCase{0, 75, 75}, TWidthCase{0, -5, 0},
                                           TWidthCase{0, 40000, 32000}, TWidthCase{50, 20, 50},
                                           TWidthCase{-3, -1, 0}));

TEST_F(ColumnsTest, RaisingMinWidthWidensTheColumn)
{
    AddColumns({30});
    Column(0)->SetMinWidth(60);
    EXPECT_EQ(Column(0)->Width(), 60);
}

TEST_F(ColumnsTest, TheTreeColumnCannotBeHidden)
{
    AddColumns({100, 100});
    Column(0)->SetVisible(false);
    Column(1)->SetVisible(false);
    EXPECT_TRUE(Column(0)->Visible());
    EXPECT_FALSE(Column(1)->Visible());
}

TEST_F(ColumnsTest, ShownPropertiesRepaintStoredOnesDoNot)
{
    AddColumns({100});
    Grid.Repaints = 0;
    Column(0)->SetHint("tip");
    Column(0)->SetTag(5);
    Column(0)->SetDefaultSortDirection(sdDescending);
    EXPECT_EQ(Grid.Repaints, 0);
    Column(0)->SetText("Unit");
    Column(0)->SetColor(0xFF00FF);
    Column(0)->SetAlignment(Qt::AlignRight);
    EXPECT_EQ(Grid.Repaints, 3);
    EXPECT_EQ(Column(0)->Caption(), "Unit");
}

TEST_F(ColumnsTest, MovingChangesTheDisplayOrder)
{
    AddColumns({100, 100, 100, 100});
    Column(2)->MoveBefore(Column(0));
    EXPECT_EQ(Indexes(Grid.Columns().OrderedByRank(false)), std::vector<int>({2, 0, 1, 3}));
    EXPECT_TRUE(Column(2)->RankStored());

    Column(0)->MoveToEnd();
    EXPECT_EQ(Indexes(Grid.Columns().OrderedByRank(false)), std::vector<int>({2, 1, 3, 0}));
    const int Highest = Column(0)->Rank();
    Column(0)->MoveToEnd();
    EXPECT_EQ(Column(0)->Rank(), Highest);

    Column(1)->MoveBefore(Column(1));
    EXPECT_EQ(Indexes(Grid.Columns().OrderedByRank(false)), std::vector<int>({2, 1, 3, 0}));
}

TEST_F(ColumnsTest, VisibleOrderSkipsHiddenAndEmptyColumns)
{
    AddColumns({100, 50, 0, 30});
    Column(1)->SetVisible(false);
    Column(3)->MoveBefore(Column(0));
    EXPECT_EQ(Indexes(Grid.Columns().OrderedByRank(true)), std::vector<int>({3, 0}));
}

struct TColumnAtCase
{
    int Scroll;
    int X;
    int Expected;
};

class ColumnAtTest : public ColumnsTest, public ::testing::WithParamInterface<TColumnAtCase>
{
};

// Widths 100, 50 (hidden) and 30.
TEST_P(ColumnAtTest, FindsTheColumnUnderX)
{
    AddColumns({100, 50, 30});
    Column(1)->SetVisible(false);
    Grid.SetHorzScrollPosition(GetParam().Scroll);
    EXPECT_EQ(Grid.ColumnAt(GetParam().X), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Points, ColumnAtTest,
                         ::testing::Values(TColumnAtCase{0, -1, -1}, TColumnAtCase{0, 0, 0},
                                           TColumnAtCase{0, 99, 0}, TColumnAtCase{0, 100, 2},
                                           TColumnAtCase{0, 129, 2}, TColumnAtCase{0, 130, -1},
                                           TColumnAtCase{20, -21, -1}, TColumnAtCase{20, -20, 0},
                                           TColumnAtCase{20, 80, 2}));

TEST_F(ColumnsTest, GeometryFollowsRanksAndScrolling)
{
    EXPECT_EQ(Grid.ColumnAt(10), 0);
    AddColumns({100, 50, 30});
    Column(2)->MoveBefore(Column(1));
    Grid.SetHorzScrollPosition(20);
    EXPECT_EQ(Grid.ColumnLeft(Column(0)), -20);
    EXPECT_EQ(Grid.ColumnLeft(Column(2)), 80);
    EXPECT_EQ(Grid.ColumnLeft(Column(1)), 110);
    EXPECT_EQ(Grid.ColumnAt(115), 1);
    EXPECT_EQ(Grid.ColumnsWidth(), 180);
}

TEST_F(ColumnsTest, FactoryMakesTheGridsOwnColumnClass)
{
    struct TPaintedColumn : TITVColumn
    {
        int Hooks = 1;
    };
    Grid.Columns().SetColumnFactory([] { return std::make_unique<TPaintedColumn>(); });
    EXPECT_NE(dynamic_cast<TPaintedColumn *>(Grid.Columns().Add()), nullptr);
}

TEST_F(ColumnsTest, AssignCopiesThePublishedProperties)
{
    AddColumns({100, 100});
    Column(1)->SetCaption("Compiled size");
    Column(1)->SetWidth(120);
    Column(1)->SetSortKind(iskTag);
    Column(1)->SetVisible(false);
    Column(0)->Assign(*Column(1));
    EXPECT_EQ(Column(0)->Caption(), "Compiled size");
    EXPECT_EQ(Column(0)->Width(), 120);
    EXPECT_EQ(Column(0)->SortKind(), iskTag);
    EXPECT_TRUE(Column(0)->Visible());
}

} // namespace
