#include "tree/ITreeNodes.h"

#include "base/XLists.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

// Records what the collection reports, and can refuse expansion.
class TRecordingView : public ITreeNodesView
{
public:
    void NodesChanged() override { ++Repaints; }
    void NodeRemoving(TITreeNode *Node) override { Log << QStringLiteral("free ") + Node->Text(); }
    void DoExpanding(TITreeNode *Node, bool &Allow) override
    {
        Log << QStringLiteral("expanding ") + Node->Text();
        Allow = AllowExpand;
    }
    void DoExpanded(TITreeNode *Node) override { Log << QStringLiteral("expanded ") + Node->Text(); }
    void DoCollapsing(TITreeNode *Node, bool &Allow) override
    {
        Q_UNUSED(Allow);
        Log << QStringLiteral("collapsing ") + Node->Text();
    }
    void DoCollapsed(TITreeNode *Node) override { Log << QStringLiteral("collapsed ") + Node->Text(); }

    QStringList Log;
    int Repaints = 0;
    bool AllowExpand = true;
};

QStringList ChildTexts(const TITreeNode *Parent)
{
    QStringList Result;
    for (const TITreeNode *Child = Parent->GetFirstChild(); Child; Child = Child->NextSibling())
        Result << Child->Text();
    return Result;
}

QStringList RootTexts(const TITreeNodes &Nodes)
{
    QStringList Result;
    for (const TITreeNode *Node = Nodes.GetFirstNode(); Node; Node = Node->NextSibling())
        Result << Node->Text();
    return Result;
}

// The sibling chain must agree with the child list in both directions.
void ExpectConsistentChildren(const TITreeNode *Parent)
{
    for (int I = 0; I < Parent->Count(); ++I) {
        const TITreeNode *const Child = Parent->Item(I);
        EXPECT_EQ(Child->Index(), I);
        EXPECT_EQ(Child->PrevSibling(), I > 0 ? Parent->Item(I - 1) : nullptr);
        EXPECT_EQ(Child->NextSibling(), I + 1 < Parent->Count() ? Parent->Item(I + 1) : nullptr);
    }
}

class TreeNodesTest : public ::testing::Test
{
protected:
    TRecordingView View;
    TITreeNodes Nodes{&View};

    TITreeNode *AddRoot(const QString &Text)
    {
        TITreeNode *const Node = Nodes.AddRoot();
        Node->SetText(Text);
        return Node;
    }
};

TEST_F(TreeNodesTest, LevelsParentsAndMembership)
{
    TITreeNode *const Root = AddRoot("root");
    TITreeNode *const Child = Root->AddChild("child");
    TITreeNode *const Grandchild = Child->AddChild("grandchild");

    EXPECT_EQ(Root->Level(), 0);
    EXPECT_EQ(Child->Level(), 1);
    EXPECT_EQ(Grandchild->Level(), 2);
    EXPECT_EQ(Root->Parent(), nullptr);
    EXPECT_EQ(Nodes.GetFirstNode(), Root);
    EXPECT_TRUE(Nodes.Contains(Root));
    EXPECT_TRUE(Nodes.Contains(Grandchild));
    EXPECT_TRUE(Root->HasDescendant(Grandchild));
    EXPECT_FALSE(Child->HasDescendant(Root));
    EXPECT_FALSE(Nodes.Contains(Nodes.Root()));

    TITreeNodes Other(nullptr);
    EXPECT_FALSE(Nodes.Contains(Other.AddRoot()));
    // A node made but never attached is not in the tree, nor are its children.
    std::unique_ptr<TITreeNode> Loose = Nodes.NewNode();
    TITreeNode *const LooseChild = Loose->AddChild();
    EXPECT_FALSE(Nodes.Contains(Loose.get()));
    EXPECT_FALSE(Nodes.Contains(LooseChild));
}

