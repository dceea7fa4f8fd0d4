#pragma once
// The main window: the header band with the MAP file and search folder fields and the Go button, the
// unit grid, and the status bar with the selection summary. The analysis itself is the engine's.

#include "analysis/MapAnalysis.h"
#include "app/BaselineComparison.h"
#include "app/FilterField.h"
#include "app/ProjectFolders.h"
#include "app/RunFocus.h"
#include "app/ViewExport.h"
#include "base/UShellUtils.h"
#include "controls/CITVClassic.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class TBaselineColumns;
class TDirectoryEdit;
class TFileComboEdit;
class TFormStorage;
class TRecentFilesButton;
class TGradient;
class TMapFileWatcher;
class TICCClock;
class TMapAnalysis;
class TMapAnalysisThread;
class TRetainedSizeColumn;
class TRunProgressPanel;
class TScanFilesAbort;
struct TMapAnalysisResult;
class TTimer97;
class TTreemapView;
class TUnitUsesPanel;
class TWholeFileView;
class QStackedWidget;

class TQuillonMain : public QWidget
{
    Q_OBJECT

public:
    static const QString PublisherText;
    static const QString HelpPageAddress;

    // The command line decides the MAP file preselected at the first show.
    explicit TQuillonMain(const QStringList &arguments, QWidget *parent = nullptr);
    ~TQuillonMain() override;

    // The scan dialog is created after the window; the window shows and drives it during a scan.
    void SetScanFilesAbort(TScanFilesAbort *dialog) { FScanFilesAbort = dialog; }
    // The time source of the scan's refresh throttle.
    void SetClock(std::shared_ptr<TICCClock> clock);
    // How F1 reaches the desktop.
    void SetShellExecutor(TShellExecutor executor) { FShellExecutor = std::move(executor); }
    // How "Compare with..." asks for the baseline's MAP file (an open-file dialog; empty: cancelled).
    void SetBaselineChooser(std::function<QString()> chooser) { FBaselineChooser = std::move(chooser); }

    // Compares the grid with the build of the MAP file: the columns "Old size" and "Change", the
    // units only the baseline has as rows of size 0. Values follow every successful run. The file
    // is read as a run's MAP file is, off the window's thread; asked for during a run, it is read
    // when the run ends. False, after a message, when the file is missing; a file that cannot be
    // analysed is reported when read (a shown baseline then stays).
    bool SetBaseline(const QString &mapFileName);
    // Takes the columns and every row only the baseline has out of the grid.
    void ClearBaseline();
    // None without a baseline.
    const TBaselineColumns *Baseline() const { return FComparison->Columns(); }
    // Names the baseline while there is one: "compared with reg01.map, 2026-12-09 14:02".
    QLabel *BaselinePanel() const { return FBaselinePanel; }
    QAction *BaselineNameAction() const { return FBaselineNameAction; }

    TITreeView *VGUnits() const { return FVGUnits; }
    TWholeFileView *WholeFileView() const { return FWholeFile; }
    // The treemap of the units beside the grid, in a splitter with it; shown while CBTreemap is
    // checked (Ctrl+M). Both, and the treemap's width, are kept in the settings.
    TTreemapView *TMUnits() const { return FTMUnits; }
    QSplitter *SPUnits() const { return FSPUnits; }
    QCheckBox *CBTreemap() const { return FCBTreemap; }
    // Why the selected unit is linked, in the splitter after the treemap; shown while CBUnitUses is
    // checked (Ctrl+U).
    TUnitUsesPanel *UnitUses() const { return FUnitUses; }
    QCheckBox *CBUnitUses() const { return FCBUnitUses; }
    TGradient *Gradient1() const { return FGradient1; }
    QPushButton *BBGo() const { return FBBGo; }
    // Checked: unit rows open to the symbols whose name begins with the unit's name; unchecked
    // (the default): to the symbols in the unit's code. Stored with the fields.
    QCheckBox *CBGroupByName() const { return FCBGroupByName; }
    // The "Compare with..." button; its menu chooses or clears the baseline.
    QPushButton *BBCompare() const { return FBBCompare; }
    QAction *CompareWithAction() const { return FCompareWithAction; }
    QAction *ClearBaselineAction() const { return FClearBaselineAction; }
    // Checked: a change of the analysed MAP file on disk is analysed at once; unchecked (the
    // default): the window asks first. Stored with the fields.
    QCheckBox *CBAutoReload() const { return FCBAutoReload; }
    TMapFileWatcher *MapFileWatcher() const { return FMapFileWatcher; }
    TDirectoryEdit *DEFilePath() const { return FDEFilePath; }
    TFileComboEdit *FEMapFile() const { return FFEMapFile; }
    // The MAP files analysed last, newest first, kept in the settings.
    TRecentFilesButton *BBRecent() const { return FBBRecent; }
    TFormStorage *FormStorage() const { return FFormStorage; }
    TTimer97 *TIAbort() const { return FTIAbort; }
    // Half a second into the reading of the MAP file it shows the progress panel, then refreshes it.
    TTimer97 *TIRunProgress() const { return FTIRunProgress; }
    TRunProgressPanel *RunProgress() const { return FRunProgress; }
    // Reads the MAP file of a run off the window's thread.
    TMapAnalysisThread *AnalysisThread() const { return FAnalysisThread.get(); }
    // From Go until the grid shows the run's result (or the run ends without one); the interface is
    // locked meanwhile.
    bool RunActive() const { return FRunActive; }
    QLabel *StatusPanel(int index) const { return FStatusPanels[index]; }
    // The filter of the grid (Ctrl+F, Esc clears it): while it holds text the grid shows only the
    // rows whose names contain it, ignoring case, applied FilterDelayMs after the last key.
    QLineEdit *EDFilter() const { return FFilterField->Edit(); }
    TViewExport &ViewExport() const { return *FViewExport; }
    static constexpr int FilterDelayMs = TFilterField::FilterDelayMs;
    // The count of matching rows and the size of the units whose names match; shown only while
    // the grid is filtered.
    QLabel *FilterPanel() const { return FFilterPanel; }
    const TMapAnalysis &Analysis() const { return *FAnalysis; }

