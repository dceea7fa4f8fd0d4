#pragma once
// The status bar's text for the selection in the unit grid: the selected units' count, code with its
// share, and form sizes, with their change against a baseline when one is shown; for a selection of
// symbol rows alone, the rows' sum.

#include <QString>

class TITreeNode;
class TITreeNodes;

QString UnitSelectionSummary(const TITreeNodes &Items, double PercentFactor, bool WithChange);

// The object of column string Item, 0 when the row has no such column string.
qint64 ColumnObject(const TITreeNode *Node, int Item);
