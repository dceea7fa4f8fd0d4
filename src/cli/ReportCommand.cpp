// quillon-cli report: the analysis of the desktop program as a report.

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "cli/ReportOutput.h"
#include "cli/ReportWriter.h"

#include <QElapsedTimer>

using namespace Qt::Literals::StringLiterals;

int RunReport(TCliOptions options)
{
    const QString named = options.MapFile;
    options.MapFile = MapFileOf(options.MapFile);
    if (options.MapFile.isEmpty())
        return ecMapUnreadable;
    // Refused before anything runs: the output would replace a file the run reads.
    const int refused = TCommandOutput::Refuse(options.OutputFile, InputsOf(options.MapFile) << named);
    if (refused != ecSuccess)
        return refused;
    // The analysis makes the project's folder the current one: paths given relative to the folder
    // the tool was started in are fixed first.
    if (options.SearchDir) {
        options.SearchDir = StartFolderPath(*options.SearchDir);
        const QString problem = TMapAnalysis::SearchFolderProblem(*options.SearchDir);
        if (!problem.isEmpty()) {
            PrintError(problem);
            return ecMapUnreadable;
        }
    }
    options.OutputFile = StartFolderPath(options.OutputFile);

    TTreeGridModel grid;
    TMapAnalysis::SetupUnitColumns(grid);
    TMapAnalysis analysis(grid);
    analysis.SetGrouping(options.Grouping);
    QElapsedTimer clock;
    clock.start();
    TProgressLine progress(stderr, StandardErrorIsTerminal(), [&clock] { return clock.elapsed(); });
    analysis.OnMessage = [&progress](TMapAnalysis *, const QString &message) {
        progress.Erase();
        PrintError(message);
    };
    analysis.OnWarning = [](TMapAnalysis *, const QString &message) { PrintWarning(message); };
    analysis.OnProjectFileMissing = [](TMapAnalysis *, const QString &projectFile, const QString &mapFolder) {
        PrintWarning(u"no project file %1 found above %2; form sizes of relative paths may be wrong"_s.arg(
            projectFile, mapFolder));
    };
    analysis.OnScanProgress = [&progress, &analysis](const QString &, bool &) {
        progress.Show(analysis.ScanCounts());
    };
    analysis.OnScanFinished = [&progress](TMapAnalysis *) { progress.Erase(); };
    const int analysed = RunAnalysis(analysis, options.MapFile, options.SearchDir);
    if (analysed != ecSuccess)
        return analysed;
    if (options.Strict && !analysis.IncompleteWarning().isEmpty())
        return ecMapMalformed;

    TCommandOutput output;
    if (!output.Open(options.OutputFile))
        return ecOutputFailed;
    const std::unique_ptr<TReportWriter> writer = WriteReport(analysis, grid, options, output.Device());
    return output.Finish(*writer) ? ecSuccess : ecOutputFailed;
}
