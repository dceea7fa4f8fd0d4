#include "cli/ReportOutput.h"

#include "analysis/LinkedUnits.h"
#include "analysis/MapAnalysis.h"
#include "analysis/NameFilter.h"
#include "base/UVersionInfo.h"
#include "cli/CommandSupport.h"
#include "cli/ReportGraphData.h"
#include "cli/ReportWriter.h"
#include "report/HtmlReportPage.h"
#include "tree/GridFilter.h"
#include "tree/TreeGridModel.h"

#include <QDateTime>
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
                                         QIODevice &output, const TWholeFile *file, const TUnitGraph *graph)
{
    switch (options.Format) {
    case TReportFormat::Csv:
        return NewCsvReportWriter(output);
    case TReportFormat::Json:
        return NewJsonReportWriter(output, options.Symbols, file);
    case TReportFormat::Html:
        return NewHtmlReportWriter(output, HtmlReportFacts(analysis), file, graph);
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

// The unit graph of the run's units and the uses below the search folder, with the PACKAGEINFO of
// the executable the options choose.
TUnitGraphBuild ReportUnitGraph(const TMapAnalysis &analysis, const TTreeGridModel &grid,
                                const TCliOptions &options)
{
    const bool noExe = options.ExecutableSwitchedOff();
    QStringList warnings;
    TUnitGraphBuild build =
        BuildUnitGraph(UnitGraphSourcesOf(analysis, grid, options.SearchDir.value_or(QString()),
                                          noExe ? QString() : options.Exe, !noExe, warnings));
    // The page asks for no graph: why its executable gives no PACKAGEINFO is told only to --retained.
    for (const QString &warning : (options.Retained ? warnings : QStringList()) + build.Notes)
        PrintWarning(warning);
    return build;
}

// The retained size of each unit listed.
void AddRetainedSizes(const TUnitGraph &graph, std::vector<TUnitReportRow> &rows)
{
    for (TUnitReportRow &row : rows) {
        const std::optional<int> unit = graph.IndexOf(row.Name);
        if (!unit || !graph.Reachable(*unit))
            continue;
        row.RetainedSize = graph.RetainedSize(*unit);
        row.RetainedUpperBound = graph.RetainedIsUpperBound(*unit);
    }
}

} // namespace

std::unique_ptr<TReportWriter> WriteReport(TMapAnalysis &Analysis, TTreeGridModel &Grid,
                                           const TCliOptions &Options, QIODevice &Output,
                                           const TWholeFile *File)
{
    const TNameFilter filter(Options.Filter);
    const std::vector<TITreeNode *> units = FilteredUnits(Analysis, Grid, filter);
    std::vector<TUnitReportRow> rows;
    for (TITreeNode *unit : units)
        rows.push_back(TUnitReportRow::Of(unit, Analysis.PercentFactor()));

    // The page shows why a unit it opens is linked; without any uses read it would only say so.
    const bool html = Options.Format == TReportFormat::Html;
    std::optional<TUnitGraphBuild> graph;
    if (Options.Retained || html)
        graph = ReportUnitGraph(Analysis, Grid, Options);
    if (Options.Retained)
        AddRetainedSizes(graph->Graph, rows);
    const TUnitGraph *pageGraph = html && GraphHasUses(graph->Graph) ? &graph->Graph : nullptr;
    std::unique_ptr<TReportWriter> writer = NewWriter(Options, Analysis, Output, File, pageGraph);
    writer->SetWithRetained(Options.Retained);
    writer->Begin(Analysis, rows);
    WriteUnits(Analysis, Grid, *writer, Options.Symbols || html, filter, units, rows);
    writer->End();
    return writer;
}
