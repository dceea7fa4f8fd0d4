// quillon-cli: the analysis of the desktop program as a report, for scripts and build pipelines.

#include "analysis/MapAnalysis.h"
#include "analysis/MapFileSearch.h"
#include "base/UVersionInfo.h"
#include "cli/CliOptions.h"
#include "cli/ProgressLine.h"
#include "cli/ReportWriter.h"
#include "report/HtmlReportPage.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

void PrintError(const QString &message)
{
    QString text = message;
    text.replace(u"\r\n"_qs, u"\n"_qs);
    std::fprintf(stderr, "quillon-cli: %s\n", text.toLocal8Bit().constData());
}

void PrintWarning(const QString &message)
{
    PrintError(u"warning: "_qs + message);
}

// The MAP file of a project or executable named instead of it; empty, after the message, when none.
QString MapFileOf(const QString &named)
{
    if (IsMapFileName(named))
        return named;
    const TMapFileSearch search = FindMapFileFor(named);
    if (search.MapFile.isEmpty()) {
        PrintError(u"no MAP file found for \"%1\"; looked at:\n  %2"_qs.arg(
            named, search.Candidates.join(u"\n  "_qs)));
        return {};
    }
    PrintError(u"using MAP file %1"_qs.arg(search.MapFile));
    return search.MapFile;
}

THtmlReportFacts HtmlReportFacts(const TMapAnalysis &analysis)
{
    THtmlReportFacts facts;
    facts.MapDate = QFileInfo(analysis.MapFileName()).lastModified().toString(u"yyyy-MM-dd HH:mm:ss"_qs);
    facts.Version = ApplicationVersion();
    facts.Grouping = analysis.Grouping() == TSymbolGrouping::ByName ? u"name"_qs : u"address"_qs;
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

int ExitCodeOf(TMapAnalysis::TFailure failure)
{
    return failure == TMapAnalysis::afMalformed || failure == TMapAnalysis::afNotDetailed ? ecMapMalformed
                                                                                          : ecMapUnreadable;
}

int Report(TCliOptions options)
{
    options.MapFile = MapFileOf(options.MapFile);
    if (options.MapFile.isEmpty())
        return ecMapUnreadable;
    // The analysis makes the project's folder the current one: paths given relative to the folder
    // the tool was started in are fixed first.
    if (options.SearchDir) {
        options.SearchDir = QFileInfo(*options.SearchDir).absoluteFilePath();
        const QString problem = TMapAnalysis::SearchFolderProblem(*options.SearchDir);
        if (!problem.isEmpty()) {
            PrintError(problem);
            return ecMapUnreadable;
        }
    }
    if (!options.OutputFile.isEmpty())
        options.OutputFile = QFileInfo(options.OutputFile).absoluteFilePath();

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
        PrintWarning(u"no project file %1 found above %2; form sizes of relative paths may be wrong"_qs.arg(
            projectFile, mapFolder));
    };
    analysis.OnScanProgress = [&progress, &analysis](const QString &, bool &) {
        progress.Show(analysis.ScanCounts());
    };
    analysis.OnScanFinished = [&progress](TMapAnalysis *) { progress.Erase(); };
    if (!analysis.Run(options.MapFile, options.SearchDir))
        return ExitCodeOf(analysis.Failure());

    QFile output;
    const bool opened = options.OutputFile.isEmpty()
                            ? output.open(stdout, QIODevice::WriteOnly)
                            : (output.setFileName(options.OutputFile),
                               output.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!opened) {
        PrintError(u"cannot write \"%1\": %2"_qs.arg(options.OutputFile, output.errorString()));
        return ecOutputFailed;
    }
    std::vector<TUnitReportRow> rows;
    for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling())
        rows.push_back(TUnitReportRow::Of(unit, analysis.PercentFactor()));

    const std::unique_ptr<TReportWriter> writer = NewWriter(options, analysis, output);
    writer->Begin(analysis, rows);
    WriteUnits(analysis, grid, *writer, options.Symbols || options.Format == TReportFormat::Html, rows);
    writer->End();
    if (!writer->Finish() || !output.flush()) {
        PrintError(u"cannot write \"%1\": %2"_qs.arg(
            options.OutputFile.isEmpty() ? u"standard output"_qs : options.OutputFile, output.errorString()));
        return ecOutputFailed;
    }
    return ecSuccess;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString error;
    const std::optional<TCliOptions> options = TCliOptions::Parse(app.arguments().mid(1), error);
    if (!options) {
        PrintError(error);
        return ecUsage;
    }
    if (options->Help) {
        std::fputs(TCliOptions::HelpText().toLocal8Bit().constData(), stdout);
        return ecSuccess;
    }
    if (options->Version) {
        std::fputs(TCliOptions::VersionText().toLocal8Bit().constData(), stdout);
        return ecSuccess;
    }
    switch (options->Command) {
    case TCliCommand::Report:
        return Report(*options);
    case TCliCommand::None:
        break;
    }
    return ecUsage;
}
