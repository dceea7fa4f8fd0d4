// quillon-cli: the analysis of the desktop program as a report, for scripts and build pipelines.

#include "analysis/MapAnalysis.h"
#include "cli/CliOptions.h"
#include "cli/ReportWriter.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

void PrintError(const QString &message)
{
    QString text = message;
    text.replace(u"\r\n"_qs, u"\n"_qs);
    std::fprintf(stderr, "quillon-cli: %s\n", text.toLocal8Bit().constData());
}

std::unique_ptr<TReportWriter> NewWriter(const TCliOptions &options, QIODevice &output)
{
    switch (options.Format) {
    case TReportFormat::Csv:
        return NewCsvReportWriter(output);
    case TReportFormat::Json:
        return NewJsonReportWriter(output, options.Symbols);
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

int Report(TCliOptions options)
{
    // The analysis makes the project's folder the current one: paths given relative to the folder
    // the tool was started in are fixed first.
    if (options.SearchDir)
        options.SearchDir = QFileInfo(*options.SearchDir).absoluteFilePath();
    if (!options.OutputFile.isEmpty())
        options.OutputFile = QFileInfo(options.OutputFile).absoluteFilePath();

    TTreeGridModel grid;
    TMapAnalysis::SetupUnitColumns(grid);
    TMapAnalysis analysis(grid);
    analysis.OnMessage = [](TMapAnalysis *, const QString &message) { PrintError(message); };
    if (!analysis.Run(options.MapFile, options.SearchDir)) {
        return analysis.Failure() == TMapAnalysis::afMalformed ? ecMapMalformed : ecMapUnreadable;
    }

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

    const std::unique_ptr<TReportWriter> writer = NewWriter(options, output);
    writer->Begin(analysis, rows);
    WriteUnits(analysis, grid, *writer, options.Symbols, rows);
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
    return Report(*options);
}
