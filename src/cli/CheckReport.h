#pragma once
// The outcome of `quillon-cli check` in its formats: text lines for people and logs, JSON for
// scripts, and a Markdown table for a pull request comment.

#include "cli/BudgetCheck.h"

#include <QByteArray>

#include <vector>

struct TCheckOutcome
{
    std::vector<TBudgetResult> Results; // budget by budget, in their order
    int Budgets = 0;
    // A budget matching no unit breaks the check.
    bool Strict = false;

    bool Breaks(const TBudgetResult &Result) const { return Result.Matched ? !Result.Held : Strict; }
    // Budgets with at least one result that breaks.
    int Broken() const;
    int Unmatched() const;
    bool Held() const { return Broken() == 0; }
};

QByteArray CheckText(const TCheckOutcome &Outcome);
QByteArray CheckJson(const TCheckOutcome &Outcome);
QByteArray CheckMarkdown(const TCheckOutcome &Outcome);
