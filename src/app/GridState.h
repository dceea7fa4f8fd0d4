#pragma once
// What the user made of the grid (sort, opened rows, selection, the first row shown), kept by the
// rows' texts, so that it survives a new run that replaces every row: what still exists comes back.

#include "tree/ITVSortKind.h"
#include "tree/TreeNodePath.h"

#include <QList>
#include <QStringList>

class TITreeNode;
class TITreeView;
class TTreeGridModel;

struct TGridState
{
    int SortColumnIndex = -1;
    TITVSortDirection SortDirection = sdAscending;
    QList<QStringList> Opened; // parents before their children
    QList<QStringList> Selected;
    QStringList Current; // the selected node that the keyboard moves from
    QStringList Top;

    static TGridState Capture(TITreeView &grid);
    // Sorts, opens (through the grid's expanding event), selects and scrolls as captured; rows that
    // no longer exist are skipped.
    void Restore(TITreeView &grid) const;
};
