#include "FuzzTarget.h"

#include "cli/BudgetCheck.h"
#include "cli/CheckReport.h"
#include "cli/SizeBudgets.h"

#include <cstdlib>

// A hand-written budgets file: read, and every budget it yields held against a few units whose
// names the patterns are matched with, its outcome written in every format. A sound file gives only
// sound limits.
QUILLON_FUZZ_TARGET(BudgetsFile)
{
    const TBudgetFile file = ReadBudgets(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), QStringLiteral("b.txt"));
    if ((file.ErrorLine > 0) == file.Error.isEmpty())
        std::abort();
    std::vector<TUnitChange> units(3);
    units[0].Name = QStringLiteral("Vcl.Forms");
    units[0].OldSize = 4096;
    units[0].NewSize = 5000;
    units[1].Name = QStringLiteral("System");
    units[1].NewSize = 70000;
    units[2].Name =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(std::min<size_t>(size, 64)));
    units[2].OldSize = 100;
    TCheckOutcome outcome;
    outcome.Budgets = int(file.Budgets.size());
    outcome.Strict = file.Strict;
    for (const TSizeBudget &budget : file.Budgets) {
        if (budget.Limit.Bytes < 0 || budget.Limit.Percent < 0 ||
            (budget.HasPattern() && budget.Pattern.isEmpty()))
            std::abort();
        for (TBudgetResult &result : EvaluateBudget(budget, units))
            outcome.Results.push_back(std::move(result));
    }
    (void)CheckText(outcome);
    (void)CheckJson(outcome);
    (void)CheckMarkdown(outcome);
}