TEST_F(TreeNodesTest, QueriesOverChildren)
{
    TITreeNode *const A = AddRoot("A");
    A->AddChild("ABC");
    TITreeNode *const First = A->AddChild("abc");
    A->AddChild("abc");
    TITreeNode *const B = AddRoot("B");

    EXPECT_EQ(A->FindChild("abc"), First);
    EXPECT_EQ(A->FindChild("Abc"), nullptr);
    EXPECT_EQ(B->FindChild("abc"), nullptr);
    EXPECT_EQ(A->Count(), 3);
    EXPECT_FALSE(B->HasChildren());
    EXPECT_EQ(B->GetFirstChild(), nullptr);
    EXPECT_EQ(A->GetLastChild()->Text(), "abc");

    QStringList PreOrder;
    for (const TITreeNode *Node = Nodes.GetFirstNode(); Node; Node = Node->GetNext())
        PreOrder << Node->Text();
    EXPECT_EQ(PreOrder, QStringList({"A", "ABC", "abc", "abc", "B"}));

    for (const int Index : {-1, 3}) {
        try {
            A->Item(Index);
            ADD_FAILURE() << "no error for " << Index;
        } catch (const ETreeListError &Error) {
            EXPECT_EQ(Error.Message(), QStringLiteral("List index out of bounds (%1)").arg(Index));
        }
    }
}

TEST_F(TreeNodesTest, ColumnStringsAreCreatedOnFirstUse)
{
    TITreeNode *const Node = AddRoot("unit");
    EXPECT_EQ(Node->ColumnStringsIfAny(), nullptr);
    Node->ColumnStrings()->AddObject("12", 7);
    ASSERT_NE(Node->ColumnStringsIfAny(), nullptr);
    EXPECT_EQ(Node->ColumnStringsIfAny()->Objects(0), 7u);
}

TEST_F(TreeNodesTest, DeleteChildrenReportsDeepestAndLaterFirst)
{
    TITreeNode *const Root = AddRoot("root");
    TITreeNode *const First = Root->AddChild("first");
    First->AddChild("grandchild")->SetSelected(true);
    Root->AddChild("second");
    Root->SetSelected(true);
    ASSERT_EQ(Nodes.SelectedCount(), 2);
    View.Log.clear();

    Root->DeleteChildren();

    EXPECT_EQ(View.Log, QStringList({"free second", "free grandchild", "free first"}));
    EXPECT_EQ(Nodes.SelectedCount(), 1);
    EXPECT_FALSE(Root->HasChildren());
    EXPECT_EQ(Root->GetFirstChild(), nullptr);
}

TEST(TreeNodesRemoval, ViewDeselectingTheRemovedNodeKeepsTheCountRight)
{
    struct TDeselectingView : ITreeNodesView
    {
        void NodeRemoving(TITreeNode *Node) override { Node->SetSelected(false); }
    } View;
    TITreeNodes Nodes(&View);
    TITreeNode *const Kept = Nodes.AddRoot();
    Kept->SetSelected(true);
    TITreeNode *const Removed = Kept->AddChild();
    Removed->SetSelected(true);
    Kept->DeleteChildren();
    EXPECT_EQ(Nodes.SelectedCount(), 1);
}

TEST_F(TreeNodesTest, ClearEmptiesTheForest)
{
    AddRoot("a")->SetSelected(true);
    AddRoot("b")->AddChild("c")->SetSelected(true);
    Nodes.Clear();
    EXPECT_EQ(Nodes.GetFirstNode(), nullptr);
    EXPECT_EQ(Nodes.SelectedCount(), 0);
    EXPECT_EQ(View.Log, QStringList({"free c", "free b", "free a"}));
}

TEST_F(TreeNodesTest, DestroyingOneNodeDetachesItAndItsSubtree)
{
    TITreeNode *const Root = AddRoot("root");
    Root->AddChild("x");
    TITreeNode *const Middle = Root->AddChild("middle");
    Middle->AddChild("leaf");
    Root->AddChild("y");
    TITreeNode *const Lone = AddRoot("lone");
    View.Log.clear();

    Middle->Destroy();
    Lone->Destroy();

    // The node itself is reported before its subtree when it is destroyed directly.
    EXPECT_EQ(View.Log, QStringList({"free middle", "free leaf", "free lone"}));
    EXPECT_EQ(ChildTexts(Root), QStringList({"x", "y"}));
    ExpectConsistentChildren(Root);
    EXPECT_EQ(RootTexts(Nodes), QStringList({"root"}));
}

