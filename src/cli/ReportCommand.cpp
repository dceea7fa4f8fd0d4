// quillon-cli report: the analysis of the desktop program as a report.

#include "base/UVersionInfo.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "cli/ReportWriter.h"
#include "report/HtmlReportPage.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

THtmlReportFacts HtmlReportFacts(const TMapAnalysis &analysis)
{
    THtmlReportFacts facts;
    facts.MapDate = QFileInfo(analysis.MapFileName()).lastModified().toString(u"yyyy-MM-dd HH:mm:ss"_s);
    facts.Version = ApplicationVersion();
    facts.Grouping = analysis.Grouping() == TSymbolGrouping::ByName ? u"name"_s : u"address"_s;
    return facts;
}

std::unique_ptr<TReportWriter> NewWriter(const TCliOptions &options, const TMapAnalysis &analysis,
                                         QIODevice &output)
{
    switch (options.Format) {
    case TReportFormat::Csv:
        return NewCsvReportWriter(output);
    case TReportFormat::Json:
        return NewJsonReportWriter(output, options.Symbols);
    case TReportFormat::Html:
        return NewHtmlReportWriter(output, HtmlReportFacts(analysis));
    case TReportFormat::Table:
        break;
    }
    return NewTableReportWriter(output);
}

// The unit's symbol rows in display order: built as opening the row builds them and sorted as the
// grid's Resort would sort them, then freed once written, so that only one unit's tree is in memory.
void WriteUnits(TMapAnalysis &analysis, TTreeGridModel &grid, TReportWriter &writer, bool withSymbols,
                const std::vector<TUnitReportRow> &rows)
{
    size_t row = 0;
    for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling(), ++row) {
        const TITreeNode *symbols = nullptr;
        if (withSymbols) {
            if (analysis.AddSymbolRowsOf(unit) && grid.SortColumn()) {
                grid.Browser().GoTo(unit);
                grid.Browser().Sort(grid.SortColumnIndex(), grid.SortColumn()->SortKind(),
                                    sfRecursive | (grid.SortDirection() == sdDescending ? sfDescending : 0));
                grid.Browser().GoTo(nullptr);
            }
            symbols = unit;
        }
        writer.Unit(rows[row], symbols);
        if (withSymbols)
            unit->DeleteChildren();
    }
}

} // namespace

int RunReport(TCliOptions options)
{
    options.MapFile = MapFileOf(options.MapFile);
    if (options.MapFile.isEmpty())
        return ecMapUnreadable;
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
    TProgressLine progress(stderr, isatty(STDERR_FILENO) != 0, [&clock] { return clock.elapsed(); });
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
    if (!analysis.Run(options.MapFile, options.SearchDir))
        return ExitCodeOf(analysis.Failure());

    QFile output;
    if (!OpenOutput(output, options.OutputFile))
        return ecOutputFailed;
    std::vector<TUnitReportRow> rows;
    for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling())
        rows.push_back(TUnitReportRow::Of(unit, analysis.PercentFactor()));

    const std::unique_ptr<TReportWriter> writer = NewWriter(options, analysis, output);
    writer->Begin(analysis, rows);
    WriteUnits(analysis, grid, *writer, options.Symbols || options.Format == TReportFormat::Html, rows);
    writer->End();
    return FinishOutput(*writer, output, options.OutputFile) ? ecSuccess : ecOutputFailed;
}
