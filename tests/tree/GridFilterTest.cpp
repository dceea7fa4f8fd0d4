// A filter hides rows without changing them: the grid comes back as it was when it is cleared.

#include "tree/GridFilter.h"

#include "tree/TreeGridModel.h"

#include "support/ShownRows.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

// Roots sorted by size (Tag): Big (open) with a class that holds Create and Free, Mid, Small
// with a collapsed class that holds Create.
class GridFilterTest : public ::testing::Test
{
protected:
    GridFilterTest()
    {
        for (const char *caption : {"Name", "Size"}) {
            TITVColumn *const column = Grid.Columns().Add();
            column->SetCaption(caption);
            column->SetSortKind(caption[0] == 'N' ? iskText : iskTag);
        }
        Big = Add(nullptr, "Big", 30);
        TITreeNode *const form = Add(Big, "TForm", 20);
        Create = Add(form, "Create", 15);
        Free = Add(form, "Free", 5);
        Mid = Add(nullptr, "Mid", 20);
        Small = Add(nullptr, "Small", 10);
        SmallCreate = Add(Add(Small, "TList", 10), "Create", 10);
        Grid.SortBy(1, sdDescending);
        Big->SetExpanded(true);
        form->SetExpanded(true);
    }

    TITreeNode *Add(TITreeNode *parent, const char *text, qint64 size)
    {
        TITreeNode *const node =
            parent ? parent->AddChild(QString::fromLatin1(text)) : Grid.Items().AddRoot();
        node->SetText(QString::fromLatin1(text));
        node->SetTag(size);
        return node;
    }

    int Filter(const QString &text)
    {
        return Grid.Filter().Apply([text](const TITreeNode *row) { return row->Text().contains(text); },
                                   {Big, Mid, Small});
    }

    QStringList Selected()
    {
        QStringList rows;
        for (const TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->GetNext())
            if (node->Selected())
                rows << node->Text();
        return rows;
    }

    TTreeGridModel Grid;
    TITreeNode *Big, *Create, *Free, *Mid, *Small, *SmallCreate;
};

TEST_F(GridFilterTest, ClearingRestoresOpenRowsSelectionSortAndScroll)
{
    Free->SetSelected(true);
    Mid->SetSelected(true);
    Grid.SetTopNode(Mid);
    Grid.SetHorzScrollPosition(40);
    const QStringList before = ShownRows(Grid);

    EXPECT_EQ(Filter(QStringLiteral("Create")), 2);
    EXPECT_EQ(ShownRows(Grid),
              (QStringList{"Big+", "  TForm+", "    Create", "Small+", "  TList+", "    Create"}));
    EXPECT_EQ(Selected(), QStringList()) << "hidden rows are not selected while hidden";
    EXPECT_EQ(Grid.TopNode(), nullptr) << "the matches are shown from the first";
    Grid.SortBy(0, sdAscending);

    EXPECT_TRUE(Grid.Filter().Clear());
    EXPECT_EQ(ShownRows(Grid), before);
    EXPECT_EQ(Selected(), (QStringList{"Free", "Mid"}));
    EXPECT_EQ(Grid.SortColumnIndex(), 1);
    EXPECT_EQ(Grid.SortDirection(), sdDescending);
    EXPECT_EQ(Grid.TopNode(), Mid);
    EXPECT_EQ(Grid.HorzScrollPosition(), 40);
    EXPECT_FALSE(Grid.Filtered());
}

TEST_F(GridFilterTest, AMatchingRowKeepsWhatItHoldsAndANewTextStartsOver)
{
    EXPECT_EQ(Filter(QStringLiteral("Form")), 1);
    EXPECT_EQ(ShownRows(Grid), (QStringList{"Big+", "  TForm+", "    Create", "    Free"}))
        << "below a match every row shows, open as it was";
    EXPECT_EQ(Filter(QStringLiteral("List")), 1);
    EXPECT_EQ(ShownRows(Grid), (QStringList{"Small+", "  TList"}))
        << "a new text starts from the grid as it was";
    Grid.Filter().Clear();
    EXPECT_EQ(ShownRows(Grid), (QStringList{"Big+", "  TForm+", "    Create", "    Free", "Mid", "Small"}));
}

TEST_F(GridFilterTest, ASelectionMadeWhileFilteredStaysAndIsOpenedUpTo)
{
    Mid->SetSelected(true);
    Filter(QStringLiteral("Create"));
    SmallCreate->SetSelected(true);
    EXPECT_FALSE(Grid.Filter().Clear()) << "the user's new selection is kept";
    EXPECT_EQ(Selected(), QStringList{"Create"});
    EXPECT_EQ(ShownRows(Grid), (QStringList{"Big+", "  TForm+", "    Create", "    Free", "Mid", "Small+",
                                            "  TList+", "    Create"}));
}

TEST_F(GridFilterTest, RowsThatLeaveWhileFilteredAreForgotten)
{
    Mid->SetSelected(true);
    Grid.SetTopNode(Small);
    Filter(QStringLiteral("Create"));
    Small->Destroy();
    Mid->Destroy();
    Grid.Filter().Clear();
    EXPECT_EQ(ShownRows(Grid), (QStringList{"Big+", "  TForm+", "    Create", "    Free"}));
    EXPECT_EQ(Grid.TopNode(), nullptr);
    Filter(QStringLiteral("Create"));
    Grid.Clear();
    EXPECT_FALSE(Grid.Filtered()) << "a grid cleared has nothing to give back";
}

} // namespace
