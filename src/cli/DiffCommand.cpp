// quillon-cli diff: what changed from one build to the next.

#include "analysis/BuildComparison.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/DiffWriter.h"

namespace {

std::unique_ptr<TDiffWriter> NewWriter(const TCliOptions &options, QIODevice &output,
                                       const std::vector<TUnitChange> &units)
{
    switch (options.Format) {
    case TReportFormat::Csv:
        return NewCsvDiffWriter(output);
    case TReportFormat::Json:
        return NewJsonDiffWriter(output);
    case TReportFormat::Markdown:
        return NewMarkdownDiffWriter(output);
    case TReportFormat::Table:
    case TReportFormat::Html: // refused with the options
    case TReportFormat::Dot:
        break;
    }
    qsizetype nameWidth = 0;
    for (const TUnitChange &unit : units)
        nameWidth = std::max(nameWidth, unit.Name.size());
    return NewTableDiffWriter(output, options.All, nameWidth, options.Wide);
}

} // namespace

int RunDiff(TCliOptions options)
{
    const QString oldMap = StartFolderPath(MapFileOf(options.BaselineMapFile));
    if (oldMap.isEmpty())
        return ecMapUnreadable;
    const QString newMap = StartFolderPath(MapFileOf(options.MapFile));
    if (newMap.isEmpty())
        return ecMapUnreadable;
    const int refused =
        TCommandOutput::Refuse(options.OutputFile, InputsOf(oldMap) + InputsOf(newMap)
                                                       << options.BaselineMapFile << options.MapFile);
    if (refused != ecSuccess)
        return refused;
    options.OutputFile = StartFolderPath(options.OutputFile);

    TAnalysedBuild oldBuild;
    oldBuild.Analysis.SetGrouping(options.Grouping);
    // Each build's executable beside its MAP file, compared when both have theirs.
    int analysed = oldBuild.Run(oldMap, true);
    if (analysed != ecSuccess)
        return analysed;
    TAnalysedBuild newBuild;
    newBuild.Analysis.SetGrouping(options.Grouping);
    analysed = newBuild.Run(newMap, true);
    if (analysed != ecSuccess)
        return analysed;

    const std::vector<TUnitChange> units = CompareUnits(oldBuild.Grid, newBuild.Grid);
    TDiffTotals totals{oldBuild.Analysis.MapFileName(),
                       newBuild.Analysis.MapFileName(),
                       oldBuild.Analysis.TotalCodeSize(),
                       newBuild.Analysis.TotalCodeSize(),
                       int(units.size()),
                       0};
    for (const TUnitChange &unit : units)
        totals.ChangedUnits += unit.Status != TUnitStatus::Unchanged;

    TCommandOutput output;
    if (!output.Open(options.OutputFile))
        return ecOutputFailed;
    const std::unique_ptr<TDiffWriter> writer = NewWriter(options, output.Device(), units);
    writer->Begin(totals);
    for (const TUnitChange &unit : units) {
        if (options.Symbols) {
            // One unit's symbol changes at a time: each tree is built, compared and folded again.
            const std::vector<TSizeChange> symbols =
                CompareUnitSymbols(oldBuild.Analysis, newBuild.Analysis, unit);
            writer->Unit(unit, &symbols);
        } else {
            writer->Unit(unit, nullptr);
        }
    }
    if (oldBuild.File && newBuild.File)
        writer->Files(oldBuild.File->Size, newBuild.File->Size,
                      CompareWholeFiles(oldBuild.File->Root, newBuild.File->Root));
    writer->End(totals);
    return output.Finish(*writer) ? ecSuccess : ecOutputFailed;
}
