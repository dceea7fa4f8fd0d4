#pragma once
// The header's column menu: one checked item per column, choosing one shows or hides that column.
// Column 0 holds the tree and cannot be hidden, so its item is disabled.

#include <QPoint>

class TInteractiveTreeView;

class TITVColumnMenu
{
public:
    // Refills the shared menu for View's columns (collection order) and binds its choice to View.
    static void Fill(TInteractiveTreeView *View);
    static void Popup(TInteractiveTreeView *View, const QPoint &GlobalPosition);
};
