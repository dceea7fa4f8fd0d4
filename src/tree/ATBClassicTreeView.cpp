#include "tree/ATBClassicTreeView.h"

#include "base/XLists.h"
#include "tree/StableMergeSort.h"

QString TATBClassicTreeView::GetCellText(TITreeNode *Node, int Column)
{
    if (!Node || Column < 0)
        return {};
    if (Column == 0)
        return Node->Text();
    const TXStringList *const Strings = Node->ColumnStringsIfAny();
    if (Strings && Column - 1 < Strings->Count())
        return Strings->Get(Column - 1);
    return {};
}

namespace {

// Subtraction of the low 32 bits with wrap-around, as the integer comparers have always worked.
int TagDifference(const TITreeNode *A, const TITreeNode *B)
{
    return qint32(quint32(A->Tag()) - quint32(B->Tag()));
}

int DataDifference(const TITreeNode *A, const TITreeNode *B)
{
    return qint32(quint32(A->Data()) - quint32(B->Data()));
}

} // namespace

int TATBClassicTreeView::CompareNodesTag(TITreeNode *A, TITreeNode *B)
{
    return TagDifference(A, B);
}

int TATBClassicTreeView::CompareNodesData(TITreeNode *A, TITreeNode *B)
{
    return DataDifference(A, B);
}

void TATBClassicTreeView::SortNodeList(TITreeNodeList &Nodes, TITVSortKind Kind, bool Descending)
{
    if (Kind == iskTag)
        StableMergeSort(Nodes, TagDifference, Descending);
    else if (Kind == iskData)
        StableMergeSort(Nodes, DataDifference, Descending);
    else
        TAbstractTreeBrowser::SortNodeList(Nodes, Kind, Descending);
}

void TATBClassicTreeView::PushCurrentNode()
{
    FStack.push_back(FCurrent);
}

void TATBClassicTreeView::PopCurrentNode()
{
    if (FStack.empty()) {
        FCurrent = nullptr;
        return;
    }
    FCurrent = FStack.back();
    FStack.pop_back();
}

void TATBClassicTreeView::GoFirst()
{
    FCurrent = FNodes->Root()->GetFirstShownChild();
}

void TATBClassicTreeView::GoTo(TITreeNode *Node)
{
    FCurrent = FNodes->Contains(Node) ? Node : nullptr;
}

bool TATBClassicTreeView::HasParent()
{
    return FCurrent && FCurrent->Parent();
}

void TATBClassicTreeView::GoParent()
{
    FCurrent = FCurrent ? FCurrent->Parent() : nullptr;
}

bool TATBClassicTreeView::HasNextSibling()
{
    return FCurrent && FCurrent->NextShownSibling();
}

void TATBClassicTreeView::GoNextSibling()
{
    FCurrent = FCurrent ? FCurrent->NextShownSibling() : nullptr;
}

bool TATBClassicTreeView::HasPrevSibling()
{
    return FCurrent && FCurrent->PrevShownSibling();
}

void TATBClassicTreeView::GoPrevSibling()
{
    FCurrent = FCurrent ? FCurrent->PrevShownSibling() : nullptr;
}

bool TATBClassicTreeView::HasChildren()
{
    return FCurrent && FCurrent->HasShownChildren();
}

void TATBClassicTreeView::GoFirstChild()
{
    FCurrent = FCurrent ? FCurrent->GetFirstShownChild() : nullptr;
}

bool TATBClassicTreeView::Contains(const TITreeNode *Node)
{
    return FNodes->Contains(Node);
}

int TATBClassicTreeView::Level()
{
    return FCurrent ? FCurrent->Level() : 0;
}

QString TATBClassicTreeView::GetText()
{
    return FCurrent ? FCurrent->Text() : QString();
}

qint32 TATBClassicTreeView::GetData()
{
    return FCurrent ? FCurrent->Data() : 0;
}

qint64 TATBClassicTreeView::GetTag()
{
    return FCurrent ? FCurrent->Tag() : 0;
}

TXStringList *TATBClassicTreeView::GetColumnStrings()
{
    return FCurrent ? FCurrent->ColumnStringsIfAny() : nullptr;
}

bool TATBClassicTreeView::IsHidden()
{
    return FCurrent && FCurrent->Hidden();
}

bool TATBClassicTreeView::IsExpanded()
{
    return FCurrent && FCurrent->Expanded();
}

void TATBClassicTreeView::SetExpanded(bool Value)
{
    if (FCurrent)
        FCurrent->SetExpanded(Value);
}

bool TATBClassicTreeView::IsSelected()
{
    return FCurrent && FCurrent->Selected();
}

void TATBClassicTreeView::SetSelected(bool Value)
{
    if (FCurrent)
        FCurrent->SetSelected(Value);
}

int TATBClassicTreeView::SelectedCount()
{
    return FNodes->SelectedCount();
}

void TATBClassicTreeView::GetRows(TITreeNodeList &Rows)
{
    Rows.clear();
    TITreeNode *Node = FNodes->Root()->GetFirstShownChild();
    while (Node) {
        Rows.push_back(Node);
        if (Node->Expanded()) {
            if (TITreeNode *const Child = Node->GetFirstShownChild()) {
                Node = Child;
                continue;
            }
        }
        while (Node && !Node->NextShownSibling())
            Node = Node->Parent();
        if (Node)
            Node = Node->NextShownSibling();
    }
}

void TATBClassicTreeView::Sort(int Column, TITVSortKind Kind, int Flags)
{
    if (Column == 0 && Kind == iskText && (Flags & ~(sfDescending | sfRecursive)) == 0) {
        if (FCurrent)
            FCurrent->AlphaSort(Flags);
        else
            FNodes->AlphaSort(Flags);
        return;
    }
    if (Kind == iskNoSort)
        return;
    PushCurrentNode();
    SetSortColumn(Column);
    // Every sibling list is sorted on its own, so a worklist visits them in any order.
    std::vector<TITreeNode *> Pending{FCurrent ? FCurrent : FNodes->Root()};
    while (!Pending.empty()) {
        TITreeNode *const Parent = Pending.back();
        Pending.pop_back();
        TITreeNodeList Siblings;
        Siblings.reserve(size_t(Parent->Count()));
        for (TITreeNode *Child = Parent->GetFirstChild(); Child; Child = Child->NextSibling()) {
            Siblings.push_back(Child);
            if ((Flags & sfRecursive) && Child->HasChildren())
                Pending.push_back(Child);
        }
        if (Siblings.size() > 1) {
            SortNodeList(Siblings, Kind, (Flags & sfDescending) != 0);
            FCurrent = Parent == FNodes->Root() ? nullptr : Parent;
            ApplySiblingOrder(Siblings);
        }
    }
    PopCurrentNode();
}

void TATBClassicTreeView::SwapNodes(TITreeNode *A, TITreeNode *B)
{
    if (A == B)
        return;
    if (A->Parent())
        A->Parent()->SwapChildren(A, B);
    else
        FNodes->SwapRoots(A, B);
}

void TATBClassicTreeView::ApplySiblingOrder(const TITreeNodeList &Sorted)
{
    TITreeNode *const Parent = FCurrent ? FCurrent : FNodes->Root();
    Parent->ReorderChildren(Sorted);
}
