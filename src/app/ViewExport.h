#pragma once
// The grid's view written to a file as quillon-cli report writes it: CSV of the unit rows, JSON and
// HTML with their symbol trees and the executable's whole file, the filter and the grouping as
// shown. The file is written from a run of its own over the view's MAP file and search folder, on a
// thread of its own, so that the grid the user looks at (its opened rows, its filter's marks) is
// never touched, the window answers meanwhile, and the bytes are the CLI's.

#include "analysis/ReadProgress.h"
#include "analysis/SymbolGrouping.h"
#include "cli/CliOptions.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QAction;
class QObject;
class QWidget;

class TViewExport
{
public:
    // What the window shows: the run's MAP file and search folder, the grouping, the filter's text,
    // and the executable as quillon-cli report's --exe names it (empty: the one beside the MAP file).
    struct TView
    {
        QString MapFile;
        std::optional<QString> SearchFolder;
        TSymbolGrouping Grouping = TSymbolGrouping::ByAddress;
        QString Filter;
        QString Exe;
    };

    // How the rows are shown now: the grouping, the filter's text and the executable (the run's part
    // is ignored).
    using TShownView = std::function<TView()>;

    // The action "Export view…" (Ctrl+Shift+E) is added to Window, so that its shortcut works
    // anywhere in it; Shown is asked when it is triggered. Disabled until a run is set.
    TViewExport(QWidget *Window, TShownView Shown);
    // Cancels a writing under way and waits for its thread; the target then stays as it was.
    ~TViewExport();
    TViewExport(const TViewExport &) = delete;
    TViewExport &operator=(const TViewExport &) = delete;

    QAction *Action() const { return FAction; }
    // The run the grid shows: a cancelled run after it changes neither.
    void SetRun(const QString &MapFile, const QString &SearchFolder);

    // The report options of the view in a format: those quillon-cli report is given for it.
    static TCliOptions ReportOptions(const TView &View, TReportFormat Format, const QString &FileName);

    // Asks for the file and its format, then writes it on a thread of its own: OnStarted, then on
    // this thread OnEnded followed by OnNote (written, or cancelled) or OnFailed.
    void Export();
    // Starts writing the view's report to FileName; not while Running().
    void Start(const TView &View, TReportFormat Format, const QString &FileName);
    // From Start until OnEnded.
    bool Running() const { return FThread.joinable(); }
    // The reading of the MAP file of the running (or last) export.
    const TReadProgress &Progress() const { return *FProgress; }
    // The MAP file is read and the report is being written.
    bool Writing() const { return FWriting.load(std::memory_order_relaxed); }
    // The file being written, as named absolutely.
    const QString &Target() const { return FTarget; }
    // Stops the reader at its next report, or the writer at its next buffer; nothing is written.
    void Cancel();

    std::function<void(const QString &MapFile)> OnStarted;
    std::function<void()> OnEnded;
    // The outcome that needs no answer: the file written, or the export cancelled.
    std::function<void(const QString &Note)> OnNote;
    std::function<void(const QString &Message)> OnFailed;
    // Called on the export's thread at every report of its reader (see TReadProgress::OnReport).
    std::function<void(qint64 done, qint64 total)> OnReport;
    // Answers the file dialog in tests: the file name, and the chosen one of Filters in Selected;
    // empty to cancel.
    std::function<QString(const QStringList &Filters, QString &Selected)> AskFileName;

private:
    void Finish();

    QWidget *const FWindow;
    QAction *const FAction;
    const TShownView FShown;
    QString FMapFile;
    QString FSearchFolder;
    // The thread's result comes back through this object's place in the event loop: destroyed, its
    // queued call goes with it.
    std::unique_ptr<QObject> FContext;
    std::thread FThread;
    std::unique_ptr<TReadProgress> FProgress = std::make_unique<TReadProgress>();
    std::atomic<bool> FWriting{false};
    QString FTarget;
    // Written by the thread, read once it has been joined.
    bool FWritten = false;
    QString FError;
};
