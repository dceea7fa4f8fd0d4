#include "tree/ITVColumns.h"

#include "base/IndexQuickSort.h"
#include "tree/ITreeNodes.h"
#include "tree/TreeGridModel.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TITVColumn

void TITVColumn::Assign(const TITVColumn &Source)
{
    FName = Source.FName;
    FCaption = Source.FCaption;
    FHint = Source.FHint;
    FMinWidth = Source.FMinWidth;
    FWidth = Source.FWidth;
    FAutoWidth = Source.FAutoWidth;
    FVisible = Source.FVisible || FIndex == 0;
    FAlignment = Source.FAlignment;
    FRank = Source.FRank;
    FColor = Source.FColor;
    FSortKind = Source.FSortKind;
    FDefaultSortDirection = Source.FDefaultSortDirection;
    FReadOnly = Source.FReadOnly;
    FTag = Source.FTag;
    OnBeforeSort = Source.OnBeforeSort;
    Changed();
}

QString TITVColumn::Name() const
{
    return FName.isEmpty() ? QStringLiteral("Column%1").arg(FIndex) : FName;
}

void TITVColumn::Changed()
{
    if (FCollection)
        FCollection->ColumnChanged(this);
}

void TITVColumn::SetCaption(const QString &Value)
{
    FCaption = Value;
    Changed();
}

void TITVColumn::SetWidth(int Value)
{
    FWidth = std::max(FMinWidth, std::min(Value, MaxWidth));
    Changed();
}

void TITVColumn::SetMinWidth(int Value)
{
    FMinWidth = std::max(0, Value);
    SetWidth(FWidth);
}

void TITVColumn::SetAutoWidth(bool Value)
{
    FAutoWidth = Value;
    Changed();
}

void TITVColumn::SetVisible(bool Value)
{
    // The tree column always shows.
    if (FIndex == 0)
        return;
    FVisible = Value;
    Changed();
}

void TITVColumn::SetAlignment(Qt::Alignment Value)
{
    FAlignment = Value;
    Changed();
}

void TITVColumn::SetRank(int Value)
{
    FRank = Value;
    Changed();
}

void TITVColumn::SetColor(int Value)
{
    FColor = Value;
    Changed();
}

void TITVColumn::SetSortKind(TITVSortKind Value)
{
    FSortKind = Value;
    TTreeGridModel *const Grid = FCollection ? FCollection->Grid() : nullptr;
    if (Grid && Grid->SortColumn() == this)
        Grid->Resort();
}

void TITVColumn::MoveBefore(TITVColumn *Target)
{
    if (!Target || Target == this || !FCollection)
        return;
    const int NewRank = Target->Rank();
    for (int I = 0; I < FCollection->Count(); ++I) {
        TITVColumn *const Column = FCollection->Items(I);
        if (Column != this && Column->FRank >= NewRank)
            ++Column->FRank;
    }
    SetRank(NewRank);
}

void TITVColumn::MoveToEnd()
{
    if (!FCollection)
        return;
    const int Highest = FCollection->HighestRank();
    if (FRank != Highest)
        SetRank(Highest + 1);
}

// ---------------------------------------------------------------------------------------------
// TITVColumns

TITVColumns::TITVColumns(TTreeGridModel *Grid) : FGrid(Grid) {}

TITVColumns::~TITVColumns() = default;

TITVColumn *TITVColumns::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw ETreeListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FItems[size_t(Index)].get();
}

TITVColumn *TITVColumns::Add()
{
    return Add(FFactory ? FFactory() : std::make_unique<TITVColumn>());
}

TITVColumn *TITVColumns::Add(std::unique_ptr<TITVColumn> Column)
{
    QASSERT(Column && !Column->FCollection);
    TITVColumn *const Result = Column.get();
    Result->FCollection = this;
    Result->FIndex = Count();
    Result->FRank = Count() + 1;
    if (Result->FIndex == 0)
        Result->FVisible = true;
    FItems.push_back(std::move(Column));
    CollectionChanged();
    return Result;
}

void TITVColumns::Delete(int Index)
{
    TITVColumn *const Column = Items(Index);
    if (FGrid)
        FGrid->ColumnRemoving(Column);
    FItems.erase(FItems.begin() + Index);
    Reindex();
    CollectionChanged();
}

void TITVColumns::Clear()
{
    if (FItems.empty())
        return;
    if (FGrid)
        for (const auto &Column : FItems)
            FGrid->ColumnRemoving(Column.get());
    FItems.clear();
    CollectionChanged();
}

TITVColumnList TITVColumns::OrderedByRank(bool VisibleOnly) const
{
    TITVColumnList Result;
    Result.reserve(FItems.size());
    for (const auto &Column : FItems)
        if (!VisibleOnly || (Column->Visible() && Column->Width() > 0))
            Result.push_back(Column.get());
    IndexQuickSort(
        0, int(Result.size()) - 1, true,
        [&Result](int I, int J) { return Result[size_t(I)]->Rank() - Result[size_t(J)]->Rank(); },
        [&Result](int I, int J) { std::swap(Result[size_t(I)], Result[size_t(J)]); });
    return Result;
}

int TITVColumns::HighestRank() const
{
    int Result = 0;
    for (const auto &Column : FItems)
        Result = std::max(Result, Column->Rank());
    return Result;
}

void TITVColumns::ColumnChanged(TITVColumn *Column)
{
    if (FGrid)
        FGrid->ColumnPropertyChanged(Column);
}

void TITVColumns::Reindex()
{
    for (size_t I = 0; I < FItems.size(); ++I)
        FItems[I]->FIndex = int(I);
}

void TITVColumns::CollectionChanged()
{
    if (FGrid)
        FGrid->ColumnsChanged();
}
