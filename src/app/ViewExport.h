#pragma once
// The grid's view written to a file as quillon-cli report writes it: CSV of the unit rows, JSON and
// HTML with their symbol trees, the filter and the grouping as shown. The file is written from a
// run of its own over the view's MAP file and search folder, so the grid the user looks at (its
// opened rows, its filter's marks) is never touched, and the bytes are the CLI's.

#include "analysis/SymbolGrouping.h"
#include "cli/CliOptions.h"

#include <QString>

#include <functional>
#include <optional>

class QAction;
class QWidget;

class TViewExport
{
public:
    // What the window shows: the run's MAP file and search folder, the grouping, the filter's text.
    struct TView
    {
        QString MapFile;
        std::optional<QString> SearchFolder;
        TSymbolGrouping Grouping = TSymbolGrouping::ByAddress;
        QString Filter;
    };

    // How the rows are shown now: the grouping and the filter's text (the run's part is ignored).
    using TShownView = std::function<TView()>;

    // The action "Export view…" (Ctrl+Shift+E) is added to Window, so that its shortcut works
    // anywhere in it; Shown is asked when it is triggered. Disabled until a run is set.
    TViewExport(QWidget *Window, TShownView Shown);
    ~TViewExport();
    TViewExport(const TViewExport &) = delete;
    TViewExport &operator=(const TViewExport &) = delete;

    QAction *Action() const { return FAction; }
    // The run the grid shows: a cancelled run after it changes neither.
    void SetRun(const QString &MapFile, const QString &SearchFolder);

    // The report options of the view in a format: those quillon-cli report is given for it.
    static TCliOptions ReportOptions(const TView &View, TReportFormat Format, const QString &FileName);
    // Writes the view's report to FileName; false with the reason in Error, the file then as it was.
    // A file the run reads (the MAP file, the project file) is refused before anything is read.
    static bool Write(const TView &View, TReportFormat Format, const QString &FileName, QString &Error);

    // Asks for the file and its format, then writes it; the outcome goes to OnWritten or OnFailed.
    void Export();

    std::function<void(const QString &Note)> OnWritten;
    std::function<void(const QString &Message)> OnFailed;
    // Answers the file dialog in tests: the file name, and the chosen one of Filters in Selected;
    // empty to cancel.
    std::function<QString(const QStringList &Filters, QString &Selected)> AskFileName;

private:
    QWidget *const FWindow;
    QAction *const FAction;
    const TShownView FShown;
    QString FMapFile;
    QString FSearchFolder;
};
