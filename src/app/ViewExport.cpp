#include "app/ViewExport.h"

#include "analysis/ExecutableMatch.h"
#include "analysis/MapAnalysis.h"
#include "analysis/WholeFile.h"
#include "base/Exception.h"
#include "base/SafeOutputFile.h"
#include "cli/CommandSupport.h"
#include "cli/ReportOutput.h"
#include "cli/ReportWriter.h"
#include "tree/TreeGridModel.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QIODevice>
#include <QObject>
#include <QWidget>

namespace {

struct TExportFormat
{
    TReportFormat Format;
    QString Filter;
    QString Suffix;
};

const TExportFormat ExportFormats[] = {
    {TReportFormat::Csv, QStringLiteral("CSV, the unit rows (*.csv)"), QStringLiteral("csv")},
    {TReportFormat::Json, QStringLiteral("JSON, with the symbols (*.json)"), QStringLiteral("json")},
    {TReportFormat::Html, QStringLiteral("HTML page, with the symbols (*.html)"), QStringLiteral("html")},
};

// The report on its way to the file until the export is cancelled: every write after that fails,
// so that nothing more reaches the disk and the file is not committed.
class TCancellableOutput : public QIODevice
{
public:
    TCancellableOutput(QIODevice &Target, const TReadProgress &Progress) : FTarget(Target), FProgress(Progress)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *Data, qint64 Length) override
    {
        if (FProgress.Cancelled())
            return -1;
        const qint64 written = FTarget.write(Data, Length);
        if (written < 0)
            setErrorString(FTarget.errorString());
        return written;
    }

private:
    QIODevice &FTarget;
    const TReadProgress &FProgress;
};

// The executables the view's run reads, which the export never writes over.
QStringList ExecutablesOf(const TViewExport::TView &View)
{
    QStringList files{ExecutableBesideMap(View.MapFile)};
    const TExecutableChoice choice = TExecutableChoice::FromText(View.Exe);
    if (!View.Exe.isEmpty() && choice.Mode == TExecutableChoice::Named)
        files << QFileInfo(choice.FileName).absoluteFilePath();
    return files;
}

// The whole file the CLI adds to the report: an executable beside the MAP file that cannot be read
// is left out, a named one that cannot be read fails the export.
bool LoadWholeFile(const TViewExport::TView &View, const TMapAnalysis &Analysis, std::optional<TWholeFile> &File,
                   QString &Error)
{
    const TExecutableChoice choice = View.Exe.isEmpty() ? TExecutableChoice() : TExecutableChoice::FromText(View.Exe);
    QString warning;
    try {
        File = WholeFileOfMap(choice, Analysis.MapFileName(), Analysis.Segments(), Analysis.FormOwners(), warning);
    } catch (const EExecutableError &error) {
        File.reset();
        if (choice.Mode != TExecutableChoice::Beside) {
            Error = error.Message();
            return false;
        }
    }
    return true;
}

// The export's run and writing, on the export's thread: false with the reason in Error, or with
// Progress cancelled.
bool WriteView(const TViewExport::TView &View, TReportFormat Format, const QString &Target,
               TReadProgress &Progress, std::atomic<bool> &Writing, QString &Error)
{
    TTreeGridModel grid;
    TMapAnalysis::SetupUnitColumns(grid);
    TMapAnalysis analysis(grid);
    analysis.SetGrouping(View.Grouping);
    QString message;
    analysis.OnMessage = [&message](TMapAnalysis *, const QString &text) {
        if (message.isEmpty())
            message = text;
    };
    analysis.OnProjectFileMissing = [](TMapAnalysis *, const QString &, const QString &) {};
    analysis.OnScanProgress = [&Progress](const QString &, bool &abort) { abort = Progress.Cancelled(); };
    std::optional<TMapAnalysis::TRunInput> input = analysis.Prepare(View.MapFile, View.SearchFolder);
    if (Progress.Cancelled())
        return false;
    if (!input || !analysis.Apply(TMapAnalysis::Read(std::move(*input), &Progress))) {
        if (!Progress.Cancelled())
            Error = message.isEmpty() ? QStringLiteral("The MAP file could not be read again.") : message;
        return false;
    }
    std::optional<TWholeFile> file;
    if (!LoadWholeFile(View, analysis, file, Error))
        return false;
    Writing.store(true, std::memory_order_relaxed);
    TSafeOutputFile output(Target);
    if (!output.Open(Error)) {
        Error = QStringLiteral("\"%1\" cannot be written: %2").arg(Target, Error);
        return false;
    }
    TCancellableOutput device(output.Device(), Progress);
    const std::unique_ptr<TReportWriter> writer = WriteReport(
        analysis, grid, TViewExport::ReportOptions(View, Format, Target), device, file ? &*file : nullptr);
    const bool finished = writer->Finish();
    if (Progress.Cancelled())
        return false;
    if (!finished)
        Error = device.errorString();
    else if (output.Commit(Error))
        return true;
    Error = QStringLiteral("\"%1\" cannot be written: %2").arg(Target, Error);
    return false;
}

} // namespace