TEST(TreeNodesLifetime, FreeingTheCollectionReportsTheHiddenRootFirst)
{
    TRecordingView View;
    {
        TITreeNodes Nodes(&View);
        Nodes.AddRoot()->SetText("a");
        Nodes.AddRoot()->SetText("b");
        View.Log.clear();
    }
    EXPECT_EQ(View.Log, QStringList({"free ", "free b", "free a"}));
}

TEST_F(TreeNodesTest, ExpansionAsksTheViewAndAlwaysRepaints)
{
    TITreeNode *const Node = AddRoot("n");
    View.Repaints = 0;

    View.AllowExpand = false;
    Node->SetExpanded(true);
    EXPECT_FALSE(Node->Expanded());
    EXPECT_EQ(View.Log.last(), "expanding n");
    EXPECT_EQ(View.Repaints, 1);

    View.AllowExpand = true;
    Node->SetExpanded(true);
    EXPECT_TRUE(Node->Expanded());
    EXPECT_EQ(View.Log.mid(View.Log.size() - 2), QStringList({"expanding n", "expanded n"}));

    const QStringList Before = View.Log;
    const int RepaintsBefore = View.Repaints;
    Node->SetExpanded(true);
    EXPECT_EQ(View.Log, Before);
    EXPECT_EQ(View.Repaints, RepaintsBefore);

    Node->SetExpanded(false);
    EXPECT_FALSE(Node->Expanded());
    EXPECT_EQ(View.Log.mid(View.Log.size() - 2), QStringList({"collapsing n", "collapsed n"}));
}

TEST(TreeNodesExpansion, ExpandingHandlerMayReplaceTheChildren)
{
    struct TReplacingView : ITreeNodesView
    {
        void DoExpanding(TITreeNode *Node, bool &Allow) override
        {
            Q_UNUSED(Allow);
            Node->DeleteChildren();
            Node->AddChild("symbol");
        }
    } Replacing;
    TITreeNodes Tree(&Replacing);
    TITreeNode *const Unit = Tree.AddRoot();
    Unit->AddChild("$");
    Unit->SetExpanded(true);
    EXPECT_TRUE(Unit->Expanded());
    EXPECT_EQ(ChildTexts(Unit), QStringList({"symbol"}));
}

TEST_F(TreeNodesTest, SelectionCountsEachNodeOnce)
{
    TITreeNode *const Node = AddRoot("n");
    View.Repaints = 0;
    Node->SetSelected(true);
    Node->SetSelected(true);
    EXPECT_EQ(Nodes.SelectedCount(), 1);
    EXPECT_EQ(View.Repaints, 1);
    Node->SetSelected(false);
    EXPECT_EQ(Nodes.SelectedCount(), 0);
}

TEST_F(TreeNodesTest, UpdateBatchesHoldRepaintsBack)
{
    Nodes.BeginUpdate();
    Nodes.BeginUpdate();
    View.Repaints = 0;
    AddRoot("a");
    Nodes.EndUpdate();
    EXPECT_EQ(View.Repaints, 0);
    Nodes.EndUpdate();
    EXPECT_EQ(View.Repaints, 1);
    try {
        Nodes.EndUpdate();
        ADD_FAILURE() << "unbalanced EndUpdate passed";
    } catch (const EAssertionFailed &Error) {
        EXPECT_TRUE(Error.Message().startsWith("Unbalanced EndUpdate")) << Error.Message().toStdString();
    }
}

TEST_F(TreeNodesTest, AttachChildGuardsItsPreconditions)
{
    TITreeNode *const Root = AddRoot("root");
    EXPECT_THROW(Root->AttachChild(nullptr), EAssertionFailed);
    TITreeNodes Other(nullptr);
    EXPECT_THROW(Root->AttachChild(Other.NewNode()), EAssertionFailed);

    std::unique_ptr<TITreeNode> Node = Nodes.NewNode();
    Node->SetText("attached");
    TITreeNode *const Attached = Root->AttachChild(std::move(Node));
    EXPECT_EQ(Attached->Parent(), Root);
    EXPECT_TRUE(Nodes.Contains(Attached));
}

struct TAlphaSortCase
{
    int Flags;
    QStringList Roots;
    QStringList Grandchildren;
};

class AlphaSortTest : public TreeNodesTest, public ::testing::WithParamInterface<TAlphaSortCase>
{
};

