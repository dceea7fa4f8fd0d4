#include "tree/TreeGridModel.h"

#include "tree/GridFilter.h"

#include <algorithm>
#include <limits>

TTreeGridModel::TTreeGridModel()
{
    FItems = std::make_unique<TITreeNodes>(this);
    FBrowser = std::make_unique<TATBClassicTreeView>(FItems.get());
    FColumns = std::make_unique<TITVColumns>(this);
}

TTreeGridModel::~TTreeGridModel() = default;

void TTreeGridModel::Clear()
{
    // Every row goes: the filter has nothing left to give back.
    if (FFilter)
        FFilter->Forget();
    FItems->Clear();
}

TGridFilter &TTreeGridModel::Filter()
{
    if (!FFilter)
        FFilter = std::make_unique<TGridFilter>(*this);
    return *FFilter;
}

bool TTreeGridModel::Filtered() const
{
    return FFilter && FFilter->Active();
}

void TTreeGridModel::BeginUpdate()
{
    FItems->BeginUpdate();
}

void TTreeGridModel::EndUpdate()
{
    FItems->EndUpdate();
}

// ---- Sorting -----------------------------------------------------------------------------------

void TTreeGridModel::SortBy(int ColumnIndex, TITVSortDirection Direction)
{
    FSortColumnIndex = ColumnIndex;
    FSortDirection = Direction;
    FSortedContent.reset();
    if (ColumnIndex < 0 || ColumnIndex >= FColumns->Count())
        return;
    FSortColumn = FColumns->Items(ColumnIndex);
    if (FSortColumn->OnBeforeSort)
        FSortColumn->OnBeforeSort(this);
    // The view keeps its scroll position: the same row index stays on top, whatever node it holds.
    const int TopRow = FTopNode ? RowIndex(FTopNode) : -1;
    const int Flags = sfRecursive | (Direction == sdDescending ? sfDescending : 0);
    FBrowser->PushCurrentNode();
    FBrowser->GoTo(nullptr);
    FBrowser->Sort(ColumnIndex, FSortColumn->SortKind(), Flags);
    FBrowser->PopCurrentNode();
    const TITreeNodeList &NewRows = Rows();
    if (TopRow >= 0 && TopRow < int(NewRows.size()))
        FTopNode = NewRows[size_t(TopRow)];
    FSortedMin = std::numeric_limits<qint64>::max();
    FSortedMax = std::numeric_limits<qint64>::min();
    if (WidenSortedRange(FItems->GetFirstNode(), nullptr))
        FSortedContent = FItems->ContentVersion();
    RequestGridRepaint();
}

bool TTreeGridModel::WidenSortedRange(const TITreeNode *First, const TITreeNode *End)
{
    const TITVSortKind Kind = FSortColumn ? FSortColumn->SortKind() : iskNoSort;
    if (Kind != iskTag && Kind != iskData)
        return false;
    for (const TITreeNode *Each = First; Each && Each != End; Each = Each->GetNext()) {
        // The comparers subtract the low 32 bits (Data is 32 bits already).
        const qint64 Value = Kind == iskTag ? qint32(quint32(Each->Tag())) : Each->Data();
        FSortedMin = std::min(FSortedMin, Value);
        FSortedMax = std::max(FSortedMax, Value);
    }
    return true;
}

bool TTreeGridModel::SortedRangeWraps() const
{
    return FSortedMax - FSortedMin > std::numeric_limits<qint32>::max();
}

void TTreeGridModel::ResortChanged(TITreeNode *Node, quint64 ContentBefore)
{
    if (!FSortedContent || *FSortedContent != ContentBefore || !FSortColumn || Node->Expanded() ||
        !FItems->Contains(Node) || !WidenSortedRange(Node->GetFirstChild(), Node->GetNextAfterSubtree()) ||
        SortedRangeWraps()) {
        Resort();
        return;
    }
    if (FSortColumn->OnBeforeSort)
        FSortColumn->OnBeforeSort(this);
    const int Flags = sfRecursive | (FSortDirection == sdDescending ? sfDescending : 0);
    FBrowser->PushCurrentNode();
    FBrowser->GoTo(Node);
    FBrowser->Sort(FSortColumnIndex, FSortColumn->SortKind(), Flags);
    FBrowser->PopCurrentNode();
    FSortedContent = FItems->ContentVersion();
    RequestGridRepaint();
}

