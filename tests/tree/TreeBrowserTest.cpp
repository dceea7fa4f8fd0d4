#include "tree/ATBClassicTreeView.h"

#include "base/XLists.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <functional>

namespace {

// Lets a test create children when a node expands, as the analysis does.
class TExpandingView : public ITreeNodesView
{
public:
    void DoExpanding(TITreeNode *Node, bool &Allow) override
    {
        Q_UNUSED(Allow);
        if (OnExpanding)
            OnExpanding(Node);
    }
    std::function<void(TITreeNode *)> OnExpanding;
};

QStringList Texts(const TITreeNodeList &Nodes)
{
    QStringList Result;
    for (const TITreeNode *Node : Nodes)
        Result << Node->Text();
    return Result;
}

// r1 (collapsed) > x (expanded) > y;  r2 (expanded) > c1, c2;  r3.
class TreeBrowserTest : public ::testing::Test
{
protected:
    TreeBrowserTest()
    {
        R1 = AddRoot("r1");
        X = R1->AddChild("x");
        Y = X->AddChild("y");
        X->SetExpanded(true);
        R2 = AddRoot("r2");
        C1 = R2->AddChild("c1");
        C2 = R2->AddChild("c2");
        R2->SetExpanded(true);
        R3 = AddRoot("r3");
    }

    TITreeNode *AddRoot(const QString &Text)
    {
        TITreeNode *const Node = Nodes.AddRoot();
        Node->SetText(Text);
        return Node;
    }

