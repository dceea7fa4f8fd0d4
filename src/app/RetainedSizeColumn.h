#pragma once
// The unit grid's "Retained size" column, offered in its column menu: the code that would leave the
// program with each unit, from the run's unit graph (the figures of quillon-cli report --retained),
// "<=" before an upper bound and "-" for a unit no chain from the program is known to. The graph is
// built only once the column shows, so a run with the column hidden costs nothing more.
// Retained sizes overlap (a unit's includes every unit it dominates), so the status bar does not add
// them up.

#include "units/UnitGraphBuilder.h"

#include <functional>

class TITreeNode;
class TITreeView;

class TRetainedSizeColumn
{
public:
    // Graph: the run's unit graph, built when first asked for; none without a run. The column takes
    // the grid's OnColumnsChanged while it lives.
    TRetainedSizeColumn(TITreeView &Grid, std::function<const TUnitGraphBuild *()> Graph);
    ~TRetainedSizeColumn();
    TRetainedSizeColumn(const TRetainedSizeColumn &) = delete;
    TRetainedSizeColumn &operator=(const TRetainedSizeColumn &) = delete;

    // After a run, or a change of what its graph is built from: the values come again, at once
    // while the column shows, else when it is shown.
    void Refresh();
    bool Filled() const { return FFilled; }

    // "12345", "<= 12345", "-" on a unit row once filled; empty on symbol rows.
    static QString CellText(const TITreeNode *Node);

private:
    // A column just shown is filled.
    void ColumnsChanged();
    void Fill();

    TITreeView &FGrid;
    std::function<const TUnitGraphBuild *()> FGraph;
    bool FFilled = false;
};
