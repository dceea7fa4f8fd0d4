#include "tree/ITreeNodes.h"

#include "base/IndexQuickSort.h"
#include "base/XLists.h"

#include <algorithm>

namespace {

[[noreturn]] void RaiseNodeIndexError(int Index)
{
    throw ETreeListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TITreeNode

TITreeNode::TITreeNode(TITreeNodes *Owner) : FOwner(Owner) {}

TITreeNode::~TITreeNode()
{
    // Flattened so that a deep chain of nodes cannot exhaust the stack.
    std::vector<std::unique_ptr<TITreeNode>> Pending = std::move(FChildren);
    while (!Pending.empty()) {
        const std::unique_ptr<TITreeNode> Node = std::move(Pending.back());
        Pending.pop_back();
        for (auto &Child : Node->FChildren)
            Pending.push_back(std::move(Child));
        Node->FChildren.clear();
    }
}

void TITreeNode::Changed()
{
    if (FOwner)
        FOwner->Changed();
}

void TITreeNode::SetText(const QString &Value)
{
    FText = Value;
    if (FOwner)
        FOwner->ContentChanged();
    Changed();
}

void TITreeNode::SetExpanded(bool Value)
{
    if (Value == Expanded())
        return;
    bool Allow = true;
    ITreeNodesView *const View = FOwner ? FOwner->View() : nullptr;
    // The expanding hook runs before the bit is set, so it may replace the children.
    if (Value) {
        if (View)
            View->DoExpanding(this, Allow);
        if (Allow) {
            FState |= StateExpanded;
            if (FOwner)
                FOwner->ExpansionChanged();
            if (View)
                View->DoExpanded(this);
        }
    } else {
        if (View)
            View->DoCollapsing(this, Allow);
        if (Allow) {
            FState &= ~StateExpanded;
            if (FOwner)
                FOwner->ExpansionChanged();
            if (View)
                View->DoCollapsed(this);
        }
    }
    Changed();
}

void TITreeNode::SetSelected(bool Value)
{
    if (Value == Selected())
        return;
    if (Value)
        FState |= StateSelected;
    else
        FState &= ~StateSelected;
    if (FOwner) {
        FOwner->FSelectedCount += Value ? 1 : -1;
        FOwner->Changed();
    }
}

void TITreeNode::SetHidden(bool Value)
{
    if (Value == Hidden())
        return;
    if (Value)
        FState |= StateHidden;
    else
        FState &= ~StateHidden;
    if (FOwner)
        FOwner->ExpansionChanged();
    Changed();
}

TITreeNode *TITreeNode::GetNextAfterSubtree() const
{
    for (const TITreeNode *Node = this; Node; Node = Node->Parent())
        if (Node->NextSibling())
            return Node->NextSibling();
    return nullptr;
}

TITreeNode *TITreeNode::NextShownSibling() const
{
    TITreeNode *Node = FNextSibling;
    while (Node && Node->Hidden())
        Node = Node->FNextSibling;
    return Node;
}

TITreeNode *TITreeNode::PrevShownSibling() const
{
    TITreeNode *Node = FPrevSibling;
    while (Node && Node->Hidden())
        Node = Node->FPrevSibling;
    return Node;
}

TITreeNode *TITreeNode::GetFirstShownChild() const
{
    TITreeNode *Node = GetFirstChild();
    return Node && Node->Hidden() ? Node->NextShownSibling() : Node;
}

TITreeNode *TITreeNode::Item(int Index) const
{
    if (Index < 0 || Index >= Count())
        RaiseNodeIndexError(Index);
    return FChildren[size_t(Index)].get();
}

TITreeNode *TITreeNode::GetFirstChild() const
{
    return FChildren.empty() ? nullptr : FChildren.front().get();
}

TITreeNode *TITreeNode::GetLastChild() const
{
    return FChildren.empty() ? nullptr : FChildren.back().get();
}

TITreeNode *TITreeNode::GetNext() const
{
    if (!FChildren.empty())
        return FChildren.front().get();
    for (const TITreeNode *Node = this; Node; Node = Node->FParent)
        if (Node->FNextSibling)
            return Node->FNextSibling;
    return nullptr;
}

TITreeNode *TITreeNode::FindChild(const QString &Text) const
{
    for (const auto &Child : FChildren)
        if (Child->FText == Text)
            return Child.get();
    return nullptr;
}

bool TITreeNode::HasDescendant(const TITreeNode *Node) const
{
    if (!Node || Node == this)
        return false;
    // Root-level nodes carry no parent, so the hidden root recognises its forest by the owner.
    if (FOwner && FOwner->Root() == this)
        return FOwner->Contains(Node);
    for (const TITreeNode *Ancestor = Node->FParent; Ancestor; Ancestor = Ancestor->FParent)
        if (Ancestor == this)
            return true;
    return false;
}

int TITreeNode::Level() const
{
    int Result = 0;
    for (const TITreeNode *Ancestor = FParent; Ancestor; Ancestor = Ancestor->FParent)
        ++Result;
    return Result;
}

TXStringList *TITreeNode::ColumnStrings()
{
    if (!FColumnStrings)
        FColumnStrings = NewXStringList();
    return FColumnStrings.get();
}

TITreeNode *TITreeNode::AddChild()
{
    QASSERT(FOwner);
    return AttachChild(FOwner->NewNode());
}

TITreeNode *TITreeNode::AddChild(const QString &Text)
{
    TITreeNode *const Node = AddChild();
    Node->SetText(Text);
    return Node;
}

TITreeNode *TITreeNode::AttachChild(std::unique_ptr<TITreeNode> Node)
{
    QASSERT(Node);
    QASSERT(Node->FOwner == FOwner);
    QASSERT(Node->FParent == nullptr);
    TITreeNode *const Child = Node.get();
    TITreeNode *const Previous = GetLastChild();
    Child->FParent = this;
    Child->FPrevSibling = Previous;
    Child->FNextSibling = nullptr;
    if (Previous)
        Previous->FNextSibling = Child;
    Child->FIndex = Count();
    if (FChildren.size() == FChildren.capacity())
        FChildren.reserve(2 * FChildren.capacity() + 8);
    FChildren.push_back(std::move(Node));
    if (FOwner)
        FOwner->ShapeChanged();
    return Child;
}

void TITreeNode::DeleteChildren()
{
    if (FChildren.empty())
        return;
    // Post-order, later siblings first: every node is reported after its descendants. The walk
    // keeps its own stack, as symbol names can nest arbitrarily deep.
    struct TFrame
    {
        TITreeNode *Node;
        int NextChild; // counts down to -1
    };
    std::vector<TFrame> Stack{{this, Count() - 1}};
    while (!Stack.empty()) {
        TFrame &Top = Stack.back();
        if (Top.NextChild >= 0) {
            TITreeNode *const Child = Top.Node->FChildren[size_t(Top.NextChild--)].get();
            if (Child->HasChildren())
                Stack.push_back({Child, Child->Count() - 1});
            else
                ReportRemovedChild(Child);
            continue;
        }
        TITreeNode *const Done = Top.Node;
        Stack.pop_back();
        Done->FreeChildList();
        if (!Stack.empty())
            ReportRemovedChild(Done);
    }
}

void TITreeNode::ReportRemovedChild(TITreeNode *Child)
{
    if (FOwner)
        FOwner->NodeRemoved(Child);
    Child->FParent = nullptr;
    Child->FOwner = nullptr;
}

void TITreeNode::FreeChildList()
{
    while (!FChildren.empty())
        FChildren.pop_back();
    std::vector<std::unique_ptr<TITreeNode>>().swap(FChildren);
    if (FOwner)
        FOwner->ShapeChanged();
}

void TITreeNode::Destroy()
{
    QASSERT(FIndex >= 0);
    TITreeNode *const Holder = FParent ? FParent : (FOwner ? FOwner->Root() : nullptr);
    QASSERT(Holder && Holder != this);
    if (FOwner)
        FOwner->NodeRemoved(this);
    DeleteChildren();
    // Owning pointer to this node; it frees the node when the function returns.
    const std::unique_ptr<TITreeNode> Self = Holder->DetachChild(this);
}

std::unique_ptr<TITreeNode> TITreeNode::DetachChild(TITreeNode *Child)
{
    const int Index = Child->FIndex;
    QASSERT(Index >= 0 && Index < Count() && FChildren[size_t(Index)].get() == Child);
    if (Child->FPrevSibling)
        Child->FPrevSibling->FNextSibling = Child->FNextSibling;
    if (Child->FNextSibling)
        Child->FNextSibling->FPrevSibling = Child->FPrevSibling;
    Child->FPrevSibling = nullptr;
    Child->FNextSibling = nullptr;
    std::unique_ptr<TITreeNode> Result = std::move(FChildren[size_t(Index)]);
    FChildren.erase(FChildren.begin() + Index);
    for (size_t I = size_t(Index); I < FChildren.size(); ++I)
        FChildren[I]->FIndex = int(I);
    if (FChildren.empty())
        std::vector<std::unique_ptr<TITreeNode>>().swap(FChildren);
    Result->FIndex = -1;
    if (FOwner)
        FOwner->ShapeChanged();
    return Result;
}

void TITreeNode::RelinkChildren()
{
    TITreeNode *Previous = nullptr;
    for (size_t I = 0; I < FChildren.size(); ++I) {
        TITreeNode *const Child = FChildren[I].get();
        Child->FIndex = int(I);
        Child->FPrevSibling = Previous;
        if (Previous)
            Previous->FNextSibling = Child;
        Previous = Child;
    }
    if (Previous)
        Previous->FNextSibling = nullptr;
}

void TITreeNode::SortChildrenByText(int Flags)
{
    if (Count() < 2)
        return;
    const int Direction = (Flags & sfDescending) ? -1 : 1;
    IndexQuickSort(
        0, Count() - 1, true,
        [this, Direction](int I, int J) {
            return Direction * CompareText(FChildren[size_t(I)]->FText, FChildren[size_t(J)]->FText);
        },
        [this](int I, int J) { std::swap(FChildren[size_t(I)], FChildren[size_t(J)]); });
    RelinkChildren();
    if (FOwner)
        FOwner->ShapeChanged();
}

void TITreeNode::AlphaSort(int Flags)
{
    // Each child list is sorted on its own, so the order of the walk does not matter; a worklist
    // instead of recursion keeps deep trees off the stack.
    std::vector<TITreeNode *> Pending{this};
    while (!Pending.empty()) {
        TITreeNode *const Node = Pending.back();
        Pending.pop_back();
        Node->SortChildrenByText(Flags);
        if (Flags & sfRecursive)
            for (const auto &Child : Node->FChildren)
                Pending.push_back(Child.get());
        Node->Changed();
    }
}

void TITreeNode::SwapChildren(TITreeNode *A, TITreeNode *B)
{
    const auto IsChild = [this](const TITreeNode *Node) {
        return Node && Node->FIndex >= 0 && Node->FIndex < Count() &&
               FChildren[size_t(Node->FIndex)].get() == Node;
    };
    QASSERT(IsChild(A) && IsChild(B));
    if (A == B)
        return;
    const int IndexA = A->FIndex;
    const int IndexB = B->FIndex;
    std::swap(FChildren[size_t(IndexA)], FChildren[size_t(IndexB)]);
    std::swap(A->FIndex, B->FIndex);
    // Relinking the neighbourhood of both places covers the adjacent case as well.
    for (const int Index : {IndexA - 1, IndexA, IndexB - 1, IndexB}) {
        if (Index < 0 || Index + 1 >= Count())
            continue;
        FChildren[size_t(Index)]->FNextSibling = FChildren[size_t(Index) + 1].get();
        FChildren[size_t(Index) + 1]->FPrevSibling = FChildren[size_t(Index)].get();
    }
    FChildren.front()->FPrevSibling = nullptr;
    FChildren.back()->FNextSibling = nullptr;
    if (FOwner)
        FOwner->ShapeChanged();
}

void TITreeNode::ReorderChildren(const TITreeNodeList &NewOrder)
{
    QASSERT(NewOrder.size() == FChildren.size());
    // Checked whole before anything moves, so a bad order leaves the children as they were.
    std::vector<bool> Taken(FChildren.size(), false);
    for (const TITreeNode *const Node : NewOrder) {
        QASSERT(Node && Node->FIndex >= 0 && Node->FIndex < Count());
        QASSERT(FChildren[size_t(Node->FIndex)].get() == Node && !Taken[size_t(Node->FIndex)]);
        Taken[size_t(Node->FIndex)] = true;
    }
    std::vector<std::unique_ptr<TITreeNode>> Reordered;
    Reordered.reserve(FChildren.capacity());
    for (const TITreeNode *const Node : NewOrder)
        Reordered.push_back(std::move(FChildren[size_t(Node->FIndex)]));
    FChildren.swap(Reordered);
    RelinkChildren();
    if (FOwner)
        FOwner->ShapeChanged();
}

// ---------------------------------------------------------------------------------------------
// TITreeNodes

TITreeNodes::TITreeNodes(ITreeNodesView *View) : FView(View), FRoot(new TITreeNode(this)) {}

TITreeNodes::~TITreeNodes()
{
    NodeRemoved(FRoot.get());
    FRoot->DeleteChildren();
}

std::unique_ptr<TITreeNode> TITreeNodes::NewNode()
{
    return std::unique_ptr<TITreeNode>(new TITreeNode(this));
}

TITreeNode *TITreeNodes::AddRoot()
{
    TITreeNode *const Node = FRoot->AddChild();
    Node->FParent = nullptr;
    return Node;
}

TITreeNode *TITreeNodes::GetFirstNode() const
{
    return FRoot->GetFirstChild();
}

int TITreeNodes::RootCount() const
{
    return FRoot->Count();
}

void TITreeNodes::Clear()
{
    FRoot->DeleteChildren();
}

bool TITreeNodes::Contains(const TITreeNode *Node) const
{
    if (!Node || Node->FOwner != this || Node == FRoot.get())
        return false;
    // Up to the root-level ancestor, which must sit in the hidden root's list (a node made by
    // NewNode and never attached does not).
    while (Node->FParent)
        Node = Node->FParent;
    return Node != FRoot.get() && Node->FIndex >= 0 && Node->FIndex < FRoot->Count() &&
           FRoot->FChildren[size_t(Node->FIndex)].get() == Node;
}

void TITreeNodes::SwapRoots(TITreeNode *A, TITreeNode *B)
{
    QASSERT(A && B && A->FOwner == this && B->FOwner == this);
    QASSERT(A->FParent == nullptr && B->FParent == nullptr);
    FRoot->SwapChildren(A, B);
}

void TITreeNodes::AlphaSort(int Flags)
{
    FRoot->AlphaSort(Flags);
}

void TITreeNodes::BeginUpdate()
{
    ++FUpdateCount;
}

void TITreeNodes::EndUpdate()
{
    --FUpdateCount;
    if (FUpdateCount == 0)
        Changed();
    QASSERT_MSG(FUpdateCount >= 0, QStringLiteral("Unbalanced EndUpdate"));
}

void TITreeNodes::Changed()
{
    if (FUpdateCount == 0 && FView)
        FView->NodesChanged();
}

void TITreeNodes::NodeRemoved(TITreeNode *Node)
{
    // The bit goes with the count: a view that deselects its selected node on removal must not
    // take it from the count a second time.
    if (Node->Selected()) {
        --FSelectedCount;
        Node->FState &= ~TITreeNode::StateSelected;
    }
    if (FView)
        FView->NodeRemoving(Node);
    Changed();
}
