// quillon-cli check: the build held to its size budgets.

#include "analysis/BuildComparison.h"
#include "base/UFileUtils.h"
#include "cli/BudgetCheck.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// The budgets of the file appended to Budgets; the exit code when the file cannot be used.
int AddFileBudgets(const QString &FileName, const QString &ShownName, bool HasBaseline,
                   std::vector<TSizeBudget> &Budgets)
{
    TTextFileBytes text;
    QString error;
    if (!ReadTextFile(FileName, text, error)) {
        PrintError(u"cannot read the budgets file \"%1\": %2"_s.arg(ShownName, error));
        return ecMapUnreadable;
    }
    const TBudgetFile file = ReadBudgets(text.Bytes, ShownName);
    if (file.ErrorLine > 0) {
        PrintError(file.Error);
        return ecUsage;
    }
    if (text.EndsAtNul) {
        PrintError(u"%1:%2: a NUL byte: the budgets file is not a text file"_s.arg(ShownName).arg(
            text.Bytes.count('\n') + 1));
        return ecUsage;
    }
    for (const TSizeBudget &budget : file.Budgets) {
        if (budget.NeedsBaseline() && !HasBaseline) {
            PrintError(budget.Origin + u": needs --baseline OLD.map"_s);
            return ecUsage;
        }
        Budgets.push_back(budget);
    }
    return ecSuccess;
}

void PrintLine(const QString &Line)
{
    std::fprintf(stdout, "%s\n", Line.toLocal8Bit().constData());
}

} // namespace

int RunCheck(TCliOptions options)
{
    const bool hasBaseline = !options.BaselineMapFile.isEmpty();
    std::vector<TSizeBudget> budgets = options.Budgets;
    if (!options.BudgetsFile.isEmpty()) {
        const int read = AddFileBudgets(options.BudgetsFile, options.BudgetsFile, hasBaseline, budgets);
        if (read != ecSuccess)
            return read;
    }
    const QString mapFile = StartFolderPath(options.MapFile);
    const QString baselineFile = StartFolderPath(options.BaselineMapFile);

    TAnalysedBuild current;
    int analysed = current.Run(mapFile);
    if (analysed != ecSuccess)
        return analysed;
    // Without a baseline every unit is compared with nothing: its size is its growth.
    TAnalysedBuild baseline;
    if (hasBaseline) {
        analysed = baseline.Run(baselineFile);
        if (analysed != ecSuccess)
            return analysed;
    }

    const std::vector<TUnitChange> units = CompareUnits(baseline.Grid, current.Grid);
    int broken = 0;
    for (const TSizeBudget &budget : budgets) {
        const QStringList breaches = BudgetBreaches(budget, units);
        broken += !breaches.isEmpty();
        for (const QString &line : breaches)
            PrintLine(line);
    }
    const int count = int(budgets.size());
    PrintLine(broken ? u"%1 of %2 budgets broken"_s.arg(broken).arg(count)
                     : u"%1 budget%2 held"_s.arg(count).arg(count == 1 ? u""_s : u"s"_s));
    std::fflush(stdout);
    return broken ? ecBudgetBroken : ecSuccess;
}
