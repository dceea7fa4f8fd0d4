#pragma once
// Size budgets held against a build and, for the growth budgets, its baseline: what each measured,
// its limit, and by how much it is over or how much room is left.

#include "analysis/BuildComparison.h"
#include "analysis/WholeFile.h"
#include "cli/SizeBudgets.h"

#include <QString>

#include <vector>

// One measure of a budget.
struct TBudgetResult
{
    const TSizeBudget *Budget = nullptr;
    // False for a unit or group budget whose pattern matches no unit: nothing was measured.
    bool Matched = true;
    QString Subject;  // "the total code size", "unit Vcl.Forms", "the sum of the units Id*"...
    QString Unit;     // the unit a per-unit budget measured; empty for the others
    qint64 Limit = 0; // bytes, a percentage taken of its base and rounded down
    qint64 Actual = 0;
    // For a growth budget: the size the growth is taken from (the baseline's), for its share.
    qint64 Base = 0;
    bool Held = true;

    // Over the limit when positive; the room left is its negation.
    qint64 Delta() const { return Actual - Limit; }
};

// Where Budget stands. A total or group budget gives one result; a per-unit budget gives one per
// unit over its limit, or when every matching unit holds one for the largest of them (the one
// with the least room, for growth the one that grew most). Units are those of CompareUnits,
// against an empty baseline when there is none. A percentage of a unit's growth is taken of its
// old size, so a unit new in this build is held only by byte limits.
std::vector<TBudgetResult> EvaluateBudget(const TSizeBudget &Budget, const std::vector<TUnitChange> &Units);

// Where a budget on the executable stands against its whole-file tree: max-file the file's size,
// max-part each part its name matches (a section, "Headers", "Overlay", "Certificate", or a
// resource type) by its bytes in the file, as a per-unit budget gives them. None for the budgets
// on the MAP file, which EvaluateBudget holds.
std::vector<TBudgetResult> EvaluateFileBudget(const TSizeBudget &Budget, const TWholeFile &File);
