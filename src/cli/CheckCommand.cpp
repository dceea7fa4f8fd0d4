// quillon-cli check: the build held to its size budgets.

#include "analysis/BuildComparison.h"
#include "analysis/ExecutableMatch.h"
#include "base/UFileUtils.h"
#include "cli/BudgetCheck.h"
#include "cli/BufferedWriter.h"
#include "cli/CheckReport.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The budgets of the file appended to Budgets (and its "strict" to Strict); the exit code when the
// file cannot be used.
int AddFileBudgets(const QString &FileName, const QString &ShownName, bool HasBaseline,
                   std::vector<TSizeBudget> &Budgets, bool &Strict)
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
    Strict = Strict || file.Strict;
    for (const TSizeBudget &budget : file.Budgets) {
        if (budget.NeedsBaseline() && !HasBaseline) {
            PrintError(budget.Origin + u": needs --baseline OLD.map"_s);
            return ecUsage;
        }
        Budgets.push_back(budget);
    }
    return ecSuccess;
}

QByteArray Formatted(TReportFormat Format, const TCheckOutcome &Outcome)
{
    switch (Format) {
    case TReportFormat::Json:
        return CheckJson(Outcome);
    case TReportFormat::Markdown:
        return CheckMarkdown(Outcome);
    default:
        return CheckText(Outcome);
    }
}

// The outcome as one block: its lines are few, and a half-written file must not pass for a result.
class TCheckWriter : public TBufferedWriter
{
public:
    using TBufferedWriter::TBufferedWriter;
    void Put(QByteArrayView Bytes) { Write(Bytes); }
};

} // namespace

int RunCheck(TCliOptions options)
{
    const bool hasBaseline = !options.BaselineMapFile.isEmpty();
    std::vector<TSizeBudget> budgets = options.Budgets;
    bool strict = options.Strict;
    if (!options.BudgetsFile.isEmpty()) {
        const int read =
            AddFileBudgets(options.BudgetsFile, options.BudgetsFile, hasBaseline, budgets, strict);
        if (read != ecSuccess)
            return read;
    }
    const QString mapFile = StartFolderPath(MapFileOf(options.MapFile));
    if (mapFile.isEmpty())
        return ecMapUnreadable;
    const QString baselineFile =
        hasBaseline ? StartFolderPath(MapFileOf(options.BaselineMapFile)) : QString();
    if (hasBaseline && baselineFile.isEmpty())
        return ecMapUnreadable;
    QStringList inputs = InputsOf(mapFile) << options.MapFile << options.BudgetsFile
                                           << ExecutableBesideMap(mapFile) << options.Exe;
    if (hasBaseline)
        inputs << InputsOf(baselineFile) << options.BaselineMapFile;
    const int refused = TCommandOutput::Refuse(options.OutputFile, inputs);
    if (refused != ecSuccess)
        return refused;
    options.OutputFile = StartFolderPath(options.OutputFile);

    const auto onFile = std::find_if(budgets.begin(), budgets.end(),
                                     [](const TSizeBudget &budget) { return budget.NeedsExecutable(); });
    TAnalysedBuild current;
    int analysed = current.Run(mapFile, onFile != budgets.end(), StartFolderExe(options.Exe));
    if (analysed != ecSuccess)
        return analysed;
    if (onFile != budgets.end() && !current.File) {
        PrintError(
            u"%1 needs the executable of the build, and none belongs to the MAP file"_s.arg(onFile->Origin));
        return ecMapUnreadable;
    }
    // Without a baseline every unit is compared with nothing: its size is its growth.
    TAnalysedBuild baseline;
    if (hasBaseline) {
        analysed = baseline.Run(baselineFile);
        if (analysed != ecSuccess)
            return analysed;
    }

    const std::vector<TUnitChange> units = CompareUnits(baseline.Grid, current.Grid);
    TCheckOutcome outcome;
    outcome.Budgets = int(budgets.size());
    outcome.Strict = strict;
    for (const TSizeBudget &budget : budgets)
        for (TBudgetResult &result : budget.NeedsExecutable() ? EvaluateFileBudget(budget, *current.File)
                                                              : EvaluateBudget(budget, units))
            outcome.Results.push_back(std::move(result));

    TCommandOutput output;
    if (!output.Open(options.OutputFile))
        return ecOutputFailed;
    TCheckWriter writer(output.Device());
    writer.Put(Formatted(options.Format, outcome));
    if (!output.Finish(writer))
        return ecOutputFailed;
    return outcome.Held() ? ecSuccess : ecBudgetBroken;
}