void TTreeGridModel::Resort()
{
    if (FSortColumnIndex >= 0 && FSortColumnIndex < FColumns->Count())
        SortBy(FSortColumnIndex, FSortDirection);
}

void TTreeGridModel::HeaderClick(int ColumnIndex)
{
    if (ColumnIndex < 0 || ColumnIndex >= FColumns->Count())
        return;
    TITVColumn *const Column = FColumns->Items(ColumnIndex);
    if (Column->SortKind() == iskNoSort)
        return;
    TITVSortDirection Direction = Column->DefaultSortDirection();
    if (Column == FSortColumn)
        Direction = FSortDirection == sdAscending ? sdDescending : sdAscending;
    SortBy(ColumnIndex, Direction);
}

void TTreeGridModel::ColumnRemoving(const TITVColumn *Column)
{
    if (Column == FSortColumn)
        FSortColumn = nullptr;
}

// ---- Rows --------------------------------------------------------------------------------------

const TITreeNodeList &TTreeGridModel::Rows()
{
    if (!FRowsValid || FRowsVersion != FItems->ShapeVersion()) {
        FBrowser->GetRows(FRows);
        FRowsVersion = FItems->ShapeVersion();
        FRowsValid = true;
        FRowIndexesValid = false;
    }
    return FRows;
}

int TTreeGridModel::RowIndex(const TITreeNode *Node)
{
    const TITreeNodeList &Current = Rows();
    if (!Node)
        return -1;
    if (!FRowIndexesValid) {
        FRowIndexes.clear();
        FRowIndexes.reserve(Current.size());
        for (size_t I = 0; I < Current.size(); ++I)
            FRowIndexes.emplace(Current[I], int(I));
        FRowIndexesValid = true;
    }
    const auto Found = FRowIndexes.find(Node);
    return Found == FRowIndexes.end() ? -1 : Found->second;
}

TITreeNode *TTreeGridModel::RowNode(int Row)
{
    const TITreeNodeList &Current = Rows();
    return Row >= 0 && Row < int(Current.size()) ? Current[size_t(Row)] : nullptr;
}

// ---- Column geometry ---------------------------------------------------------------------------

int TTreeGridModel::ColumnLeft(const TITVColumn *Column) const
{
    int Left = -FHorzScrollPosition;
    for (const TITVColumn *const Each : FColumns->OrderedByRank(false)) {
        if (Each == Column)
            break;
        if (Each->Visible())
            Left += Each->Width();
    }
    return Left;
}

int TTreeGridModel::ColumnAt(int X) const
{
    if (FColumns->Count() == 0)
        return 0;
    int Right = -FHorzScrollPosition;
    if (X < Right)
        return -1;
    for (const TITVColumn *const Column : FColumns->OrderedByRank(false)) {
        if (!Column->Visible())
            continue;
        Right += Column->Width();
        if (Right > X)
            return Column->Index();
    }
    return -1;
}

int TTreeGridModel::ColumnsWidth() const
{
    int Result = 0;
    for (int I = 0; I < FColumns->Count(); ++I)
        if (FColumns->Items(I)->Visible())
            Result += FColumns->Items(I)->Width();
    return Result;
}

// ---- Notifications from the nodes --------------------------------------------------------------

void TTreeGridModel::NodesChanged()
{
    RequestGridRepaint();
}

void TTreeGridModel::NodeRemoving(TITreeNode *Node)
{
    if (Node == FTopNode)
        FTopNode = nullptr;
    if (FFilter)
        FFilter->NodeRemoving(Node);
    if (OnFreeNode)
        OnFreeNode(this, Node);
}

void TTreeGridModel::DoExpanding(TITreeNode *Node, bool &Allow)
{
    if (OnExpanding)
        OnExpanding(this, Node, Allow);
}

void TTreeGridModel::DoExpanded(TITreeNode *Node)
{
    if (OnExpanded)
        OnExpanded(this, Node);
}

void TTreeGridModel::DoCollapsing(TITreeNode *Node, bool &Allow)
{
    if (OnCollapsing)
        OnCollapsing(this, Node, Allow);
}

void TTreeGridModel::DoCollapsed(TITreeNode *Node)
{
    if (OnCollapsed)
        OnCollapsed(this, Node);
}
