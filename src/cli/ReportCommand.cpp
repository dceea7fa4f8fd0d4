// quillon-cli report: the analysis of the desktop program as a report.

#include "analysis/LinkedUnits.h"
#include "analysis/ExecutableMatch.h"
#include "analysis/MapFileSearch.h"
#include "analysis/NameFilter.h"
#include "base/UVersionInfo.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "cli/ReportWriter.h"
#include "cli/WholeFileWriter.h"
#include "report/HtmlReportPage.h"
#include "tree/GridFilter.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

#include <unordered_set>

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
                                         QIODevice &output, const std::optional<TWholeFile> &file)
{
    switch (options.Format) {
    case TReportFormat::Csv:
        return NewCsvReportWriter(output);
    case TReportFormat::Json:
        return NewJsonReportWriter(output, options.Symbols, file ? &*file : nullptr);
    case TReportFormat::Html:
        return NewHtmlReportWriter(output, HtmlReportFacts(analysis), file ? &*file : nullptr);
    case TReportFormat::Table:
    case TReportFormat::Markdown: // refused with the options
    case TReportFormat::Dot:
        break;
    }
    return NewTableReportWriter(output, options.Wide, options.Symbols);
}

// Builds the unit's symbol rows as opening the row builds them, sorted as the grid's Resort would
// sort them; false when they cannot be built (no symbols, or built already).
bool BuildSymbolRows(TMapAnalysis &analysis, TTreeGridModel &grid, TITreeNode *unit)
{
    if (!analysis.AddSymbolRowsOf(unit))
        return false;
    if (grid.SortColumn()) {
        grid.Browser().GoTo(unit);
        grid.Browser().Sort(grid.SortColumnIndex(), grid.SortColumn()->SortKind(),
                            sfRecursive | (grid.SortDirection() == sdDescending ? sfDescending : 0));
        grid.Browser().GoTo(nullptr);
    }
    return true;
}

// The units the window's filter shows: those whose names match and those holding a matching symbol
// row. Only the units owning a matching symbol are opened to be tested, one at a time, and given
// their placeholder back.
std::vector<TITreeNode *> FilteredUnits(TMapAnalysis &analysis, TTreeGridModel &grid,
                                        const TNameFilter &filter)
{
    std::vector<TITreeNode *> units;
    if (filter.IsEmpty()) {
        for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling())
            units.push_back(unit);
        return units;
    }
    const TITreeNodeList owning = filter.UnitsOwningMatches(analysis, grid);
    const std::unordered_set<const TITreeNode *> searched(owning.begin(), owning.end());
    const TRowMatch matches = [&filter](const TITreeNode *row) { return filter.RowMatches(row); };
    TITreeNodeList holding;
    for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling()) {
        bool shown = filter.RowMatches(unit);
        if (!shown && searched.count(unit) && analysis.AddSymbolRowsOf(unit)) {
            shown = MarkMatchesBelow(unit, false, matches, holding) > 0;
            unit->DeleteChildren();
            unit->AddChild(u"$"_s);
        }
        if (shown)
            units.push_back(unit);
    }
    return units;
}

// The units' symbol rows in display order, built and freed one unit at a time so that only one
// unit's tree is in memory; under a filter, pruned as the window shows them.
void WriteUnits(TMapAnalysis &analysis, TTreeGridModel &grid, TReportWriter &writer, bool withSymbols,
                const TNameFilter &filter, const std::vector<TITreeNode *> &units,
                const std::vector<TUnitReportRow> &rows)
{
    const TRowMatch matches = [&filter](const TITreeNode *row) { return filter.RowMatches(row); };
    TITreeNodeList holding;
    for (size_t row = 0; row < units.size(); ++row) {
        TITreeNode *const unit = units[row];
        if (withSymbols) {
            BuildSymbolRows(analysis, grid, unit);
            if (!filter.IsEmpty())
                MarkMatchesBelow(unit, filter.RowMatches(unit), matches, holding);
        }
        writer.Unit(rows[row], withSymbols ? unit : nullptr);
        if (withSymbols)
            unit->DeleteChildren();
    }
}