    // Published handlers.
    // Starts a run and returns: the MAP file is read off the window's thread, and the grid changes
    // once when it is done. Nothing happens during a run.
    void BBGoClick();
    void CBGroupByNameClick();
    void CBTreemapClick();
    // A click in the treemap selects the node's row, opening the rows above it, and scrolls to it.
    void TMUnitsNodeClick(TTreemapView *Sender, TITreeNode *Node);
    void CreateUnitUsesPanel();
    void FormShow();
    bool FormHelp();
    void FormResize();
    void VGUnitsExpanding(TTreeGridModel *Sender, TITreeNode *Node, bool &Allow);
    void VGUnitsSelectionChanged(TInteractiveTreeView *Sender);
    void VGUnitsColumn1DrawNodeContent(TITreeView *Sender, QPainter &aCanvas, const QRect &cellRect,
                                       TITreeNode *node, int columnIndex, TITreeViewNodeStates nodeStates);
    void VGUnitsColumn2DrawNodeContent(TITreeView *Sender, QPainter &aCanvas, const QRect &cellRect,
                                       TITreeNode *node, int columnIndex, TITreeViewNodeStates nodeStates);
    void TIAbortTimer(TTimer97 *Sender);
    // Filters the grid by the filter field's text at once (an empty text ends the filter).
    void ApplyFilter() { FFilterField->Apply(); }
    void TIRunProgressTimer(TTimer97 *Sender);
    // A MAP file, or a project or executable beside its MAP file, as dropped or chosen from the
    // recent files: it becomes the MAP field and the analysis runs. Nothing happens during a run.
    void OpenMapFile(const QString &named);
    // The watcher's report that the analysed MAP file was rewritten: reloads it, or asks first.
    void MapFileChanged(const QString &fileName);
    // Analyses the file again, keeping the sort, the opened rows that still exist, the selection and
    // the first row shown.
    void ReloadMapFile(const QString &fileName);
    // The compiled unit scan's progress callback: pumps events at most every 50 ms.
    void ScanFilesProgress(const QString &folder, bool &abort);

protected:
    void showEvent(QShowEvent *event) override;
    // Cancels a run: the window closes at once, and its thread ends at the reader's next report.
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreateStatusBar();
    void CreateGrid();
    void CreateTreemap();
    void CreateWholeFileView();
    void ShowWholeFile();
    // The executable chosen for the analysed MAP file read again for the whole-file view, the
    // Why-linked panel and the retained sizes; Announce: its problem goes to the status bar even
    // when the whole file is not shown.
    void LoadExecutable(bool Announce);
    // The grid the window shows: the units or the whole file.
    TITreeView *ShownGrid() const;
    void ApplyTreemapWidth();
    // The stored width of the treemap pane (0 until it was first shown).
    QVariant &TreemapWidth();
    void CreateHeaderBand();
    void CreateAnalysis();
    void LayoutComponents();
    void ShowAnalysisMessage(const QString &message);
    // The preparation's messages, once the reading has started (or the run has ended).
    void ShowPreparedMessages();
    // A MAP file about to be opened brings its project's search folder; a comparison with a build
    // of another project ends: the note that says so is returned.
    QString TakeProjectOf(const QString &mapFile);
    // A run: locks the interface, prepares on this thread (project file, scan), reads on another;
    // AfterRun follows a run whose result reached the grid.
    void StartRun(std::function<void()> afterRun);
    // False during a run; else locks the interface for one.
    bool BeginRun();
    // The prepared input read on the analysis thread; apply gets its result unless cancelled.
    void StartReading(TMapAnalysis::TRunInput input, std::function<void(TMapAnalysisResult)> apply);
    // The progress panel shown half a second into the reading of the MAP file.
    void ArmRunProgress(const QString &mapFileName);
    void ApplyRun(TMapAnalysisResult result);
    void LockInterface(bool locked);
    void AnalysisFinished(TMapAnalysisResult result);
    void EndRun(bool applied);
    void PlaceRunProgress();
    // A note in the status bar's first panel: no dialog, no answer needed.
    void ShowStatusNote(const QString &note);
    void ClearStatusNote();
    bool StatusNoteShown() const;
    void ShowNoMapFileFound(const QString &named, const QStringList &candidates);
    // The texts the painters draw, which copies take too.
    QString SizeCellText(const TITreeNode *node, int columnIndex) const;
    QString PercentCellText(const TITreeNode *node) const;
    void CreateCompareButton();
    // Runs a change that replaces rows (a regrouping, a baseline) on the unfiltered grid.
    void WithoutFilter(const std::function<void()> &change) { FFilterField->WithoutFilter(change); }
    void CompareWithClick();
    void BaselineChanged();
    // A symbol row's tooltip: the address of its symbol, which tells overloads of one name apart.
    QString SymbolHint(const TITreeNode *node) const;

