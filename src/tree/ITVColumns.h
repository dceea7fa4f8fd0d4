#pragma once
// The columns of a tree-grid. Column 0 holds the tree; column k >= 1 shows column string k - 1 of
// every node. Columns are displayed in ascending Rank, which header drags change.

#include "tree/ITVSortKind.h"

#include <QString>
#include <Qt>
#include <functional>
#include <memory>
#include <vector>

class TTreeGridModel;
class TITVColumns;
class TITVColumn;

using TITVColumnList = std::vector<TITVColumn *>;
// Fired with the grid as sender.
using TITVNotifyEvent = std::function<void(TTreeGridModel *Sender)>;

class TITVColumn
{
public:
    // The colour value that means "no colour of its own" (0xBBGGRR values otherwise).
    static constexpr int ColorNone = 0x1FFFFFFF;
    static constexpr int MaxWidth = 32000;

    TITVColumn() = default;
    virtual ~TITVColumn() = default;
    TITVColumn(const TITVColumn &) = delete;
    TITVColumn &operator=(const TITVColumn &) = delete;
    // Copies the published properties (not the rank's owner or index).
    virtual void Assign(const TITVColumn &Source);

    TITVColumns *Collection() const { return FCollection; }
    // Position in the collection.
    int Index() const { return FIndex; }

    // "Column" followed by the index while no name was set.
    QString Name() const;
    void SetName(const QString &Value) { FName = Value; }
    bool NameStored() const { return !FName.isEmpty(); }
    const QString &Caption() const { return FCaption; }
    void SetCaption(const QString &Value);
    // Write-only alias of Caption.
    void SetText(const QString &Value) { SetCaption(Value); }
    const QString &Hint() const { return FHint; }
    void SetHint(const QString &Value) { FHint = Value; }
    int Width() const { return FWidth; }
    // Clamped to MinWidth..32000.
    void SetWidth(int Value);
    int MinWidth() const { return FMinWidth; }
    // Negative values become 0; re-applies the clamp to Width.
    void SetMinWidth(int Value);
    bool AutoWidth() const { return FAutoWidth; }
    void SetAutoWidth(bool Value);
    bool Visible() const { return FVisible; }
    // Ignored for column 0.
    void SetVisible(bool Value);
    Qt::Alignment Alignment() const { return FAlignment; }
    void SetAlignment(Qt::Alignment Value);
    int Rank() const { return FRank; }
    void SetRank(int Value);
    bool RankStored() const { return FRank != FIndex + 1; }
    int Color() const { return FColor; }
    void SetColor(int Value);
    TITVSortKind SortKind() const { return FSortKind; }
    // Re-sorts the grid at once when this is its sort column.
    void SetSortKind(TITVSortKind Value);
    TITVSortDirection DefaultSortDirection() const { return FDefaultSortDirection; }
    void SetDefaultSortDirection(TITVSortDirection Value) { FDefaultSortDirection = Value; }
    // The grid is read-only; kept for the column's published state.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    qint64 Tag() const { return FTag; }
    void SetTag(qint64 Value) { FTag = Value; }

    // Called with the grid as sender just before the grid is sorted by this column.
    TITVNotifyEvent OnBeforeSort;

    // Takes the target's rank and pushes every other column of that rank or more one step right.
    void MoveBefore(TITVColumn *Target);
    // Takes the highest rank plus 1 unless it already has the highest rank.
    void MoveToEnd();

protected:
    // Asks the grid for a repaint.
    void Changed();

private:
    friend class TITVColumns;

    TITVColumns *FCollection = nullptr;
    int FIndex = 0;
    QString FName;
    QString FCaption;
    QString FHint;
    int FWidth = 100;
    int FMinWidth = 0;
    bool FAutoWidth = false;
    bool FVisible = true;
    Qt::Alignment FAlignment = Qt::AlignLeft;
    int FRank = 1;
    int FColor = ColorNone;
    TITVSortKind FSortKind = iskSmartText;
    TITVSortDirection FDefaultSortDirection = sdAscending;
    bool FReadOnly = true;
    qint64 FTag = 0;
};

// The grid's columns, in index order. A grid whose columns carry more (paint hooks) installs a
// factory so that Add makes its own column class.
class TITVColumns
{
public:
    using TColumnFactory = std::function<std::unique_ptr<TITVColumn>()>;

    // Grid may be none: the columns then notify nobody.
    explicit TITVColumns(TTreeGridModel *Grid);
    ~TITVColumns();
    TITVColumns(const TITVColumns &) = delete;
    TITVColumns &operator=(const TITVColumns &) = delete;

    TTreeGridModel *Grid() const { return FGrid; }
    void SetColumnFactory(TColumnFactory Factory) { FFactory = std::move(Factory); }

    int Count() const { return int(FItems.size()); }
    // Raises ETreeListError "List index out of bounds (%d)" outside 0..Count-1.
    TITVColumn *Items(int Index) const;
    TITVColumn *operator[](int Index) const { return Items(Index); }
    // A new column at the end whose rank is the new count.
    TITVColumn *Add();
    TITVColumn *Add(std::unique_ptr<TITVColumn> Column);
    void Delete(int Index);
    void Clear();

    // All columns, or only those visible and wider than 0, in ascending rank.
    TITVColumnList OrderedByRank(bool VisibleOnly) const;
    int HighestRank() const;

    // A column's property changed: repaint the grid.
    void ColumnChanged(TITVColumn *Column);

private:
    void Reindex();
    void CollectionChanged();

    TTreeGridModel *const FGrid;
    TColumnFactory FFactory;
    std::vector<std::unique_ptr<TITVColumn>> FItems;
};
