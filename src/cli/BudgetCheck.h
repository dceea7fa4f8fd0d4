#pragma once
// Size budgets held against a build and, for the growth budgets, its baseline.

#include "analysis/BuildComparison.h"
#include "cli/SizeBudgets.h"

#include <QStringList>

#include <vector>

// Where Budget breaks, one line each saying which budget, its limit and the actual value; none when
// it holds. A unit budget breaks once per unit over it. Units are those of CompareUnits, against an
// empty baseline when there is none. A percentage of a unit's growth is taken of its old size, so a
// unit new in this build is held only by byte limits.
QStringList BudgetBreaches(const TSizeBudget &Budget, const std::vector<TUnitChange> &Units);
