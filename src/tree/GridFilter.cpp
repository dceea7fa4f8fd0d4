#include "tree/GridFilter.h"

#include "tree/TreeGridModel.h"

#include <algorithm>

namespace {

bool IsShown(const TITreeNode *Node)
{
    for (; Node; Node = Node->Parent())
        if (Node->Hidden())
            return false;
    return true;
}

} // namespace

int MarkMatchesBelow(TITreeNode *Root, bool RootShowsAll, const TRowMatch &Matches, TITreeNodeList &Holding)
{
    struct TFrame
    {
        TITreeNode *Node;
        bool ShowsAll; // the row or one above it matches
        bool Holds;    // a match lies below the row
    };
    // Pre-order without recursion (trees may nest deep); the frames are the current row's ancestors.
    std::vector<TFrame> path{{Root, RootShowsAll, false}};
    TITreeNodeList chain;
    int count = 0;
    const TITreeNode *const end = Root->GetNextAfterSubtree();
    for (TITreeNode *node = Root->GetFirstChild(); node && node != end; node = node->GetNext()) {
        while (path.back().Node != node->Parent())
            path.pop_back();
        const bool matches = Matches(node);
        const bool showsAll = path.back().ShowsAll || matches;
        node->SetHidden(!showsAll);
        if (matches) {
            ++count;
            chain.clear();
            for (auto frame = path.rbegin(); frame != path.rend() && !frame->Holds; ++frame) {
                frame->Holds = true;
                if (frame->Node != Root)
                    frame->Node->SetHidden(false);
                chain.push_back(frame->Node);
            }
            Holding.insert(Holding.end(), chain.rbegin(), chain.rend());
        }
        path.push_back({node, showsAll, false});
    }
    return count;
}

void ShowSubtree(TITreeNode *Root)
{
    const TITreeNode *const end = Root->GetNextAfterSubtree();
    for (TITreeNode *node = Root->GetFirstChild(); node && node != end; node = node->GetNext())
        node->SetHidden(false);
}

TITreeNodeList TGridFilter::SelectedNodes() const
{
    TITreeNodeList selected;
    int remaining = FGrid.Items().SelectedCount();
    for (TITreeNode *node = FGrid.Items().GetFirstNode(); node && remaining > 0; node = node->GetNext())
        if (node->Selected()) {
            selected.push_back(node);
            --remaining;
        }
    return selected;
}

void TGridFilter::Capture()
{
    FOpened.clear();
    FSelected.clear();
    for (TITreeNode *node = FGrid.Items().GetFirstNode(); node; node = node->GetNext()) {
        if (node->Expanded())
            FOpened.insert(node);
        if (node->Selected())
            FSelected.insert(node);
    }
    // Until the filter has left its own selection, the one found is the user's.
    FSelectionAfterApply = std::unordered_set<const TITreeNode *>(FSelected.begin(), FSelected.end());
    FTop = FGrid.TopNode();
    FHorzScrollPosition = FGrid.HorzScrollPosition();
    FSortColumnIndex = FGrid.SortColumnIndex();
    FSortDirection = FGrid.SortDirection();
}

void TGridFilter::Undo()
{
    TITreeNodeList opened;
    for (TITreeNode *node : FOpenedByFilter) {
        node->SetExpanded(false);
        if (!node->Parent())
            opened.push_back(node);
    }
    FOpenedByFilter.clear();
    for (TITreeNode *root : FMarkedRoots)
        ShowSubtree(root);
    FMarkedRoots.clear();
    for (TITreeNode *root = FGrid.Items().GetFirstNode(); root; root = root->NextSibling())
        root->SetHidden(false);
    if (OnReleaseRows && !opened.empty())
        OnReleaseRows(opened);
}

bool TGridFilter::SelectionUnchanged(const TITreeNodeList &Selected) const
{
    return Selected.size() == FSelectionAfterApply.size() &&
           std::all_of(Selected.begin(), Selected.end(),
                       [this](const TITreeNode *node) { return FSelectionAfterApply.count(node) > 0; });
}

void TGridFilter::Start(const TRowMatch &Matches, const TITreeNodeList &Searched)
{
    FGrid.BeginUpdate();
    const TITreeNodeList selected = SelectedNodes();
    // The rows selected before, or those the user selected since.
    const bool selectionKept = SelectionUnchanged(selected);
    if (FActive)
        Undo();
    else
        Capture();
    FActive = true;
    FSelectionBase = selectionKept ? TITreeNodeList(FSelected.begin(), FSelected.end()) : selected;
    FMatches = Matches;
    FSearched = std::unordered_set<const TITreeNode *>(Searched.begin(), Searched.end());
    FOrder.clear();
    FUntested.clear();
    for (TITreeNode *root = FGrid.Items().GetFirstNode(); root; root = root->NextSibling()) {
        FOrder.push_back(root);
        FUntested.insert(root);
        root->SetHidden(true);
    }
    FNext = 0;
    FMatchCount = 0;
    FGrid.SetTopNode(nullptr);
    FGrid.EndUpdate();
    if (FUntested.empty())
        Finish();
}

