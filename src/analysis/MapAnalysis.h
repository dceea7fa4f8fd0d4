#pragma once
// One analysis of a Delphi project from its detailed MAP file, without any widget: the unit rows of
// a tree-grid model with their sizes and column strings, the address-ordered symbol table with
// sizes, and the lazy expansion of a unit row into its symbol tree. A run has three parts: Prepare
// (the project file and the compiled unit scan, which may ask the user), Read (the MAP file, on any
// thread, into a TMapAnalysisResult) and Apply (that result into the grid in one step). The
// command-line tool calls Run, which does the three in a row; the main window reads on a thread of
// its own.

#include "analysis/CompareDataList.h"
#include "analysis/MapAnalysisResult.h"
#include "analysis/ReadProgress.h"
#include "analysis/SymbolGrouping.h"
#include "analysis/UnitSymbolIndex.h"
#include "base/UFileUtils.h"
#include "base/XLists.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

class TTreeGridModel;
class TITreeNode;

class TMapAnalysis
{
public:
    // Why the last run did not complete.
    using TFailure = TAnalysisFailure;
    using enum TAnalysisFailure;

    // What Prepare hands to Read: the MAP file and the side files found for it.
    struct TRunInput
    {
        QString MapFileName; // absolute, or the name of the stream
        // The text of a MAP file read from a stream (standard input, a pipe), read in its file's
        // place.
        std::optional<QByteArray> StreamText;
        TSymbolGrouping Grouping = TSymbolGrouping::ByAddress;
        std::unique_ptr<TXStringList> ProjectUnits = NewXStringList();
        std::unique_ptr<TXStringList> CompiledUnits = NewXStringList();
        // The project file or the scan failed: Read passes this on without reading.
        TAnalysisFailure Failure = afNone;
        QString ErrorMessage;
    };

    using TMessageEvent = std::function<void(TMapAnalysis *Sender, const QString &Message)>;
    using TNotifyEvent = std::function<void(TMapAnalysis *Sender)>;
    using TProjectFileMissingEvent =
        std::function<void(TMapAnalysis *Sender, const QString &ProjectFileName, const QString &MapFolder)>;

    // The grid receives the unit rows; it must outlive the engine.
    explicit TMapAnalysis(TTreeGridModel &Grid);

    // The unit grid's six columns: "Unit", "Compiled size", "%", "DFM size", "Ratio DCU size" and
    // "Retained size", which is hidden: its values come from the unit graph, built only for it.
    static void SetupUnitColumns(TTreeGridModel &Grid);
    static constexpr int RetainedSizeColumn = 5;
    // The order of a finished run: by compiled size, largest first.
    static void SortByDefaultColumn(TTreeGridModel &Grid);

    // False, after the message "MAP File "<path>" not available.", when no file is at the path.
    bool MapFileAvailable(const QString &MapFileName);
    // Why a search folder cannot be scanned ("... does not exist.", "... is not a folder."); empty
    // when it can. An empty folder names the current one.
    static QString SearchFolderProblem(const QString &SearchFolder);

    // Runs one analysis of the MAP file. SearchFolder is scanned for compiled unit files; without
    // one no scan happens. A relative MAP path is taken from the folder current when the run
    // begins (the project search changes the current folder). A search folder that cannot be scanned
    // is reported through OnMessage and the run goes on without the scan. Returns false when the
    // run failed:
    // the message went to OnMessage, the rows read so far stay with their percentages computed
    // over them, and the grid is not sorted.
    bool Run(const QString &MapFileName, const std::optional<QString> &SearchFolder);
    // Run on a MAP file read from a stream (standard input, a pipe), named StreamName in messages and
    // results. A stream has no folder: no project file is looked for.
    bool RunOnStream(const QString &StreamName, QByteArray Text, const std::optional<QString> &SearchFolder);

    // The first part of Run, on the grid's thread: the MAP file tested (none after its message
    // when it is missing), the project file read and the search folder scanned, with their
    // messages and scan events. A failure here is carried to Apply.
    std::optional<TRunInput> Prepare(const QString &MapFileName, const std::optional<QString> &SearchFolder);
    // The second part, on any thread: loads and reads the MAP file, finishes the symbol table.
    // Touches nothing of the engine; Progress, when given, hears how far the reading is and may
    // cancel it (the result is then only Cancelled).
    static TMapAnalysisResult Read(TRunInput Input, TReadProgress *Progress = nullptr);
    // The last part, on the grid's thread: replaces the grid's rows and the symbol table by the
    // result's, sorts a successful run, then reports the warning and the failure. A cancelled result
    // changes nothing. Returns false when the run failed or was cancelled.
    bool Apply(TMapAnalysisResult Result);

    // The grid's OnExpanding: replaces the "$" placeholder child of Node by its symbol rows and
    // re-applies the grid's sort. Expansion is never refused.
    void VGUnitsExpanding(TTreeGridModel *Sender, TITreeNode *Node, bool &Allow);
    // The replacement alone, without the sort; false when Node holds no placeholder (or, grouped
    // by address, is no unit row).
    bool AddSymbolRowsOf(TITreeNode *Node);
    // The address in the code segment of the symbol a symbol row stands for; none for other rows.
    std::optional<qint64> SymbolAddress(const TITreeNode *Row) const;