TEST_P(AlphaSortTest, SortsByCaseInsensitiveText)
{
    AddRoot("b");
    TITreeNode *const Second = AddRoot("B2");
    AddRoot("a");
    Second->AddChild("y");
    Second->AddChild("X");

    Nodes.AlphaSort(GetParam().Flags);

    EXPECT_EQ(RootTexts(Nodes), GetParam().Roots);
    EXPECT_EQ(ChildTexts(Second), GetParam().Grandchildren);
    ExpectConsistentChildren(Nodes.Root());
    ExpectConsistentChildren(Second);
}

INSTANTIATE_TEST_SUITE_P(Flags, AlphaSortTest,
                         ::testing::Values(TAlphaSortCase{0, {"a", "b", "B2"}, {"y", "X"}},
                                           TAlphaSortCase{sfDescending, {"B2", "b", "a"}, {"y", "X"}},
                                           TAlphaSortCase{sfRecursive, {"a", "b", "B2"}, {"X", "y"}},
                                           TAlphaSortCase{
                                               sfDescending | sfRecursive, {"B2", "b", "a"}, {"y", "X"}}));

struct TSwapCase
{
    int A;
    int B;
    QStringList Expected;
};

class SwapChildrenTest : public TreeNodesTest, public ::testing::WithParamInterface<TSwapCase>
{
};

TEST_P(SwapChildrenTest, ExchangesPlacesInChainAndList)
{
    TITreeNode *const Parent = AddRoot("p");
    for (const char *Text : {"0", "1", "2", "3"})
        Parent->AddChild(Text);
    Parent->SwapChildren(Parent->Item(GetParam().A), Parent->Item(GetParam().B));
    EXPECT_EQ(ChildTexts(Parent), GetParam().Expected);
    ExpectConsistentChildren(Parent);

    for (const char *Text : {"0", "1", "2", "3"})
        AddRoot(Text);
    TITreeNode *const RootA = Nodes.Root()->Item(GetParam().A + 1);
    TITreeNode *const RootB = Nodes.Root()->Item(GetParam().B + 1);
    Nodes.SwapRoots(RootA, RootB);
    EXPECT_EQ(RootTexts(Nodes), QStringList{"p"} + GetParam().Expected);
    ExpectConsistentChildren(Nodes.Root());
}

INSTANTIATE_TEST_SUITE_P(Positions, SwapChildrenTest,
                         ::testing::Values(TSwapCase{0, 1, {"1", "0", "2", "3"}},
                                           TSwapCase{2, 1, {"0", "2", "1", "3"}},
                                           TSwapCase{0, 3, {"3", "1", "2", "0"}},
                                           TSwapCase{1, 3, {"0", "3", "2", "1"}},
                                           TSwapCase{2, 2, {"0", "1", "2", "3"}}));

TEST_F(TreeNodesTest, SwapsRejectNodesFromElsewhere)
{
    TITreeNode *const Parent = AddRoot("p");
    TITreeNode *const Child = Parent->AddChild("c");
    TITreeNode *const Other = AddRoot("o");
    EXPECT_THROW(Parent->SwapChildren(Child, Other), EAssertionFailed);
    EXPECT_THROW(Nodes.SwapRoots(Parent, Child), EAssertionFailed);
    TITreeNodes Foreign(nullptr);
    EXPECT_THROW(Nodes.SwapRoots(Parent, Foreign.AddRoot()), EAssertionFailed);
}

TEST_F(TreeNodesTest, ReorderChildrenTakesOnlyTheSameChildren)
{
    TITreeNode *const Parent = AddRoot("p");
    TITreeNode *const A = Parent->AddChild("a");
    TITreeNode *const B = Parent->AddChild("b");
    TITreeNode *const C = Parent->AddChild("c");
    Parent->ReorderChildren({C, A, B});
    EXPECT_EQ(ChildTexts(Parent), QStringList({"c", "a", "b"}));
    ExpectConsistentChildren(Parent);
    EXPECT_THROW(Parent->ReorderChildren({A, A, B}), EAssertionFailed);
    EXPECT_THROW(Parent->ReorderChildren({A, B}), EAssertionFailed);
}

} // namespace
