// quillon-cli report: the analysis of the desktop program as a report.

#include "analysis/ExecutableMatch.h"
#include "analysis/MapFileSearch.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "cli/ReportOutput.h"
#include "cli/ReportWriter.h"
#include "cli/WholeFileWriter.h"

#include <QElapsedTimer>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

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
    const std::unique_ptr<TReportWriter> writer =
        WriteReport(analysis, grid, options, output.Device(), file ? &*file : nullptr);
    return output.Finish(*writer) ? ecSuccess : ecOutputFailed;
}
