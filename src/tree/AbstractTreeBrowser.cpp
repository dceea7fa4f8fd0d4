#include "tree/AbstractTreeBrowser.h"

#include "base/Exception.h"
#include "base/XLists.h"
#include "tree/SortComparisons.h"
#include "tree/StableMergeSort.h"

namespace {

// Subtraction with 32-bit wrap-around, as the integer comparers have always worked.
int WrappedDifference(qint64 A, qint64 B)
{
    return qint32(quint32(A) - quint32(B));
}

} // namespace

QString TAbstractTreeBrowser::GetColumnString(int K)
{
    const TXStringList *const Strings = GetColumnStrings();
    if (Strings && K >= 0 && K < Strings->Count())
        return Strings->Get(K);
    return {};
}

int TAbstractTreeBrowser::GetColumnImageIndex(int K)
{
    Q_UNUSED(K);
    return -1;
}

QString TAbstractTreeBrowser::GetCellText(TITreeNode *Node, int Column)
{
    Q_UNUSED(Node);
    Q_UNUSED(Column);
    return {};
}

// ---- Comparers ---------------------------------------------------------------------------------

int TAbstractTreeBrowser::CompareNodesText(TITreeNode *A, TITreeNode *B)
{
    return CompareText(GetCellText(A, FSortColumn), GetCellText(B, FSortColumn));
}

int TAbstractTreeBrowser::CompareNodesNumeric(TITreeNode *A, TITreeNode *B)
{
    return CompareNumericTexts(GetCellText(A, FSortColumn), GetCellText(B, FSortColumn));
}

int TAbstractTreeBrowser::CompareNodesDateTime(TITreeNode *A, TITreeNode *B)
{
    return CompareDateTimeTexts(GetCellText(A, FSortColumn), GetCellText(B, FSortColumn));
}

int TAbstractTreeBrowser::CompareNodesSmartText(TITreeNode *A, TITreeNode *B)
{
    return SmartCompare(GetCellText(A, FSortColumn), GetCellText(B, FSortColumn));
}

int TAbstractTreeBrowser::CompareNodesTag(TITreeNode *A, TITreeNode *B)
{
    GoTo(A);
    const qint64 TagA = GetTag();
    GoTo(B);
    return WrappedDifference(TagA, GetTag());
}

int TAbstractTreeBrowser::CompareNodesData(TITreeNode *A, TITreeNode *B)
{
    GoTo(A);
    const qint32 DataA = GetData();
    GoTo(B);
    return WrappedDifference(DataA, GetData());
}

int TAbstractTreeBrowser::CompareNodesCustom(TITreeNode *A, TITreeNode *B)
{
    Q_UNUSED(A);
    Q_UNUSED(B);
    return 0;
}

int TAbstractTreeBrowser::CompareNodesImageIndex(TITreeNode *A, TITreeNode *B)
{
    GoTo(A);
    const int ImageA = GetColumnImageIndex(FSortColumn);
    GoTo(B);
    return ImageA - GetColumnImageIndex(FSortColumn);
}

int TAbstractTreeBrowser::CompareNodesHTMLText(TITreeNode *A, TITreeNode *B)
{
    return CompareText(HTMLToPlainText(GetCellText(A, FSortColumn)),
                       HTMLToPlainText(GetCellText(B, FSortColumn)));
}

int TAbstractTreeBrowser::CompareNodesHTMLNumeric(TITreeNode *A, TITreeNode *B)
{
    return CompareNumericTexts(HTMLToPlainText(GetCellText(A, FSortColumn)),
                               HTMLToPlainText(GetCellText(B, FSortColumn)));
}

int TAbstractTreeBrowser::CompareNodesHTMLSmartText(TITreeNode *A, TITreeNode *B)
{
    return SmartCompare(HTMLToPlainText(GetCellText(A, FSortColumn)),
                        HTMLToPlainText(GetCellText(B, FSortColumn)));
}

int TAbstractTreeBrowser::CompareNodesSeparatedText(TITreeNode *A, TITreeNode *B)
{
    return CompareSeparatedText(GetCellText(A, FSortColumn), GetCellText(B, FSortColumn));
}

int TAbstractTreeBrowser::CompareNodes(TITVSortKind Kind, TITreeNode *A, TITreeNode *B)
{
    switch (Kind) {
    case iskNoSort:
        return 0;
    case iskText:
        return CompareNodesText(A, B);
    case iskNumeric:
        return CompareNodesNumeric(A, B);
    case iskDateTime:
        return CompareNodesDateTime(A, B);
    case iskSmartText:
        return CompareNodesSmartText(A, B);
    case iskTag:
        return CompareNodesTag(A, B);
    case iskData:
        return CompareNodesData(A, B);
    case iskCustom:
        return CompareNodesCustom(A, B);
    case iskImageIndex:
        return CompareNodesImageIndex(A, B);
    case iskHTMLText:
        return CompareNodesHTMLText(A, B);
    case iskHTMLNumeric:
        return CompareNodesHTMLNumeric(A, B);
    case iskHTMLSmartText:
        return CompareNodesHTMLSmartText(A, B);
    case iskSeparatedText:
        return CompareNodesSeparatedText(A, B);
    }
    return 0;
}

// ---- Position stack and walks ------------------------------------------------------------------

void TAbstractTreeBrowser::PushCurrentNode()
{
    FStack.push_back(Current());
}

void TAbstractTreeBrowser::PopCurrentNode()
{
    QASSERT_MSG(!FStack.empty(),
                QStringLiteral("Unbalanced ") + ClassName() + QStringLiteral(".PopCurrentNode"));
    TITreeNode *const Node = FStack.back();
    FStack.pop_back();
    GoTo(Node);
}

