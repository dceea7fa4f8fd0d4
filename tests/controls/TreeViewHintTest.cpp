// Row tooltips: the whole text of a cell painted cut off, and what the owner adds about the row.
#include "TreeViewFixture.h"

namespace {

class RowHint : public TreeViewFixture
{
protected:
    void SetUp() override
    {
        TreeViewFixture::SetUp();
        Long = Add(nullptr, LongName, 5, "a kind name much too long for its column");
        Short = Add(nullptr, "short", 3, "unit");
        Paint();
    }
    static constexpr const char *LongName =
        "TDictionary<System.string,TList<Generics.TPair<Integer,string>>>";
    TITreeNode *Long = nullptr;
    TITreeNode *Short = nullptr;
};

TEST_F(RowHint, ACutOffCellShowsItsWholeTextAndAFittingCellNone)
{
    const struct
    {
        int Row;
        int X;
        QString Hint;
    } cases[] = {
        {0, 20, LongName},
        {0, NameWidth + SizeWidth + 10, "a kind name much too long for its column"},
        {0, NameWidth + 10, ""}, // "5" fits
        {1, 20, ""},
        {0, 390, ""}, // beyond the columns
    };
    for (const auto &c : cases)
        EXPECT_EQ(View->HintTextAt(RowPoint(c.Row, c.X)), c.Hint) << c.Row << " at " << c.X;
}

TEST_F(RowHint, TheOwnerAddsToEveryRowsHint)
{
    View->OnGetNodeHint = [](TInteractiveTreeView *, TITreeNode *node) {
        return node->Text() == "short" ? QString("address 0040A000") : QString();
    };
    EXPECT_EQ(View->HintTextAt(RowPoint(1, 20)), "address 0040A000");
    EXPECT_EQ(View->HintTextAt(RowPoint(0, 20)), LongName);

    // A wider column no longer cuts the name.
    View->Columns().Items(0)->SetWidth(600);
    Paint();
    EXPECT_EQ(View->HintTextAt(RowPoint(0, 20)), "");
}

} // namespace
