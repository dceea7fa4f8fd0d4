#pragma once
// Everything of a tree-grid that is not mouse or paint: the nodes (Items), the cursor over them,
// the columns, the sort state and the cached row list. The widget derives from it and overrides
// the hooks; the analysis engine and the command-line tool use it alone.

#include "tree/ATBClassicTreeView.h"
#include "tree/ITVColumns.h"
#include "tree/ITreeNodes.h"

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

class TGridFilter;

using TITVNodeEvent = std::function<void(TTreeGridModel *Sender, TITreeNode *Node)>;
using TITVNodeAllowEvent = std::function<void(TTreeGridModel *Sender, TITreeNode *Node, bool &Allow)>;

class TTreeGridModel : public ITreeNodesView
{
public:
    TTreeGridModel();
    // Frees the nodes first, while the events are still in place.
    ~TTreeGridModel() override;
    TTreeGridModel(const TTreeGridModel &) = delete;
    TTreeGridModel &operator=(const TTreeGridModel &) = delete;

    TITreeNodes &Items() { return *FItems; }
    const TITreeNodes &Items() const { return *FItems; }
    TATBClassicTreeView &Browser() { return *FBrowser; }
    TITVColumns &Columns() { return *FColumns; }
    const TITVColumns &Columns() const { return *FColumns; }

    void Clear();
    virtual void BeginUpdate();
    virtual void EndUpdate();

    // Sorting. SortColumnIndex is -1 until the first sort.
    int SortColumnIndex() const { return FSortColumnIndex; }
    TITVColumn *SortColumn() const { return FSortColumn; }
    TITVSortDirection SortDirection() const { return FSortDirection; }
    // Stores the column index and direction even when the index is not valid (yet), so a later
    // Resort after columns were added uses them. Keeps the scroll position (the top row index).
    void SortBy(int ColumnIndex, TITVSortDirection Direction);
    void Resort();
    // Resort after the children of Node were replaced (a row being opened), given the items'
    // ContentVersion from before the change. Where it leaves the same order as Resort, only Node's
    // subtree is sorted: nothing else was added, removed or renamed since the last sort, the sort
    // is the stable one on Tag or Data and no two values lie far enough apart for the 32-bit
    // difference to wrap (the rest of the tree is then still in order, and a stable sort of an
    // ordered list leaves it as it is), and Node is collapsed (no shown row moves). Tag and Data
    // changed outside Node since the last sort are the caller's to avoid: they notify nothing.
    void ResortChanged(TITreeNode *Node, quint64 ContentBefore);
    // The header click: nothing for iskNoSort; the current sort column flips its direction, any
    // other column starts with its DefaultSortDirection.
    void HeaderClick(int ColumnIndex);

    // Hides and shows rows by a filter, keeping what it hides; made on first use.
    TGridFilter &Filter();
    bool Filtered() const;

    // The displayed nodes in display order; rebuilt only when the tree's shape, expansion or order
    // changed since the last call.
    const TITreeNodeList &Rows();
    // Row of Node in Rows(), -1 when it is not displayed.
    int RowIndex(const TITreeNode *Node);
    // None when there is no such row.
    TITreeNode *RowNode(int Row);
    // Changes whenever Rows() would be rebuilt; cheap to compare.
    quint64 RowsVersion() const { return FItems->ShapeVersion(); }

    // Node shown in the first row; none means the first row.
    TITreeNode *TopNode() const { return FTopNode; }
    void SetTopNode(TITreeNode *Node) { FTopNode = Node; }

    // Horizontal scroll position in pixels, kept by the widget; column geometry follows it.
    int HorzScrollPosition() const { return FHorzScrollPosition; }
    void SetHorzScrollPosition(int Value) { FHorzScrollPosition = Value; }
    // Minus the scroll position plus the widths of the visible columns before it in display order.
    int ColumnLeft(const TITVColumn *Column) const;
    // Index of the column under x: 0 without columns, -1 outside them.
    int ColumnAt(int X) const;
    // Total width of the visible columns.
    int ColumnsWidth() const;

    TITVNodeAllowEvent OnExpanding;
    TITVNodeEvent OnExpanded;
    TITVNodeAllowEvent OnCollapsing;
    TITVNodeEvent OnCollapsed;
    TITVNodeEvent OnFreeNode;

    // ITreeNodesView: the hooks fire the events above. A widget overriding NodeRemoving drops its
    // own references (selected, hot node) first and then calls this one.
    void NodesChanged() override;
    void NodeRemoving(TITreeNode *Node) override;
    void DoExpanding(TITreeNode *Node, bool &Allow) override;
    void DoExpanded(TITreeNode *Node) override;
    void DoCollapsing(TITreeNode *Node, bool &Allow) override;
    void DoCollapsed(TITreeNode *Node) override;

    // A repaint request (the widget coalesces them); the model alone paints nothing.
    virtual void RequestGridRepaint() {}
    // Columns were added or removed: the widget clamps its scroll position and repaints.
    virtual void ColumnsChanged() { RequestGridRepaint(); }
    // A shown property of one column changed (caption, width, visibility, rank...).
    virtual void ColumnPropertyChanged(TITVColumn *Column)
    {
        Q_UNUSED(Column);
        RequestGridRepaint();
    }
    // Called by the columns before Column goes, so the sort state never refers to a freed column.
    void ColumnRemoving(const TITVColumn *Column);

private:
    // Adds the sort keys of the nodes from First up to End in pre-order to FSortedMin and
    // FSortedMax; false when the sort kind orders by something else.
    bool WidenSortedRange(const TITreeNode *First, const TITreeNode *End);
    bool SortedRangeWraps() const;

    std::unique_ptr<TATBClassicTreeView> FBrowser;
    std::unique_ptr<TITVColumns> FColumns;
    int FSortColumnIndex = -1;
    TITVColumn *FSortColumn = nullptr;
    TITVSortDirection FSortDirection = sdAscending;
    TITreeNode *FTopNode = nullptr;
    int FHorzScrollPosition = 0;
    // The items' ContentVersion right after the last sort; none before the first.
    std::optional<quint64> FSortedContent;
    // The low 32 bits of every node's Tag (or Data) seen by the sorts since the last full one.
    qint64 FSortedMin = 0;
    qint64 FSortedMax = 0;

    TITreeNodeList FRows;
    quint64 FRowsVersion = 0;
    bool FRowsValid = false;
    std::unordered_map<const TITreeNode *, int> FRowIndexes;
    bool FRowIndexesValid = false;
    std::unique_ptr<TGridFilter> FFilter;

    // Declared last so that it goes first: the nodes are reported to OnFreeNode while everything
    // else of the grid still stands.
    std::unique_ptr<TITreeNodes> FItems;
};
