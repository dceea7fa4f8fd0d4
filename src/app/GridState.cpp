#include "app/GridState.h"

#include "controls/CITVClassic.h"

namespace {

template <class Visit> void ForEachNode(TITreeNode *first, const Visit &visit)
{
    for (TITreeNode *node = first; node; node = node->NextSibling()) {
        visit(node);
        ForEachNode(node->GetFirstChild(), visit);
    }
}

} // namespace

TGridState TGridState::Capture(TITreeView &grid)
{
    TGridState state;
    state.SortColumnIndex = grid.SortColumnIndex();
    state.SortDirection = grid.SortDirection();
    ForEachNode(grid.Items().GetFirstNode(), [&state](TITreeNode *node) {
        if (node->Expanded())
            state.Opened << NodePath(node);
        if (node->Selected())
            state.Selected << NodePath(node);
    });
    state.Current = NodePath(grid.SelectedNode());
    state.Top = NodePath(grid.TopNode());
    return state;
}

void TGridState::Restore(TITreeView &grid) const
{
    if (SortColumnIndex >= 0)
        grid.SortBy(SortColumnIndex, SortDirection);
    for (const QStringList &path : Opened)
        if (TITreeNode *node = NodeAtPath(grid, path))
            node->SetExpanded(true);
    if (TITreeNode *current = Current.isEmpty() ? nullptr : NodeAtPath(grid, Current))
        grid.SetSelectedNode(current);
    for (const QStringList &path : Selected)
        if (TITreeNode *node = NodeAtPath(grid, path))
            node->SetSelected(true);
    // The nearest row that still exists above the one shown first.
    for (QStringList top = Top; !top.isEmpty(); top.removeLast())
        if (TITreeNode *node = NodeAtPath(grid, top)) {
            grid.SetTopNode(node);
            break;
        }
    grid.RequestRepaint();
}
