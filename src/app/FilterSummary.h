#pragma once
// The status bar's panel of the grid's filter: how many rows match so far, then how many rows and
// units match and the units' compiled size together.

#include <QString>

class TTreeGridModel;

// The grid is filtered by Text.
QString FilterSummaryText(TTreeGridModel &Grid, const QString &Text, double PercentFactor);
QString FilterSummaryHint(const QString &Text);