    TSymbolGrouping Grouping() const { return FGrouping; }
    // Takes effect without a new run: opened unit rows are rebuilt in the new grouping (and the
    // grid re-sorted), the others get their placeholder back and are built when opened.
    void SetGrouping(TSymbolGrouping Grouping);

    // Results of the last run.
    const TCompareDataList &Symbols() const { return FSymbols; }
    // Which unit owns a symbol by name (its longest unit-name prefix).
    const TUnitSymbolIndex &SymbolIndex() const { return FSymbolIndex; }
    struct TCodeRange
    {
        qint64 Start = 0;
        qint64 End = 0;
    };
    // The code [Start, End) of a unit row of the last run; none for any other row.
    std::optional<TCodeRange> UnitCodeRange(const TITreeNode *Unit) const;
    // Percent per byte: 100 / total code size, 0 without code.
    double PercentFactor() const { return FPercentFactor; }
    qint64 TotalCodeSize() const { return FTotals.TotalCodeSize; }
    qint32 MaxCodeSize() const { return FTotals.MaxCodeSize; }
    qint32 MaxDFMSize() const { return FTotals.MaxDFMSize; }
    // As read from the segment table: 0 when absent, -1 when not hexadecimal.
    qint64 CodeSegmentLength() const { return FTotals.CodeSegmentLength; }
    // True when symbols were found: unit rows can then be opened.
    bool ShowRoot() const { return FShowRoot; }
    // The segment table and every row of the detailed segment map of the last run.
    const TMapSegments &Segments() const { return FSegments; }
    // A form class in capitals to the unit that owns it, from the project's form files.
    const QHash<QString, QString> &FormOwners() const { return FFormOwners; }
    // The MAP file of the last run as an absolute path.
    const QString &MapFileName() const { return FMapFileName; }
    // Folders entered and compiled unit files found by the running scan, or by the last one.
    const TCollectFilesCounts &ScanCounts() const { return FScanCounts; }
    TFailure Failure() const { return FFailure; }
    const QString &ErrorMessage() const { return FErrorMessage; }
    // The warning of a MAP file that lacks its end or part of its units (a build that failed, a copy
    // cut short); empty when the file is whole. Reported through OnWarning too.
    const QString &IncompleteWarning() const { return FIncompleteWarning; }

    // Messages for the user: a missing MAP or project file, an unusable search folder, the error that
    // ended a run.
    TMessageEvent OnMessage;
    // Called instead of OnMessage when no project file was found above the MAP file's folder.
    TProjectFileMissingEvent OnProjectFileMissing;
    // Notes that need no answer: several compiled unit files of one unit below the search folder,
    // a MAP file that looks incomplete (always the last, so that a status bar keeps it).
    TMessageEvent OnWarning;
    // Around the compiled unit scan (the window arms and disarms its progress dialog there).
    TNotifyEvent OnScanStarting;
    TNotifyEvent OnScanFinished;
    // Called once per folder of the scan; setting Abort stops the descent.
    TCollectFilesProgressEvent OnScanProgress;

    // The unit rows' column strings and their Tag, Data: see the grid columns above.
    static QString RatioText(qint64 DcuSize, qint32 CodeSize);

protected:
    virtual void DoMessage(const QString &Message);

private:
    struct TUnitRun;
    void ScanCompiledUnits(const std::optional<QString> &SearchFolder, TRunInput &Input);
    static void ReadMapFile(TRunInput &Input, TReadProgress *Progress, TMapAnalysisResult &Result);
    static void ReadUnitRows(TUnitRun &Run, TMapAnalysisResult &Result);
    static QString AmbiguousCompiledUnitsWarning(const TUnitRun &Run);
    static QString IncompleteMapWarning(const TUnitRun &Run, const TMapAnalysisResult &Result);
    void ScanAndReadProject(const std::optional<QString> &SearchFolder, bool ReadProject, TRunInput &Input);
    static void ReadSymbols(TUnitRun &Run, TMapAnalysisResult &Result);
    void AddUnitRows(const std::vector<TUnitRowData> &Units);
    void Fail(TFailure Failure, const QString &Message);

    TTreeGridModel &FGrid;
    TCompareDataList FSymbols;
    TUnitSymbolIndex FSymbolIndex;
    TSymbolGrouping FGrouping = TSymbolGrouping::ByAddress;
    // The code range of each unit row of the last run.
    std::unordered_map<const TITreeNode *, TCodeRange> FUnitRanges;
    double FPercentFactor = 0;
    TAnalysisTotals FTotals;
    TMapSegments FSegments;
    QHash<QString, QString> FFormOwners;
    bool FShowRoot = false;
    QString FMapFileName;
    TCollectFilesCounts FScanCounts;
    TFailure FFailure = afNone;
    QString FErrorMessage;
    QString FIncompleteWarning;
};