    QStringList FArguments;
    TFormStorage *FFormStorage = nullptr;
    QWidget *FStatusBar = nullptr;
    QLabel *FStatusPanels[2] = {};
    TITreeView *FVGUnits = nullptr;
    TWholeFileView *FWholeFile = nullptr;
    QStackedWidget *FSKGrids = nullptr;
    QSplitter *FSPUnits = nullptr;
    TTreemapView *FTMUnits = nullptr;
    TUnitUsesPanel *FUnitUses = nullptr;
    std::unique_ptr<TRetainedSizeColumn> FRetainedSize;
    QCheckBox *FCBUnitUses = nullptr;
    QCheckBox *FCBTreemap = nullptr;
    size_t FTreemapWidthIndex = 0;
    TGradient *FGradient1 = nullptr;
    int FFieldsLeft = 0; // the header band's fields and checkboxes begin there, right of the labels
    QPushButton *FBBGo = nullptr;
    QCheckBox *FCBGroupByName = nullptr;
    QPushButton *FBBCompare = nullptr;
    QAction *FCompareWithAction = nullptr;
    QAction *FClearBaselineAction = nullptr;
    QCheckBox *FCBAutoReload = nullptr;
    TMapFileWatcher *FMapFileWatcher = nullptr;
    bool FAskingToReload = false;
    TDirectoryEdit *FDEFilePath = nullptr;
    TFileComboEdit *FFEMapFile = nullptr;
    TRecentFilesButton *FBBRecent = nullptr;
    std::unique_ptr<TFilterField> FFilterField;
    QLabel *FFilterPanel = nullptr;
    TTimer97 *FTIAbort = nullptr;
    TScanFilesAbort *FScanFilesAbort = nullptr;
    std::unique_ptr<TMapAnalysis> FAnalysis;
    std::unique_ptr<TMapAnalysisThread> FAnalysisThread;
    TRunProgressPanel *FRunProgress = nullptr;
    TTimer97 *FTIRunProgress = nullptr;
    bool FRunActive = false;
    // A reload: the missing project file is noted in the status bar rather than asked about.
    bool FQuietRun = false;
    bool FPreparing = false;
    QStringList FPreparedMessages;
    bool FShowingPreparedMessages = false;
    // The reading's result that came while the preparation's messages were open.
    std::optional<TMapAnalysisResult> FHeldResult;
    QString FRunSearchFolder;
    TProjectFolders FProjectFolders{QStringLiteral("RecentSearchFolders")};
    TRunFocus FRunFocus;
    bool FClosing = false;
    std::function<void()> FAfterRun;
    // The grid holds the rows of a successful run (not of a failed one, nor none).
    bool FRunSucceeded = false;
    std::unique_ptr<TBaselineComparison> FComparison;
    std::unique_ptr<TViewExport> FViewExport;
    QString FPendingBaseline;
    QAction *FBaselineNameAction = nullptr;
    QLabel *FBaselinePanel = nullptr;
    std::function<void(TMapAnalysisResult)> FApplyRead;
    std::function<QString()> FBaselineChooser;
    std::shared_ptr<TICCClock> FClock;
    qint64 FNextScanRefresh = 0;
    bool FShowHandled = false;
    TShellExecutor FShellExecutor = ExecuteShellRequest;
};