void TGridFilter::Test(TITreeNode *Root)
{
    const bool rootMatches = FMatches(Root);
    FMatchCount += rootMatches ? 1 : 0;
    TITreeNodeList holding;
    if (FSearched.count(Root)) {
        // Opened before it is tested: opening builds the rows.
        if (!Root->Expanded()) {
            Root->SetExpanded(true);
            FOpenedByFilter.insert(Root);
        }
        FMatchCount += MarkMatchesBelow(Root, rootMatches, FMatches, holding);
        FMarkedRoots.insert(Root);
    }
    Root->SetHidden(!rootMatches && holding.empty());
    for (TITreeNode *node : holding)
        if (!node->Expanded()) {
            node->SetExpanded(true);
            FOpenedByFilter.insert(node);
        }
    // Opened only to be tested.
    if (holding.empty() && FOpenedByFilter.erase(Root)) {
        Root->SetExpanded(false);
        if (OnReleaseRows) {
            ShowSubtree(Root);
            FMarkedRoots.erase(Root);
            OnReleaseRows({Root});
        }
    }
}

bool TGridFilter::Continue(const std::function<bool()> &ShouldPause)
{
    if (!FActive || Finished())
        return true;
    FGrid.BeginUpdate();
    while (FNext < FOrder.size()) {
        TITreeNode *const root = FOrder[FNext++];
        // A row that left the grid since Start is not touched.
        if (!FUntested.erase(root))
            continue;
        Test(root);
        if (ShouldPause && !FUntested.empty() && ShouldPause())
            break;
    }
    if (Finished())
        Finish();
    FGrid.EndUpdate();
    return Finished();
}

void TGridFilter::Finish()
{
    FGrid.BeginUpdate();
    for (TITreeNode *node : SelectedNodes())
        node->SetSelected(false);
    FSelectionAfterApply.clear();
    for (TITreeNode *node : FSelectionBase)
        if (IsShown(node)) {
            node->SetSelected(true);
            FSelectionAfterApply.insert(node);
        }
    FSelectionBase.clear();
    FGrid.EndUpdate();
}

int TGridFilter::Apply(const TRowMatch &Matches, const TITreeNodeList &Searched)
{
    Start(Matches, Searched);
    Continue();
    return FMatchCount;
}

bool TGridFilter::Clear()
{
    if (!FActive)
        return true;
    FGrid.BeginUpdate();
    const TITreeNodeList selected = SelectedNodes();
    const bool selectionKept = SelectionUnchanged(selected);
    Undo();
    for (TITreeNode *node = FGrid.Items().GetFirstNode(); node; node = node->GetNext()) {
        const bool opened = FOpened.count(node) > 0;
        if (node->Expanded() != opened)
            node->SetExpanded(opened);
    }
    if (selectionKept) {
        for (TITreeNode *node : selected)
            node->SetSelected(false);
        for (TITreeNode *node : FSelected)
            node->SetSelected(true);
    } else {
        for (TITreeNode *node : selected)
            for (TITreeNode *parent = node->Parent(); parent; parent = parent->Parent())
                parent->SetExpanded(true);
    }
    if (FGrid.SortColumnIndex() != FSortColumnIndex || FGrid.SortDirection() != FSortDirection)
        FGrid.SortBy(FSortColumnIndex, FSortDirection);
    FGrid.SetTopNode(FTop);
    FGrid.SetHorzScrollPosition(FHorzScrollPosition);
    Forget();
    FGrid.EndUpdate();
    return selectionKept;
}

void TGridFilter::Forget()
{
    FActive = false;
    FMatches = nullptr;
    FSearched.clear();
    FOrder.clear();
    FUntested.clear();
    FSelectionBase.clear();
    FOpened.clear();
    FSelected.clear();
    FOpenedByFilter.clear();
    FMarkedRoots.clear();
    FSelectionAfterApply.clear();
    FTop = nullptr;
}

void TGridFilter::NodeRemoving(const TITreeNode *Node)
{
    if (!FActive)
        return;
    TITreeNode *const node = const_cast<TITreeNode *>(Node);
    FOpened.erase(Node);
    FSelected.erase(node);
    FOpenedByFilter.erase(node);
    FMarkedRoots.erase(node);
    FSelectionAfterApply.erase(Node);
    FUntested.erase(Node);
    FSearched.erase(Node);
    if (Node->Selected())
        std::erase(FSelectionBase, node);
    if (Node == FTop)
        FTop = nullptr;
}
