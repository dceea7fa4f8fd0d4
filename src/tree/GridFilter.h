#pragma once
// A filter over a tree-grid that hides rows instead of removing them, so that clearing it gives the
// grid back as it was. Shown are the matching rows, the rows that hold them (opened, so the matches
// are in sight) and everything below a matching row (a matching unit keeps all it holds); every
// other row is hidden. The first filter keeps the grid's state: which rows were open and selected,
// the sort, the first row shown and the horizontal scroll position.

#include "tree/ITVSortKind.h"
#include "tree/ITreeNodes.h"

#include <functional>
#include <unordered_set>
#include <vector>

class TTreeGridModel;

using TRowMatch = std::function<bool(const TITreeNode *Row)>;

// Marks the subtree below Root: a row is hidden unless it matches, lies below a matching row or
// Root (when RootShowsAll) or holds a match. Returns the number of matching rows below Root and
// appends the rows holding a match (Root first when any) to Holding, parents before children.
// Root's own hidden bit is the caller's.
int MarkMatchesBelow(TITreeNode *Root, bool RootShowsAll, const TRowMatch &Matches, TITreeNodeList &Holding);
// Shows every row below Root again.
void ShowSubtree(TITreeNode *Root);

class TGridFilter
{
public:
    explicit TGridFilter(TTreeGridModel &Grid) : FGrid(Grid) {}

    bool Active() const { return FActive; }

    // Begins to filter the grid: every root-level row is hidden until Continue has tested it. Rows
    // below the root level are tested only under the root-level rows in Searched, each opened first
    // (rows built on opening are then tested); below any other root-level row nothing is taken to
    // match. A filter started while another is active starts from the grid as it was before the
    // first.
    void Start(const TRowMatch &Matches, const TITreeNodeList &Searched);
    // Tests the root-level rows in grid order, asking ShouldPause after each (none: never); true
    // when every row is tested. A selected row left hidden is then deselected, and the selection
    // of the grid before the filter comes back where it is shown.
    bool Continue(const std::function<bool()> &ShouldPause = {});
    bool Finished() const { return FUntested.empty(); }
    // The matching rows among those tested.
    int MatchCount() const { return FMatchCount; }
    // Start and Continue to the end; returns the number of matching rows.
    int Apply(const TRowMatch &Matches, const TITreeNodeList &Searched);
    // Shows every row and gives back the open rows, the sort, the first row shown and the
    // scroll position kept by the first Start, and the selection unless the user changed it while
    // the filter was on: then the new selection stays, opened up to. Returns true when the kept
    // selection came back.
    bool Clear();
    // Called for the root-level rows the filter opened and closed again, whose rows are not needed:
    // they may be freed and built again when the row is opened (a filter over thousands of units
    // otherwise kept all their rows after it was cleared). Clearing the filter names them all at
    // once, so that whatever replaces the rows is made after every one of them is freed.
    std::function<void(const TITreeNodeList &Roots)> OnReleaseRows;
    // The grid reports every row that leaves it, so the kept state never names a freed row.
    void NodeRemoving(const TITreeNode *Node);
    // Every row is leaving: the filter ends with nothing to give back.
    void Forget();

private:
    void Capture();
    // Closes the rows the filter opened and shows every row again.
    void Undo();
    void Test(TITreeNode *Root);
    void Finish();
    TITreeNodeList SelectedNodes() const;
    bool SelectionUnchanged(const TITreeNodeList &Selected) const;

    TTreeGridModel &FGrid;
    bool FActive = false;
    // The grid before the first filter.
    std::unordered_set<const TITreeNode *> FOpened;
    std::unordered_set<TITreeNode *> FSelected;
    TITreeNode *FTop = nullptr;
    int FHorzScrollPosition = 0;
    int FSortColumnIndex = -1;
    TITVSortDirection FSortDirection = sdAscending;
    // The filter under way: the root-level rows in the order they are tested, those not tested yet.
    TRowMatch FMatches;
    std::unordered_set<const TITreeNode *> FSearched;
    TITreeNodeList FOrder;
    size_t FNext = 0;
    std::unordered_set<const TITreeNode *> FUntested;
    int FMatchCount = 0;
    // The selection to show once every row is tested.
    TITreeNodeList FSelectionBase;
    // What the filter changed: rows it opened, root-level rows whose subtrees it marked, and the
    // selection it left, to tell a selection the user made since.
    std::unordered_set<TITreeNode *> FOpenedByFilter;
    std::unordered_set<TITreeNode *> FMarkedRoots;
    std::unordered_set<const TITreeNode *> FSelectionAfterApply;
};