int TAbstractTreeBrowser::GoNextVisible()
{
    if (IsExpanded() && HasChildren()) {
        GoFirstChild();
        return 1;
    }
    int Delta = 0;
    while (!HasNextSibling() && HasParent()) {
        GoParent();
        --Delta;
    }
    GoNextSibling();
    return Delta;
}

void TAbstractTreeBrowser::SetExpandedDeep(bool Value)
{
    if (!Current() || !HasChildren())
        return;
    PushCurrentNode();
    TITreeNode *const Start = Current();
    SetExpanded(Value);
    GoFirstChild();
    // Pre-order below Start, entering only nodes with children, each changed before its children
    // are looked at (expanding may create them). Iterative: trees may nest very deep.
    while (Current()) {
        if (HasChildren()) {
            SetExpanded(Value);
            if (HasChildren()) {
                GoFirstChild();
                continue;
            }
        }
        while (Current() && Current() != Start && !HasNextSibling())
            GoParent();
        if (!Current() || Current() == Start)
            break;
        GoNextSibling();
    }
    PopCurrentNode();
}

void TAbstractTreeBrowser::FullExpand()
{
    SetExpandedDeep(true);
}

void TAbstractTreeBrowser::FullCollapse()
{
    SetExpandedDeep(false);
}

void TAbstractTreeBrowser::SetSelectedAll(bool Value)
{
    ForEach([Value](TAbstractTreeBrowser &Browser) { Browser.SetSelected(Value); });
}

void TAbstractTreeBrowser::DeselectAll()
{
    SetSelectedAll(false);
}

void TAbstractTreeBrowser::SelectAll()
{
    SetSelectedAll(true);
}

void TAbstractTreeBrowser::SelectNodes(const TITreeNodeList &Nodes)
{
    PushCurrentNode();
    for (TITreeNode *const Node : Nodes) {
        GoTo(Node);
        SetSelected(true);
    }
    PopCurrentNode();
}

void TAbstractTreeBrowser::ForEach(const TTreeBrowserProc &Procedure)
{
    PushCurrentNode();
    GoFirst();
    while (Current()) {
        // Children are looked at after the call, so children it creates are visited too.
        Procedure(*this);
        if (HasChildren()) {
            GoFirstChild();
        } else if (HasNextSibling()) {
            GoNextSibling();
        } else {
            do
                GoParent();
            while (Current() && !HasNextSibling());
            if (Current())
                GoNextSibling();
        }
    }
    PopCurrentNode();
}

void TAbstractTreeBrowser::CollectRows(TITreeNodeList &Rows)
{
    if (!Current()) {
        GoFirst();
        while (Current()) {
            CollectRows(Rows);
            GoNextSibling();
        }
        return;
    }
    Rows.push_back(Current());
    if (IsExpanded() && HasChildren()) {
        PushCurrentNode();
        GoFirstChild();
        while (Current()) {
            CollectRows(Rows);
            GoNextSibling();
        }
        PopCurrentNode();
    }
}

void TAbstractTreeBrowser::GetRows(TITreeNodeList &Rows)
{
    Rows.clear();
    PushCurrentNode();
    GoTo(nullptr);
    CollectRows(Rows);
    PopCurrentNode();
}

// ---- Sorting -----------------------------------------------------------------------------------

void TAbstractTreeBrowser::Sort(int Column, TITVSortKind Kind, int Flags)
{
    if (!CanSort() || Kind == iskNoSort)
        return;
    PushCurrentNode();
    SetSortColumn(Column);

    TITreeNodeList Siblings;
    PushCurrentNode();
    if (Current())
        GoFirstChild();
    else
        GoFirst();
    while (Current()) {
        // Through the virtual Sort, so a cursor's shortcut applies at every level.
        if ((Flags & sfRecursive) && HasChildren())
            Sort(Column, Kind, Flags);
        Siblings.push_back(Current());
        GoNextSibling();
    }
    PopCurrentNode();

    if (Siblings.size() > 1) {
        SortNodeList(Siblings, Kind, (Flags & sfDescending) != 0);
        ApplySiblingOrder(Siblings);
    }
    PopCurrentNode();
}

void TAbstractTreeBrowser::SortNodeList(TITreeNodeList &Nodes, TITVSortKind Kind, bool Descending)
{
    // Comparers may move the cursor.
    PushCurrentNode();
    StableMergeSort(
        Nodes, [this, Kind](TITreeNode *A, TITreeNode *B) { return CompareNodes(Kind, A, B); }, Descending);
    PopCurrentNode();
}

void TAbstractTreeBrowser::ApplySiblingOrder(const TITreeNodeList &Sorted)
{
    PushCurrentNode();
    if (Current())
        GoFirstChild();
    else
        GoFirst();
    for (size_t I = 0; I < Sorted.size() && Current(); ++I) {
        TITreeNode *const Node = Current();
        GoNextSibling();
        if (Node != Sorted[I]) {
            // The swap moves the entry the cursor would stand on; step back onto the one that stays.
            if (Current() == Sorted[I])
                GoPrevSibling();
            SwapNodes(Node, Sorted[I]);
        }
    }
    PopCurrentNode();
}

void TAbstractTreeBrowser::SwapNodes(TITreeNode *A, TITreeNode *B)
{
    Q_UNUSED(A);
    Q_UNUSED(B);
    QASSERT_MSG(false, ClassName() + QStringLiteral(".SwapNodes not implemented"));
}