    TExpandingView View;
    TITreeNodes Nodes{&View};
    TATBClassicTreeView Cursor{&Nodes};
    TITreeNode *R1, *X, *Y, *R2, *C1, *C2, *R3;
};

TEST_F(TreeBrowserTest, MovesLandOnNoneWhenThereIsNowhereToGo)
{
    Cursor.GoTo(R1);
    EXPECT_FALSE(Cursor.HasParent());
    Cursor.GoParent();
    EXPECT_EQ(Cursor.Current(), nullptr);
    EXPECT_FALSE(Cursor.HasChildren());
    EXPECT_EQ(Cursor.GetText(), QString());
    EXPECT_EQ(Cursor.Level(), 0);

    Cursor.GoTo(C1);
    EXPECT_EQ(Cursor.Level(), 1);
    Cursor.GoPrevSibling();
    EXPECT_EQ(Cursor.Current(), nullptr);

    TITreeNodes Other(nullptr);
    Cursor.GoTo(Other.AddRoot());
    EXPECT_EQ(Cursor.Current(), nullptr);
    EXPECT_FALSE(Cursor.Contains(Other.GetFirstNode()));
    EXPECT_TRUE(Cursor.Contains(Y));
}

TEST_F(TreeBrowserTest, OwnStackPopsNoneWhenEmpty)
{
    Cursor.GoTo(C2);
    Cursor.PushCurrentNode();
    Cursor.GoFirst();
    Cursor.PopCurrentNode();
    EXPECT_EQ(Cursor.Current(), C2);
    Cursor.PopCurrentNode();
    EXPECT_EQ(Cursor.Current(), nullptr);
}

TEST(AbstractTreeBrowser, AnswersNeutrallyAndGuardsItsStack)
{
    TAbstractTreeBrowser Cursor;
    EXPECT_EQ(Cursor.Current(), nullptr);
    EXPECT_FALSE(Cursor.CanSort());
    EXPECT_EQ(Cursor.GetImageIndex(), -1);
    TITreeNodeList Rows{nullptr};
    Cursor.GetRows(Rows);
    EXPECT_TRUE(Rows.empty());

    const auto ExpectAssertion = [](const std::function<void()> &Action, const QString &Message) {
        try {
            Action();
            ADD_FAILURE() << "no assertion: " << Message.toStdString();
        } catch (const EAssertionFailed &Error) {
            EXPECT_TRUE(Error.Message().startsWith(Message)) << Error.Message().toStdString();
        }
    };
    ExpectAssertion([&] { Cursor.PopCurrentNode(); }, "Unbalanced TAbstractTreeBrowser.PopCurrentNode");
    ExpectAssertion([&] { Cursor.SwapNodes(nullptr, nullptr); },
                    "TAbstractTreeBrowser.SwapNodes not implemented");
}

TEST_F(TreeBrowserTest, RowsListOnlyNodesWhoseAncestorsAreExpanded)
{
    TITreeNodeList Rows;
    Cursor.GetRows(Rows);
    EXPECT_EQ(Texts(Rows), QStringList({"r1", "r2", "c1", "c2", "r3"}));

    R1->SetExpanded(true);
    Cursor.GoTo(C1);
    Cursor.GetRows(Rows);
    EXPECT_EQ(Texts(Rows), QStringList({"r1", "x", "y", "r2", "c1", "c2", "r3"}));
    EXPECT_EQ(Cursor.Current(), C1);
}

struct TNextVisibleCase
{
    const char *From;
    int Delta;
    const char *To; // empty for none
};

class NextVisibleTest : public TreeBrowserTest, public ::testing::WithParamInterface<TNextVisibleCase>
{
};

TEST_P(NextVisibleTest, ReportsTheLevelChange)
{
    const TNextVisibleCase &Case = GetParam();
    for (TITreeNode *Node = Nodes.GetFirstNode(); Node; Node = Node->GetNext())
        if (Node->Text() == Case.From)
            Cursor.GoTo(Node);
    ASSERT_NE(Cursor.Current(), nullptr);
    EXPECT_EQ(Cursor.GoNextVisible(), Case.Delta);
    EXPECT_EQ(Cursor.GetText(), QString(Case.To));
}

INSTANTIATE_TEST_SUITE_P(Rows, NextVisibleTest,
                         ::testing::Values(TNextVisibleCase{"r1", 0, "r2"}, TNextVisibleCase{"r2", 1, "c1"},
                                           TNextVisibleCase{"c1", 0, "c2"}, TNextVisibleCase{"c2", -1, "r3"},
                                           TNextVisibleCase{"r3", 0, ""}, TNextVisibleCase{"y", -2, "r2"}));

TEST_F(TreeBrowserTest, SelectAllReachesCollapsedSubtrees)
{
    Cursor.SelectAll();
    EXPECT_EQ(Cursor.SelectedCount(), 7);
    EXPECT_TRUE(Y->Selected());
    Cursor.DeselectAll();
    EXPECT_EQ(Nodes.SelectedCount(), 0);

    TITreeNodes Other(nullptr);
    Cursor.GoTo(R3);
    Cursor.SelectNodes({C1, Other.AddRoot(), Y});
    EXPECT_EQ(Nodes.SelectedCount(), 2);
    EXPECT_EQ(Cursor.Current(), R3);
    EXPECT_FALSE(Other.GetFirstNode()->Selected());
}

TEST_F(TreeBrowserTest, ForEachWalksIntoChildrenMadeOnTheWay)
{
    View.OnExpanding = [](TITreeNode *Node) {
        if (Node->Text() == "r3")
            Node->AddChild("made");
    };
    QStringList Visited;
    Cursor.ForEach([&Visited](TAbstractTreeBrowser &Browser) {
        Visited << Browser.GetText();
        Browser.SetExpanded(true);
    });
    EXPECT_EQ(Visited, QStringList({"r1", "x", "y", "r2", "c1", "c2", "r3", "made"}));
}

TEST_F(TreeBrowserTest, FullExpandAndCollapseTouchOnlyNodesWithChildren)
{
    Cursor.GoTo(R1);
    Cursor.FullCollapse();
    EXPECT_FALSE(R1->Expanded());
    EXPECT_FALSE(X->Expanded());
    Cursor.FullExpand();
    EXPECT_TRUE(R1->Expanded());
    EXPECT_TRUE(X->Expanded());
    EXPECT_FALSE(Y->Expanded());
    EXPECT_EQ(Cursor.Current(), R1);
}

TEST_F(TreeBrowserTest, CellTextsAndColumnStrings)
{
    C1->ColumnStrings()->Add("one");
    Cursor.GoTo(C1);
    EXPECT_EQ(Cursor.GetColumnString(0), "one");
    EXPECT_EQ(Cursor.GetColumnString(1), QString());
    EXPECT_EQ(Cursor.GetCellText(C1, 0), "c1");
    EXPECT_EQ(Cursor.GetCellText(C1, 1), "one");
    EXPECT_EQ(Cursor.GetCellText(C1, 2), QString());

    Cursor.GoTo(C2);
    EXPECT_EQ(Cursor.GetColumnString(3), QString());
    EXPECT_EQ(Cursor.GetCellText(C2, 1), QString());
    EXPECT_EQ(C2->ColumnStringsIfAny(), nullptr);
    EXPECT_EQ(Cursor.GetColumnStrings(), nullptr);
}

TEST_F(TreeBrowserTest, SwapNodesUsesTheParentOrTheRootLevel)
{
    Cursor.SwapNodes(C1, C2);
    Cursor.SwapNodes(R1, R3);
    Cursor.SwapNodes(R2, R2);
    TITreeNodeList Rows;
    Cursor.GetRows(Rows);
    EXPECT_EQ(Texts(Rows), QStringList({"r3", "r2", "c2", "c1", "r1"}));
}

// ---- Comparers ---------------------------------------------------------------------------------

struct TComparerCase
{
    TITVSortKind Kind;
    QString TextA, TextB; // cell text of column 1
    qint64 TagA, TagB;
    qint32 DataA, DataB;
    int ExpectedSign;
};

class ComparerTest : public ::testing::TestWithParam<TComparerCase>
{
};

TEST_P(ComparerTest, ComparesOnTheSortColumn)
{
    const TComparerCase &Case = GetParam();
    TITreeNodes Nodes(nullptr);
    TATBClassicTreeView Cursor(&Nodes);
    TITreeNode *const A = Nodes.AddRoot();
    TITreeNode *const B = Nodes.AddRoot();
    A->ColumnStrings()->Add(Case.TextA);
    B->ColumnStrings()->Add(Case.TextB);
    A->SetTag(Case.TagA);
    B->SetTag(Case.TagB);
    A->SetData(Case.DataA);
    B->SetData(Case.DataB);
    Cursor.SetSortColumn(1);
    const int Result = Cursor.CompareNodes(Case.Kind, A, B);
    EXPECT_EQ((Result > 0) - (Result < 0), Case.ExpectedSign);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ComparerTest,
    ::testing::Values(TComparerCase{iskText, "abc", "ABD", 0, 0, 0, 0, -1},
                      TComparerCase{iskText, "abc", "ab", 0, 0, 0, 0, 1},
                      TComparerCase{iskNumeric, "12.5", "9", 0, 0, 0, 0, 1},
                      TComparerCase{iskNumeric, "-", "0", 0, 0, 0, 0, 0},
                      TComparerCase{iskSmartText, "v1.9", "v1.10", 0, 0, 0, 0, -1},
                      // Only the low 32 bits of the tags count, subtracted with wrap-around.
                      TComparerCase{iskTag, "", "", 0x100000005LL, 3, 0, 0, 1},
                      TComparerCase{iskTag, "", "", 7, 7 + (1LL << 32), 0, 0, 0},
                      TComparerCase{iskData, "", "", 0, 0, 4, 9, -1},
                      TComparerCase{iskCustom, "a", "b", 1, 2, 1, 2, 0},
                      TComparerCase{iskImageIndex, "a", "b", 1, 2, 1, 2, 0},
                      TComparerCase{iskHTMLText, "<b>b</b>", "a &amp; c", 0, 0, 0, 0, 1},
                      TComparerCase{iskHTMLNumeric, "<i>10</i>", "9", 0, 0, 0, 0, 1},
                      TComparerCase{iskSeparatedText, "a-2", "a-10", 0, 0, 0, 0, -1},
                      TComparerCase{iskNoSort, "a", "b", 0, 0, 0, 0, 0}));

// ---- Generic sort ------------------------------------------------------------------------------

// Applies a sorted order by swapping node by node, as a cursor without a faster way does.
class TSwappingCursor : public TATBClassicTreeView
{
public:
    using TATBClassicTreeView::TATBClassicTreeView;

protected:
    void ApplySiblingOrder(const TITreeNodeList &Sorted) override
    {
        TAbstractTreeBrowser::ApplySiblingOrder(Sorted);
    }
};

struct TGenericSortCase
{
    std::vector<int> Tags;
    int Flags;
    QStringList Expected; // texts are "<tag><letter>" so ties show their original order
};

class GenericSortTest : public ::testing::TestWithParam<TGenericSortCase>
{
protected:
    static void Fill(TITreeNodes &Nodes, const std::vector<int> &Tags)
    {
        char Letter = 'a';
        for (const int Tag : Tags) {
            TITreeNode *const Node = Nodes.AddRoot();
            Node->SetTag(Tag);
            Node->SetText(QString::number(Tag) + QChar(Letter++));
        }
    }
    static QStringList RootTexts(const TITreeNodes &Nodes)
    {
        QStringList Result;
        for (const TITreeNode *Node = Nodes.GetFirstNode(); Node; Node = Node->NextSibling())
            Result << Node->Text();
        return Result;
    }
};

TEST_P(GenericSortTest, StableInBothDirectionsAndAlikeForBothWaysOfReordering)
{
    const TGenericSortCase &Case = GetParam();
    TITreeNodes Fast(nullptr);
    TITreeNodes Swapped(nullptr);
    Fill(Fast, Case.Tags);
    Fill(Swapped, Case.Tags);
    TATBClassicTreeView FastCursor(&Fast);
    TSwappingCursor SwappingCursor(&Swapped);

    FastCursor.Sort(1, iskTag, Case.Flags);
    SwappingCursor.Sort(1, iskTag, Case.Flags);

    EXPECT_EQ(RootTexts(Fast), Case.Expected);
    EXPECT_EQ(RootTexts(Swapped), Case.Expected);
    EXPECT_EQ(FastCursor.Current(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, GenericSortTest,
    ::testing::Values(TGenericSortCase{{3, 1, 2}, 0, {"1b", "2c", "3a"}},
                      TGenericSortCase{{3, 1, 2}, sfDescending, {"3a", "2c", "1b"}},
                      TGenericSortCase{{2, 1, 2, 1, 2}, 0, {"1b", "1d", "2a", "2c", "2e"}},
                      TGenericSortCase{{2, 1, 2, 1, 2}, sfDescending, {"2a", "2c", "2e", "1b", "1d"}},
                      TGenericSortCase{{5, 4, 3, 2, 1, 0}, 0, {"0f", "1e", "2d", "3c", "4b", "5a"}},
                      TGenericSortCase{{1, 2, 3, 4}, sfDescending, {"4d", "3c", "2b", "1a"}},
                      TGenericSortCase{{4, 1, 3, 0, 2, 5, 1}, 0, {"0d", "1b", "1g", "2e", "3c", "4a", "5f"}},
                      TGenericSortCase{{7}, 0, {"7a"}}));

// Sorts with the cursor-only algorithm of the abstract class, level by level through recursion.
class TRecursiveSortingCursor : public TATBClassicTreeView
{
public:
    using TATBClassicTreeView::TATBClassicTreeView;
    void Sort(int Column, TITVSortKind Kind, int Flags) override
    {
        TAbstractTreeBrowser::Sort(Column, Kind, Flags);
    }
};

QStringList PreOrderTexts(const TITreeNodes &Nodes)
{
    QStringList Result;
    for (const TITreeNode *Node = Nodes.GetFirstNode(); Node; Node = Node->GetNext())
        Result << QString::number(Node->Level()) + Node->Text();
    return Result;
}

// Three levels with many equal tags, built the same way into any collection.
void FillWithTies(TITreeNodes &Nodes)
{
    quint32 Seed = 7;
    const auto Next = [&Seed] {
        Seed = Seed * 1103515245u + 12345u;
        return int((Seed >> 16) % 4);
    };
    int Name = 0;
    for (int Root = 0; Root < 6; ++Root) {
        TITreeNode *const RootNode = Nodes.AddRoot();
        RootNode->SetText(QString::number(Name++));
        RootNode->SetTag(Next());
        for (int Child = 0; Child < Next() + 1; ++Child) {
            TITreeNode *const ChildNode = RootNode->AddChild(QString::number(Name++));
            ChildNode->SetTag(Next());
            for (int Leaf = 0; Leaf < Next(); ++Leaf)
                ChildNode->AddChild(QString::number(Name++))->SetTag(Next());
        }
    }
}

TEST(TreeBrowserSort, CursorOnlyAlgorithmGivesTheSameOrder)
{
    for (const int Flags : {sfRecursive, sfRecursive | sfDescending, sfDescending}) {
        TITreeNodes Expected(nullptr);
        TITreeNodes Actual(nullptr);
        FillWithTies(Expected);
        FillWithTies(Actual);
        const QStringList Unsorted = PreOrderTexts(Actual);
        TATBClassicTreeView(&Expected).Sort(1, iskTag, Flags);
        EXPECT_NE(PreOrderTexts(Expected), Unsorted);
        TRecursiveSortingCursor Cursor(&Actual);
        Cursor.Sort(1, iskTag, Flags);
        EXPECT_EQ(PreOrderTexts(Actual), PreOrderTexts(Expected)) << "flags " << Flags;
        EXPECT_EQ(Cursor.Current(), nullptr);
    }
}

TEST_F(TreeBrowserTest, OnlyARecursiveSortReachesSubtreesCollapsedOrNot)
{
    X->AddChild("b");
    X->AddChild("a");
    R2->SetText("r0");
    Cursor.Sort(0, iskSmartText, sfDescending);
    TITreeNodeList Rows;
    Cursor.GetRows(Rows);
    EXPECT_EQ(Texts(Rows), QStringList({"r3", "r1", "r0", "c1", "c2"}));
    EXPECT_EQ(Texts({X->Item(0), X->Item(1), X->Item(2)}), QStringList({"y", "b", "a"}));

    Cursor.Sort(0, iskSmartText, sfRecursive);
    EXPECT_EQ(Texts({X->Item(0), X->Item(1), X->Item(2)}), QStringList({"a", "b", "y"}));
    Cursor.GetRows(Rows);
    EXPECT_EQ(Texts(Rows), QStringList({"r0", "c1", "c2", "r1", "r3"}));
}

TEST_F(TreeBrowserTest, SortAtANodeSortsItsChildren)
{
    Cursor.GoTo(R2);
    Cursor.Sort(0, iskText, sfDescending);
    EXPECT_EQ(R2->GetFirstChild(), C2);
    EXPECT_EQ(Nodes.GetFirstNode(), R1);
    EXPECT_EQ(Cursor.Current(), R2);
}

} // namespace