TViewExport::TViewExport(QWidget *Window, TShownView Shown)
    : FWindow(Window), FAction(new QAction(QStringLiteral("Export view\u2026"), Window)),
      FShown(std::move(Shown)), FContext(std::make_unique<QObject>())
{
    FAction->setEnabled(false);
    FAction->setObjectName(QStringLiteral("ExportViewAction"));
    FAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    FAction->setShortcutContext(Qt::WindowShortcut);
    FAction->setShortcutVisibleInContextMenu(true);
    FAction->setToolTip(
        QStringLiteral("The rows the grid shows as CSV, JSON or HTML, as quillon-cli report writes them"));
    Window->addAction(FAction);
    QObject::connect(FAction, &QAction::triggered, Window, [this] { Export(); });
}

// The action goes with the export, not with the window's children, which outlive it.
TViewExport::~TViewExport()
{
    if (FThread.joinable()) {
        FProgress->Cancel();
        FThread.join();
    }
    delete FAction;
}

TCliOptions TViewExport::ReportOptions(const TView &View, TReportFormat Format, const QString &FileName)
{
    TCliOptions options;
    options.Command = TCliCommand::Report;
    options.MapFile = View.MapFile;
    options.SearchDir = View.SearchFolder;
    options.Format = Format;
    options.Symbols = Format != TReportFormat::Csv;
    options.Grouping = View.Grouping;
    options.Filter = View.Filter;
    options.Exe = View.Exe;
    options.OutputFile = FileName;
    return options;
}

void TViewExport::SetRun(const QString &MapFile, const QString &SearchFolder)
{
    FMapFile = MapFile;
    FSearchFolder = SearchFolder;
}

void TViewExport::Export()
{
    if (!FAction->isEnabled() || FMapFile.isEmpty() || Running())
        return;
    TView view = FShown();
    view.MapFile = FMapFile;
    view.SearchFolder = FSearchFolder;
    QStringList filters;
    for (const TExportFormat &format : ExportFormats)
        filters << format.Filter;
    QString selected = filters.first();
    const QString fileName =
        AskFileName ? AskFileName(filters, selected)
                    : QFileDialog::getSaveFileName(FWindow, QStringLiteral("Export view"),
                                                   QFileInfo(view.MapFile).absolutePath(),
                                                   filters.join(QStringLiteral(";;")), &selected);
    if (fileName.isEmpty())
        return;
    const TExportFormat *chosen = &ExportFormats[0];
    for (const TExportFormat &format : ExportFormats)
        if (format.Filter == selected)
            chosen = &format;
    QString target = fileName;
    if (QFileInfo(target).suffix().isEmpty())
        target += QLatin1Char('.') + chosen->Suffix;
    Start(view, chosen->Format, target);
}

void TViewExport::Start(const TView &View, TReportFormat Format, const QString &FileName)
{
    QASSERT(!Running());
    // Named absolutely before the run, which makes the project's folder the current one.
    FTarget = QFileInfo(FileName).absoluteFilePath();
    const QString input =
        TSafeOutputFile::InputNamedBy(FTarget, InputsOf(View.MapFile) + ExecutablesOf(View));
    if (!input.isEmpty()) {
        if (OnFailed)
            OnFailed(QStringLiteral("\"%1\" is read by the analysis: the view is not written over it.").arg(input));
        return;
    }
    // A progress of its own: a cancel of the last export does not carry over.
    FProgress = std::make_unique<TReadProgress>();
    FProgress->OnReport = OnReport;
    FWriting.store(false, std::memory_order_relaxed);
    FWritten = false;
    FError.clear();
    if (OnStarted)
        OnStarted(View.MapFile);
    FThread = std::thread([this, View, Format] {
        try {
            FWritten = WriteView(View, Format, FTarget, *FProgress, FWriting, FError);
        } catch (const Exception &error) {
            FError = error.Message();
        } catch (const std::bad_alloc &) {
            FError = QStringLiteral("Not enough memory to export the view.");
        }
        QMetaObject::invokeMethod(
            FContext.get(), [this] { Finish(); }, Qt::QueuedConnection);
    });
}

void TViewExport::Cancel()
{
    if (Running())
        FProgress->Cancel();
}

void TViewExport::Finish()
{
    FThread.join();
    if (OnEnded)
        OnEnded();
    if (FWritten) {
        if (OnNote)
            OnNote(QStringLiteral("View exported to %1").arg(FTarget));
    } else if (FProgress->Cancelled()) {
        if (OnNote)
            OnNote(QStringLiteral("Export cancelled: %1 was not written").arg(FTarget));
    } else if (OnFailed) {
        OnFailed(FError);
    }
}
