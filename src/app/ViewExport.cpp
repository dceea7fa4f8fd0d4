#include "app/ViewExport.h"

#include "analysis/MapAnalysis.h"
#include "base/SafeOutputFile.h"
#include "cli/CommandSupport.h"
#include "cli/ReportOutput.h"
#include "cli/ReportWriter.h"
#include "tree/TreeGridModel.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
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

} // namespace

TViewExport::TViewExport(QWidget *Window, TShownView Shown)
    : FWindow(Window), FAction(new QAction(QStringLiteral("Export view\u2026"), Window)),
      FShown(std::move(Shown))
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
    options.OutputFile = FileName;
    return options;
}

bool TViewExport::Write(const TView &View, TReportFormat Format, const QString &FileName, QString &Error)
{
    // Named absolutely before the run, which makes the project's folder the current one.
    const QString target = QFileInfo(FileName).absoluteFilePath();
    const QString input = TSafeOutputFile::InputNamedBy(target, InputsOf(View.MapFile));
    if (!input.isEmpty()) {
        Error = QStringLiteral("\"%1\" is read by the analysis: the view is not written over it.").arg(input);
        return false;
    }
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
    if (!analysis.Run(View.MapFile, View.SearchFolder)) {
        Error = message.isEmpty() ? QStringLiteral("The MAP file could not be read again.") : message;
        return false;
    }
    TSafeOutputFile output(target);
    if (!output.Open(Error)) {
        Error = QStringLiteral("\"%1\" cannot be written: %2").arg(target, Error);
        return false;
    }
    const std::unique_ptr<TReportWriter> writer =
        WriteReport(analysis, grid, ReportOptions(View, Format, target), output.Device(), nullptr);
    if (!writer->Finish())
        Error = output.Device().errorString();
    else if (output.Commit(Error))
        return true;
    Error = QStringLiteral("\"%1\" cannot be written: %2").arg(target, Error);
    return false;
}

void TViewExport::SetRun(const QString &MapFile, const QString &SearchFolder)
{
    FMapFile = MapFile;
    FSearchFolder = SearchFolder;
}

void TViewExport::Export()
{
    if (!FAction->isEnabled() || FMapFile.isEmpty())
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
    QString error;
    if (Write(view, chosen->Format, target, error)) {
        if (OnWritten)
            OnWritten(QStringLiteral("View exported to %1").arg(QFileInfo(target).absoluteFilePath()));
    } else if (OnFailed) {
        OnFailed(error);
    }
}