// The retained size of each unit listed, from the unit graph of the run's units and the uses below
// the search folder.
void AddRetainedSizes(const TMapAnalysis &analysis, const TTreeGridModel &grid, const QString &searchFolder,
                      std::vector<TUnitReportRow> &rows)
{
    QStringList warnings;
    const TUnitGraphBuild build =
        BuildUnitGraph(UnitGraphSourcesOf(analysis, grid, searchFolder, QString(), true, warnings));
    for (const QString &warning : warnings + build.Notes)
        PrintWarning(warning);
    for (TUnitReportRow &row : rows) {
        const std::optional<int> unit = build.Graph.IndexOf(row.Name);
        if (!unit || !build.Graph.Reachable(*unit))
            continue;
        row.RetainedSize = build.Graph.RetainedSize(*unit);
        row.RetainedUpperBound = build.Graph.RetainedIsUpperBound(*unit);
    }
}

int WriteWholeFile(const TCliOptions &options, const TWholeFile &file)
{
    TCommandOutput output;
    if (!output.Open(options.OutputFile))
        return ecOutputFailed;
    if (options.Format == TReportFormat::Json) {
        TJsonFileWriter writer(output.Device());
        writer.WriteFile(file);
        return output.Finish(writer) ? ecSuccess : ecOutputFailed;
    }
    TWholeFileWriter writer(output.Device(), options.Format, options.Depth);
    writer.WriteFile(file);
    return output.Finish(writer) ? ecSuccess : ecOutputFailed;
}

// An executable named without a MAP file beside it: its own parts, without units.
int RunExecutableReport(TCliOptions options)
{
    if (options.Format == TReportFormat::Html) {
        PrintError(u"no MAP file for \"%1\": the html report needs one (use table, csv or json)"_s.arg(
            options.MapFile));
        return ecMapUnreadable;
    }
    const int refused = TCommandOutput::Refuse(options.OutputFile, {options.MapFile});
    if (refused != ecSuccess)
        return refused;
    options.OutputFile = StartFolderPath(options.OutputFile);
    try {
        const TPeImage image = ReadExecutable(options.MapFile);
        return WriteWholeFile(options, BuildWholeFile(image, options.MapFile, nullptr, {}));
    } catch (const EExecutableError &error) {
        PrintError(error.Message());
        return ecMapMalformed;
    }
}

bool IsExecutableWithoutMap(const QString &path)
{
    return IsExecutableFileName(path) && QFileInfo(path).isFile() && FindMapFileFor(path).MapFile.isEmpty();
}

} // namespace

int RunReport(TCliOptions options)
{
    options.Exe = StartFolderExe(options.Exe);
    if (IsExecutableWithoutMap(options.MapFile))
        return RunExecutableReport(options);
    const QString named = options.MapFile;
    options.MapFile = MapFileOf(options.MapFile);
    if (options.MapFile.isEmpty())
        return ecMapUnreadable;
    // Refused before anything runs: the output would replace a file the run reads.
    const int refused = TCommandOutput::Refuse(
        options.OutputFile, InputsOf(options.MapFile)
                                << named << options.Exe << ExecutableBesideMap(options.MapFile));
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
    std::optional<TWholeFile> file;
    if (const int loaded = LoadWholeFile(analysis, options.Exe, file); loaded != ecSuccess)
        return loaded;
    if (options.WholeFile) {
        if (!file) {
            PrintError(u"--file: no executable of this build (name it with --exe)"_s);
            return ecMapUnreadable;
        }
        return WriteWholeFile(options, *file);
    }

    TCommandOutput output;
    if (!output.Open(options.OutputFile))
        return ecOutputFailed;
    const TNameFilter filter(options.Filter);
    const std::vector<TITreeNode *> units = FilteredUnits(analysis, grid, filter);
    std::vector<TUnitReportRow> rows;
    for (TITreeNode *unit : units)
        rows.push_back(TUnitReportRow::Of(unit, analysis.PercentFactor()));

    if (options.Retained)
        AddRetainedSizes(analysis, grid, options.SearchDir.value_or(QString()), rows);
    const std::unique_ptr<TReportWriter> writer = NewWriter(options, analysis, output.Device(), file);
    writer->SetWithRetained(options.Retained);
    writer->Begin(analysis, rows);
    WriteUnits(analysis, grid, *writer, options.Symbols || options.Format == TReportFormat::Html, filter,
               units, rows);
    writer->End();
    return output.Finish(*writer) ? ecSuccess : ecOutputFailed;
}
