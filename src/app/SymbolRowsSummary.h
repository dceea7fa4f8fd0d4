#pragma once
// The status bar's sum of the selected symbol rows, for a selection without unit rows: "3 rows:
// 12.5 kB". A row below another selected row is part of it and not counted twice.

#include <QString>

class TITreeNodes;

// Empty when a unit row or no row is selected.
QString SymbolRowsSummary(const TITreeNodes &Items);
