#include "app/FMain.h"

#include "analysis/BaselineColumns.h"
#include "analysis/MapAnalysis.h"
#include "analysis/MapAnalysisThread.h"
#include "analysis/MapFileSearch.h"
#include "analysis/ProjectFiles.h"
#include "app/DraggedFile.h"
#include "app/FScanFilesAbort.h"
#include "app/FilterField.h"
#include "app/GridState.h"
#include "app/MapFileWatcher.h"
#include "app/ProjectFolders.h"
#include "app/RetainedSizeColumn.h"
#include "app/RunProgressPanel.h"
#include "app/UnitColumnPainting.h"
#include "app/UnitSelectionSummary.h"
#include "app/UnitUsesPanel.h"
#include "app/WholeFileView.h"
#include "app/WindowFit.h"
#include "base/FreedMemory.h"
#include "base/UFileUtils.h"
#include "base/UFormat.h"
#include "base/UVersionInfo.h"
#include "base/XLists.h"
#include "controls/CDirectoryEdit.h"
#include "controls/CFileComboEdit.h"
#include "controls/CGradient.h"
#include "controls/CRecentFilesButton.h"
#include "controls/CTreemapView.h"
#include "controls/ICCClock.h"
#include "controls/UFormStorage.h"
#include "controls/UStdMessageDlg.h"
#include "controls/UTimer97.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>

const QString TQuillonMain::PublisherText = QStringLiteral("Brackwell");
const QString TQuillonMain::HelpPageAddress = QStringLiteral("https://brackwell.example/quillon/help");

namespace {

constexpr int HeaderBandHeight = 84;
constexpr int StatusBarHeight = 19;
// Right-anchored controls keep their distance to the band's right edge as designed at 664 pixels.
constexpr int DesignedWidth = 664;
constexpr int CompareButtonWidth = 124;
constexpr int DesignedFieldsLeft = 96;
constexpr int MinTreemapWidth = 80;
constexpr int MaxTreemapWidth = 8192;

QFont SegoeUI()
{
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(12);
    return font;
}

QLabel *BandLabel(QWidget *band, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *label = new QLabel(caption, band);
    label->setObjectName(name);
    // Labels size themselves to their caption, whatever font stands in for the designed one.
    label->move(geometry.topLeft());
    label->setMinimumSize(geometry.size());
    label->adjustSize();
    return label;
}

int ShownWidth(const QLabel *panel)
{
    return panel->isHidden() ? 0 : panel->sizeHint().width() + 2;
}

} // namespace

TQuillonMain::TQuillonMain(const QStringList &arguments, QWidget *parent)
    : QWidget(parent), FArguments(arguments), FClock(SystemClock())
{
    setObjectName(QStringLiteral("QuillonMain"));
    setWindowTitle(QStringLiteral("Quillon"));
    setFont(SegoeUI());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // The designed outer minimum of 680 x 200 less the designed frame.
    setMinimumSize(664, 161);
    move(496, 130);
    resize(DesignedWidth, 579);

    // Made first, so that it saves while the controls it reads still exist.
    FFormStorage = new TFormStorage(this);
    FFormStorage->setObjectName(QStringLiteral("FormStorage"));
    FFormStorage->SetUseRegistry(true);
    FFormStorage->SetIniSection(QStringLiteral("\\Software\\Brackwell\\Quillon"));
    FFormStorage->SetOptions(fpPosition);
    FFormStorage->SetStoredProps({QStringLiteral("DEFilePath.Text"), QStringLiteral("FEMapFile.Text"),
                                  QStringLiteral("CBGroupByName.Checked"),
                                  QStringLiteral("CBAutoReload.Checked"), QStringLiteral("CBTreemap.Checked"),
                                  QStringLiteral("CBUnitUses.Checked"),
                                  QStringLiteral("CBWholeFile.Checked")});
    // Earlier versions wrote the values into a group named after this class, below the program's key.
    FFormStorage->AdoptSubSection(QStringLiteral("TQuillonMain"));

    CreateStatusBar();
    CreateGrid();
    CreateHeaderBand();
    CreateTreemap();
    CreateUnitUsesPanel();

    FTIAbort = new TTimer97(this);
    FTIAbort->setObjectName(QStringLiteral("TIAbort"));
    FTIAbort->SetEnabled(false);
    FTIAbort->SetInterval(500);
    FTIAbort->OnTimer = [this](TTimer97 *sender) { TIAbortTimer(sender); };

    FTIRunProgress = new TTimer97(this);
    FTIRunProgress->setObjectName(QStringLiteral("TIRunProgress"));
    FTIRunProgress->SetEnabled(false);
    FTIRunProgress->OnTimer = [this](TTimer97 *sender) { TIRunProgressTimer(sender); };
    FRunProgress = new TRunProgressPanel(this);
    FRunProgress->hide();

    CreateAnalysis();
    FFilterField = std::make_unique<TFilterField>(*FVGUnits, *FAnalysis, FGradient1, FFilterPanel, this);
    FFilterField->OnSummaryChanged = [this] {
        // The map fades what the filter hides.
        FTMUnits->RequestRepaint();
        FormResize();
    };
    FComparison = std::make_unique<TBaselineComparison>(*FVGUnits, *FAnalysis);
    FViewExport = std::make_unique<TViewExport>(this, [this] {
        // The export writes the whole file of the executable the window reads, as --exe names it.
        return TViewExport::TView{{}, {}, FAnalysis->Grouping(), FFilterField->Text(),
                                  TExecutableSelector::ChoiceText(FWholeFile->Executable().Choice())};
    });
    FViewExport->OnNote = [this](const QString &note) { ShowStatusNote(note); };
    FViewExport->OnStarted = [this](const QString &mapFile) {
        // Locked as for a run: a run would change the folder the export's run reads from.
        BeginRun();
        ArmRunProgress(mapFile);
    };
    FViewExport->OnEnded = [this] {
        FTIRunProgress->SetEnabled(false);
        FRunProgress->hide();
        EndRun(false);
    };
    FViewExport->OnFailed = [](const QString &message) { ShowErrorMessage(QStringLiteral("!") + message); };
    FVGUnits->RowsMenu()->addSeparator();
    FVGUnits->RowsMenu()->addAction(FViewExport->Action());
    FVGUnits->RowsMenu()->addMenu(FWholeFile->Executable().Menu());
    SetClock(FClock);
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { FormHelp(); });
    setTabOrder(FVGUnits, FBBGo);
    setTabOrder(FBBGo, FBBCompare);
    setTabOrder(FBBCompare, FDEFilePath);
    setTabOrder(FDEFilePath, FFEMapFile);
    setTabOrder(FFEMapFile, FBBRecent);
    setTabOrder(FBBRecent, FCBGroupByName);
    setTabOrder(FCBGroupByName, FCBAutoReload);
    setTabOrder(FCBAutoReload, FCBTreemap);
    setTabOrder(FCBTreemap, FTMUnits);
    setTabOrder(FTMUnits, FCBUnitUses);
    setTabOrder(FCBUnitUses, FUnitUses->Rows());
    setTabOrder(FUnitUses->Rows(), EDFilter());
    setTabOrder(EDFilter(), FWholeFile->Switch());
    setTabOrder(FWholeFile->Switch(), FWholeFile->ExecutableButton());
    setAcceptDrops(true);

    // FormCreate
    FVGUnits->SetMultiSelect(true);
    setWindowTitle(windowTitle() + QStringLiteral(" v") + ApplicationVersion() + QStringLiteral(" - ") +
                   PublisherText);
    LayoutComponents();
}

TQuillonMain::~TQuillonMain()
{
    // FormDestroy: the symbols go with the engine, before the grid they refer to.
    FVGUnits->OnSelectionChanged = nullptr;
    FVGUnits->OnExpanding = nullptr;
    FTMUnits->SetModel(nullptr);
    FAnalysisThread.reset();
    // Gone during a run: the run's wait cursor, the whole application's, goes with the window.
    if (FRunActive)
        QApplication::restoreOverrideCursor();
    FComparison.reset();
    FFilterField.reset();
    FAnalysis.reset();
}

void TQuillonMain::CreateStatusBar()
{
    FStatusBar = new QWidget(this);
    FStatusBar->setObjectName(QStringLiteral("StatusBar"));
    auto *layout = new QHBoxLayout(FStatusBar);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    for (QLabel *&panel : FStatusPanels) {
        panel = new QLabel(FStatusBar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
    }
    // The last panel reaches the right end, as status bars do; its designed width is its minimum.
    FStatusPanels[0]->setFixedWidth(350);
    FStatusPanels[1]->setMinimumWidth(50);
    FFilterPanel = new QLabel(FStatusBar);
    FFilterPanel->setObjectName(QStringLiteral("FilterPanel"));
    FFilterPanel->setFrameShape(QFrame::Panel);
    FFilterPanel->setFrameShadow(QFrame::Sunken);
    FFilterPanel->hide();
    FBaselinePanel = new QLabel(FStatusBar);
    FBaselinePanel->setObjectName(QStringLiteral("BaselinePanel"));
    FBaselinePanel->setFrameShape(QFrame::Panel);
    FBaselinePanel->setFrameShadow(QFrame::Sunken);
    FBaselinePanel->hide();
    layout->addWidget(FStatusPanels[0]);
    layout->addWidget(FFilterPanel);
    layout->addWidget(FBaselinePanel);
    layout->addWidget(FStatusPanels[1], 1);
    FStatusPanels[1]->setText(PublisherText);
}

void TQuillonMain::CreateGrid()
{
    FVGUnits = new TITreeView(this);
    FVGUnits->setObjectName(QStringLiteral("VGUnits"));
    FVGUnits->SetHeaderHeight(21);
    FVGUnits->SetHeaderParentFont(false);
    FVGUnits->SetHeaderFont(SegoeUI());
    FVGUnits->SetRowHeight(20);
    FVGUnits->SetRowSelect(true);
    FVGUnits->SetGridLines(true);
    FVGUnits->SetGridColumns(true);
    FVGUnits->OnSelectionChanged = [this](TInteractiveTreeView *sender) { VGUnitsSelectionChanged(sender); };
    FVGUnits->OnExpanding = [this](TTreeGridModel *sender, TITreeNode *node, bool &allow) {
        VGUnitsExpanding(sender, node, allow);
    };

    TMapAnalysis::SetupUnitColumns(*FVGUnits);
    const auto sizePainter = [this](TITreeView *sender, QPainter &canvas, const QRect &cell, TITreeNode *node,
                                    int column, TITreeViewNodeStates states) {
        VGUnitsColumn1DrawNodeContent(sender, canvas, cell, node, column, states);
    };
    FVGUnits->Column(1)->OnDrawNodeContent = sizePainter;
    FVGUnits->Column(3)->OnDrawNodeContent = sizePainter;
    FVGUnits->Column(2)->OnDrawNodeContent = [this](TITreeView *sender, QPainter &canvas, const QRect &cell,
                                                    TITreeNode *node, int column,
                                                    TITreeViewNodeStates states) {
        VGUnitsColumn2DrawNodeContent(sender, canvas, cell, node, column, states);
    };
    // Copies take the numbers the painters show.
    const auto sizeText = [this](TITreeView *, TITreeNode *node, int column) {
        return SizeCellText(node, column);
    };
    FVGUnits->Column(1)->OnGetNodeContentText = sizeText;
    FVGUnits->Column(3)->OnGetNodeContentText = sizeText;
    FVGUnits->Column(2)->OnGetNodeContentText = [this](TITreeView *, TITreeNode *node, int) {
        return PercentCellText(node);
    };
    FVGUnits->OnGetNodeHint = [this](TInteractiveTreeView *, TITreeNode *node) { return SymbolHint(node); };
    // The rows a filter built only to test them go again; opening the unit builds them anew.
    FVGUnits->Filter().OnReleaseRows = [](const TITreeNodeList &units) {
        // Every unit's rows go before the first placeholder comes: made one after the other, the
        // placeholders lie together, where each made at once would keep a page of its unit's freed
        // rows from going back to the system.
        for (TITreeNode *unit : units)
            if (!TBaselineColumns::OnlyInBaseline(unit))
                unit->DeleteChildren();
        for (TITreeNode *unit : units)
            if (!TBaselineColumns::OnlyInBaseline(unit))
                unit->AddChild(QStringLiteral("$"));
    };
}

void TQuillonMain::CreateTreemap()
{
    FSPUnits = new QSplitter(Qt::Horizontal, this);
    FSPUnits->setObjectName(QStringLiteral("SPUnits"));
    FSPUnits->setChildrenCollapsible(false);
    CreateWholeFileView();
    FTMUnits = new TTreemapView(FSPUnits);
    FTMUnits->setObjectName(QStringLiteral("TMUnits"));
    FTMUnits->setMinimumWidth(MinTreemapWidth);
    FTMUnits->setToolTip(QStringLiteral("Click a cell to select its row and look inside; right click, "
                                        "Backspace or Esc to go back out"));
    FTMUnits->SetModel(ShownGrid());
    FTMUnits->OnNodeClick = [this](TTreemapView *sender, TITreeNode *node) {
        TMUnitsNodeClick(sender, node);
    };
    FTMUnits->hide();
    FSPUnits->addWidget(FTMUnits);
    // A wider window widens the grid; the treemap keeps its width.
    FSPUnits->setStretchFactor(0, 1);
    FSPUnits->setStretchFactor(1, 0);

    FCBTreemap = new QCheckBox(QStringLiteral("Tree&map"), FGradient1);
    FCBTreemap->setObjectName(QStringLiteral("CBTreemap"));
    FCBTreemap->setToolTip(QStringLiteral("Shows a map of the units beside the grid, each as large as its "
                                          "code (Ctrl+M)"));
    FCBTreemap->adjustSize();
    connect(FCBTreemap, &QCheckBox::toggled, this, [this] { CBTreemapClick(); });
    auto *toggle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(toggle, &QShortcut::activated, FCBTreemap, &QCheckBox::toggle);

    // The value holds the width a hidden pane comes back with. The storage may save after this
    // class is gone (a window destroyed unclosed): saving reads the pane alone.
    FTreemapWidthIndex = FFormStorage->StoredValues().size();
    FFormStorage->StoredValues().push_back({QStringLiteral("SPUnits_TreemapWidth"), 0,
                                            [map = FTMUnits](TStoredValue &value) {
                                                if (!map->isHidden() && map->width() > 0)
                                                    value.Value = map->width();
                                            },
                                            [this](TStoredValue &) { ApplyTreemapWidth(); }});
}

void TQuillonMain::CreateWholeFileView()
{
    FSKGrids = new QStackedWidget(FSPUnits);
    FSKGrids->setObjectName(QStringLiteral("SKGrids"));
    FSKGrids->addWidget(FVGUnits);
    // The switch ends the folder field's row: the row of check boxes below is full.
    FWholeFile = new TWholeFileView(FSKGrids, FGradient1);
    FSKGrids->addWidget(FWholeFile->Page());
    FSPUnits->addWidget(FSKGrids);
    FWholeFile->OnToggled = [this](TWholeFileView *) { ShowWholeFile(); };
    FWholeFile->Executable().OnChanged = [this](TExecutableSelector *) { LoadExecutable(true); };
    FWholeFile->Grid()->OnSelectionChanged = [this](TInteractiveTreeView *) {
        FStatusPanels[0]->setToolTip(QString());
        FStatusPanels[0]->setText(FWholeFile->SelectionSummary());
        FTMUnits->SetHighlightedNode(FWholeFile->Grid()->SelectedNode());
    };
}

TITreeView *TQuillonMain::ShownGrid() const
{
    return FWholeFile->Shown() ? FWholeFile->Grid() : FVGUnits;
}

void TQuillonMain::ShowWholeFile()
{
    TITreeView *const grid = ShownGrid();
    FSKGrids->setCurrentWidget(grid == FVGUnits ? static_cast<QWidget *>(FVGUnits) : FWholeFile->Page());
    FTMUnits->SetModel(grid);
    if (grid == FVGUnits) {
        FTMUnits->SetNaming(QStringLiteral("All units"), QStringLiteral("the code"));
        VGUnitsSelectionChanged(FVGUnits);
    } else {
        FTMUnits->SetNaming(QStringLiteral("Whole file"), QStringLiteral("the file"));
        FWholeFile->Grid()->OnSelectionChanged(FWholeFile->Grid());
    }
    if (FSKGrids->isVisible())
        grid->setFocus();
}

QVariant &TQuillonMain::TreemapWidth()
{
    return FFormStorage->StoredValues()[FTreemapWidthIndex].Value;
}

void TQuillonMain::CBTreemapClick()
{
    const bool show = FCBTreemap->isChecked();
    if (show == !FTMUnits->isHidden())
        return;
    if (!show)
        TreemapWidth() = FTMUnits->width();
    FTMUnits->setVisible(show);
    if (show) {
        ApplyTreemapWidth();
        FTMUnits->SetHighlightedNode(FVGUnits->SelectedNode());
    }
}

void TQuillonMain::ApplyTreemapWidth()
{
    const int total = FSPUnits->width() - FSPUnits->handleWidth();
    // None yet, or a stored one that is no number: two fifths of the room. One wider than any screen
    // is narrowed.
    int width = TreemapWidth().toInt();
    if (width <= 0)
        width = total * 2 / 5;
    width = std::clamp(width, MinTreemapWidth, MaxTreemapWidth);
    TreemapWidth() = width;
    if (!FTMUnits->isHidden())
        FSPUnits->setSizes({std::max(0, total - width), width});
}

void TQuillonMain::TMUnitsNodeClick(TTreemapView *, TITreeNode *Node)
{
    QList<TITreeNode *> above;
    for (TITreeNode *parent = Node->Parent(); parent; parent = parent->Parent())
        above.prepend(parent);
    for (TITreeNode *parent : above)
        parent->SetExpanded(true);
    ShownGrid()->SetSelectedNode(Node);
    ShownGrid()->ScrollIntoView(Node);
}

void TQuillonMain::CreateUnitUsesPanel()
{
    FUnitUses = new TUnitUsesPanel(FSPUnits);
    FUnitUses->setMinimumWidth(MinTreemapWidth);
    FSPUnits->addWidget(FUnitUses);
    FSPUnits->setStretchFactor(2, 0);
    FCBUnitUses = FUnitUses->CreateToggle(FGradient1, this);
    connect(FCBUnitUses, &QCheckBox::toggled, this,
            [this] { FUnitUses->ShowNode(FVGUnits->SelectedNode()); });
    FRetainedSize = std::make_unique<TRetainedSizeColumn>(*FVGUnits, [this] { return FUnitUses->Graph(); });
    FUnitUses->OnUnitClick = [this](TUnitUsesPanel *, const QString &name) {
        for (TITreeNode *node = FVGUnits->Items().GetFirstNode(); node; node = node->NextSibling())
            if (node->Text().compare(name, Qt::CaseInsensitive) == 0)
                return TMUnitsNodeClick(FTMUnits, node);
    };
}

void TQuillonMain::CreateHeaderBand()
{
    FGradient1 = new TGradient(this);
    FGradient1->setObjectName(QStringLiteral("Gradient1"));
    FGradient1->SetColorBegin(15133416);
    FGradient1->SetColorEnd(10930928);
    FGradient1->SetBorderMargin(0);
    FGradient1->SetCaptionLayout(TCustomGradient::tlCenter);
    FGradient1->SetBackgroundStyle(TCustomGradient::bsBrushedGradient);
    FGradient1->setFont(SegoeUI());
    FGradient1->SetFontColor(clBlack);

    const QLabel *mapLabel =
        BandLabel(FGradient1, QStringLiteral("LBMapFile"), QStringLiteral("MapFile"), QRect(8, 11, 42, 15));
    const QLabel *folderLabel = BandLabel(FGradient1, QStringLiteral("LBSearchFolder"),
                                          QStringLiteral("Search Files in"), QRect(8, 37, 74, 15));
    // A wider font than the designed one (a stand-in for Segoe UI) moves the fields right of the labels.
    constexpr int LabelGap = 6;
    FFieldsLeft =
        std::max(DesignedFieldsLeft,
                 std::max(mapLabel->geometry().right(), folderLabel->geometry().right()) + 1 + LabelGap);

    FBBGo = new QPushButton(QStringLiteral("Go"), FGradient1);
    FBBGo->setObjectName(QStringLiteral("BBGo"));
    connect(FBBGo, &QPushButton::clicked, this, [this] { BBGoClick(); });

    CreateCompareButton();

    FDEFilePath = new TDirectoryEdit(FGradient1);
    FDEFilePath->setObjectName(QStringLiteral("DEFilePath"));
    FDEFilePath->setText(TProjectFolders::DesignedSearchFolder);

    FFEMapFile = new TFileComboEdit(FGradient1);
    FFEMapFile->setObjectName(QStringLiteral("FEMapFile"));
    FFEMapFile->setFont(SegoeUI());

    FCBGroupByName = new QCheckBox(QStringLiteral("Group symbols by &name"), FGradient1);
    FCBGroupByName->setObjectName(QStringLiteral("CBGroupByName"));
    FCBGroupByName->setToolTip(
        QStringLiteral("Unchecked: a unit opens to the public symbols that lie in its code, with the code "
                       "before the first of them as \"[no public symbol]\"; they add up to its compiled "
                       "size.\nChecked: a unit opens to the symbols whose name begins with the unit's name, "
                       "as newer compilers write them; names written without their unit are not shown."));
    FCBGroupByName->adjustSize();
    connect(FCBGroupByName, &QCheckBox::toggled, this, [this] { CBGroupByNameClick(); });

    FCBAutoReload = new QCheckBox(QStringLiteral("Reload &automatically"), FGradient1);
    FCBAutoReload->setObjectName(QStringLiteral("CBAutoReload"));
    FCBAutoReload->setToolTip(
        QStringLiteral("When the analysed MAP file is written again (the next build), "
                       "checked: it is analysed again at once; unchecked: you are asked "
                       "first.\nSort, opened units and scroll position are kept."));
    FCBAutoReload->adjustSize();
    // A MAP file dropped on the field is opened as one dropped anywhere on the window.
    FFEMapFile->setAcceptDrops(false);
    FFEMapFile->setToolTip(QStringLiteral("The detailed MAP file the linker wrote (drop one on the window to "
                                          "analyse it)"));

    FBBRecent = new TRecentFilesButton(QStringLiteral("RecentMapFiles"), FGradient1);
    FBBRecent->setObjectName(QStringLiteral("BBRecent"));
    FBBRecent->setToolTip(QStringLiteral("Recently analysed MAP files"));
    FBBRecent->OnFileChosen = [this](const QString &file) { OpenMapFile(file); };
}

void TQuillonMain::CreateCompareButton()
{
    FBBCompare = new QPushButton(QStringLiteral("Compare with\u2026"), FGradient1);
    FBBCompare->setObjectName(QStringLiteral("BBCompare"));
    auto *menu = new QMenu(FBBCompare);
    FBaselineNameAction = menu->addAction(QString());
    FBaselineNameAction->setEnabled(false);
    FBaselineNameAction->setVisible(false);
    FCompareWithAction =
        menu->addAction(QStringLiteral("Compare with\u2026"), this, [this] { CompareWithClick(); });
    FClearBaselineAction =
        menu->addAction(QStringLiteral("Clear comparison"), this, [this] { ClearBaseline(); });
    FClearBaselineAction->setEnabled(false);
    FBBCompare->setMenu(menu);
    FBaselineChooser = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Compare with the build of a MAP file"),
                                            QFileInfo(FFEMapFile->FileName()).path(),
                                            QStringLiteral("MAP files (*.map);;All files (*)"));
    };
}

void TQuillonMain::CreateAnalysis()
{
    // Its own clock: the watch needs timers that the scan's refresh throttle does not.
    FMapFileWatcher = new TMapFileWatcher(SystemClock(), this);
    FMapFileWatcher->OnChanged = [this](const QString &fileName) { MapFileChanged(fileName); };
    FMapFileWatcher->OnUnfinished = [this](const QString &fileName, const QString &problem) {
        ShowStatusNote(
            Format(QStringLiteral("%s was written again but %s; press Go when the build has finished"),
                   {QFileInfo(fileName).fileName(), problem}));
    };
    FAnalysis = std::make_unique<TMapAnalysis>(*FVGUnits);
    FAnalysisThread = std::make_unique<TMapAnalysisThread>();
    FAnalysisThread->OnFinished = [this](TMapAnalysisResult result) { AnalysisFinished(std::move(result)); };
    FRunProgress->OnCancel = [this] {
        FAnalysisThread->Cancel();
        FViewExport->Cancel();
    };
    FAnalysis->OnMessage = [this](TMapAnalysis *, const QString &message) { ShowAnalysisMessage(message); };
    FAnalysis->OnProjectFileMissing = [this](TMapAnalysis *, const QString &projectFile, const QString &) {
        const QString message = ProjectFileMissingMessage(projectFile);
        // Ours: a reload that stopped at a dialog never reloaded by itself.
        if (FQuietRun)
            ShowStatusNote(QString(message).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
        else
            ShowAnalysisMessage(message);
    };
    FAnalysis->OnWarning = [this](TMapAnalysis *, const QString &message) { ShowStatusNote(message); };
    FAnalysis->OnScanStarting = [this](TMapAnalysis *) {
        if (FScanFilesAbort)
            FScanFilesAbort->ResetAbort();
        FTIAbort->SetInterval(500);
        FTIAbort->SetEnabled(true);
    };
    FAnalysis->OnScanProgress = [this](const QString &folder, bool &abort) {
        ScanFilesProgress(folder, abort);
    };
    FAnalysis->OnScanFinished = [this](TMapAnalysis *) {
        FTIAbort->SetEnabled(false);
        if (FScanFilesAbort)
            FScanFilesAbort->hide();
    };
}

void TQuillonMain::SetClock(std::shared_ptr<TICCClock> clock)
{
    FClock = std::move(clock);
    FFilterField->SetClock(FClock);
}

void TQuillonMain::ShowAnalysisMessage(const QString &message)
{
    // Those of the preparation wait until the reading has started behind them.
    if (FPreparing) {
        FPreparedMessages << message;
        return;
    }
    // The engine's messages are already formatted.
    ShowErrorMessage(QStringLiteral("!") + message);
}

void TQuillonMain::ShowPreparedMessages()
{
    if (FPreparedMessages.isEmpty() || FShowingPreparedMessages)
        return;
    {
        FShowingPreparedMessages = true;
        const auto shown = qScopeGuard([this] { FShowingPreparedMessages = false; });
        for (const QString &message : std::exchange(FPreparedMessages, {}))
            ShowAnalysisMessage(message);
    }
    // A result that arrived while they were open follows them, with its own messages.
    if (FHeldResult)
        AnalysisFinished(*std::exchange(FHeldResult, std::nullopt));
}

void TQuillonMain::ShowStatusNote(const QString &note)
{
    // The panel is narrower than most notes: the whole text is its tooltip. The next selection
    // summary replaces both.
    FStatusPanels[0]->setText(note);
    FStatusPanels[0]->setToolTip(note);
}

void TQuillonMain::ClearStatusNote()
{
    if (StatusNoteShown())
        ShowStatusNote(QString());
}

bool TQuillonMain::StatusNoteShown() const
{
    // A summary has no tooltip.
    return !FStatusPanels[0]->toolTip().isEmpty();
}

void TQuillonMain::BBGoClick()
{
    // Mended: a project or executable typed in the field opens its MAP file as a drop does.
    const QString named = FFEMapFile->FileName();
    const QString suffix = QFileInfo(named).suffix().toLower();
    if (!FRunActive && QFileInfo(named).isFile() &&
        (suffix == u"dpr" || suffix == u"dpk" || suffix == u"exe")) {
        OpenMapFile(named);
        return;
    }
    StartRun(nullptr);
}

bool TQuillonMain::BeginRun()
{
    if (FRunActive)
        return false;
    FRunActive = true;
    FClosing = false;
    // A note of the previous run would be taken for one of this run.
    ClearStatusNote();
    LockInterface(true);
    return true;
}

void TQuillonMain::StartRun(std::function<void()> afterRun)
{
    if (FRunActive)
        return;
    const QString mapFileName = FFEMapFile->FileName();
    if (!FAnalysis->MapFileAvailable(mapFileName))
        return;
    BeginRun();
    FAfterRun = std::move(afterRun);
    const QString searchFolder = TProjectFolders::ForRun(mapFileName, FDEFilePath->text());
    if (searchFolder != FDEFilePath->text())
        FDEFilePath->setText(searchFolder);
    // The scan's dialog needs this thread; the scan pumps events.
    FPreparing = true;
    std::optional<TMapAnalysis::TRunInput> input = FAnalysis->Prepare(mapFileName, searchFolder);
    FPreparing = false;
    FRunSearchFolder = searchFolder;
    if (!input || FClosing) {
        EndRun(false);
        ShowPreparedMessages();
        return;
    }
    StartReading(std::move(*input), [this](TMapAnalysisResult result) { ApplyRun(std::move(result)); });
    if (!FPreparedMessages.isEmpty())
        QTimer::singleShot(0, this, [this] { ShowPreparedMessages(); });
}

void TQuillonMain::StartReading(TMapAnalysis::TRunInput input, std::function<void(TMapAnalysisResult)> apply)
{
    FApplyRead = std::move(apply);
    ArmRunProgress(input.MapFileName);
    FAnalysisThread->Start(std::move(input));
}

void TQuillonMain::ArmRunProgress(const QString &mapFileName)
{
    FRunProgress->Reset(mapFileName);
    QApplication::changeOverrideCursor(Qt::BusyCursor);
    FTIRunProgress->SetInterval(500);
    FTIRunProgress->SetEnabled(true);
}

void TQuillonMain::LockInterface(bool locked)
{
    if (locked) {
        FRunFocus.Remember();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FVGUnits->OnSelectionChanged = nullptr;
    } else {
        // A failed run keeps its rows with valid percentages, so the summary stays meaningful.
        FVGUnits->OnSelectionChanged = [this](TInteractiveTreeView *sender) {
            VGUnitsSelectionChanged(sender);
        };
        // The rows were replaced without a report: the summary starts over from the new selection,
        // unless the run left a note there, which the next selection replaces.
        if (!StatusNoteShown())
            VGUnitsSelectionChanged(FVGUnits);
    }
    const QList<QWidget *> lockedWidgets{FVGUnits, FTMUnits, FBBGo, FCBGroupByName, FBBCompare, FBBRecent};
    for (QWidget *widget : lockedWidgets)
        widget->setEnabled(!locked);
    FFilterField->SetLocked(locked);
    FViewExport->Action()->setEnabled(!locked && FRunSucceeded);
    FWholeFile->Executable().SetEnabled(!locked && FRunSucceeded);
    if (!locked) {
        QApplication::restoreOverrideCursor();
        if (isVisible())
            FRunFocus.Restore(FVGUnits, lockedWidgets);
    }
}

void TQuillonMain::AnalysisFinished(TMapAnalysisResult result)
{
    if (FShowingPreparedMessages) {
        FHeldResult = std::move(result);
        return;
    }
    // A reading quicker than the event loop: the preparation's messages still come first.
    ShowPreparedMessages();
    if (FHeldResult)
        return;
    FTIRunProgress->SetEnabled(false);
    FRunProgress->hide();
    // Cancelled: the grid, its sort, opened rows and selection stay as they were.
    const bool cancelled = result.Cancelled;
    const std::function<void(TMapAnalysisResult)> apply = std::exchange(FApplyRead, nullptr);
    if (!cancelled) {
        QApplication::changeOverrideCursor(Qt::WaitCursor);
        apply(std::move(result));
    }
    EndRun(!cancelled);
}

void TQuillonMain::ApplyRun(TMapAnalysisResult result)
{
    // Mended: resolved before the project search changed the current folder; a relative name was
    // listed and watched in the project's folder instead.
    const QString mapFileName = result.MapFileName;
    FRunSucceeded = FAnalysis->Apply(std::move(result));
    if (FRunSucceeded) {
        FBBRecent->Add(mapFileName);
        FProjectFolders.Remember(mapFileName, FRunSearchFolder, FBBRecent->Files());
        FViewExport->SetRun(FAnalysis->MapFileName(), FRunSearchFolder);
        FWholeFile->Executable().SetMapFile(FAnalysis->MapFileName(), FBBRecent->Files());
    } else {
        FUnitUses->Clear();
    }
    // Watched even when the run failed: a file read while the linker wrote it is read again when
    // done.
    FMapFileWatcher->Watch(mapFileName);
    FVGUnits->SetShowRoot(FAnalysis->ShowRoot());
    FComparison->ShowAfterRun(FRunSucceeded);
    LoadExecutable(false);
    ReleaseFreedMemorySoon(this);
}

void TQuillonMain::LoadExecutable(bool Announce)
{
    if (!FRunSucceeded)
        return;
    const QString note = FWholeFile->Load(*FAnalysis);
    FUnitUses->SetRun(*FAnalysis, *FVGUnits, FRunSearchFolder, FWholeFile->Executable().Choice());
    FRetainedSize->Refresh();
    if (!note.isEmpty() && (Announce || FWholeFile->Shown()))
        ShowStatusNote(note);
}

void TQuillonMain::EndRun(bool applied)
{
    LockInterface(false);
    FRunActive = false;
    const std::function<void()> afterRun = std::exchange(FAfterRun, nullptr);
    if (applied && afterRun)
        afterRun();
    // The new rows filtered by the text in the field; the rows kept after a cancel (or an export)
    // only where the field's text changed meanwhile, so that they keep their scroll position.
    if (applied)
        ApplyFilter();
    else
        FFilterField->ApplyIfStale();
    // A comparison asked for during the run.
    if (!FPendingBaseline.isEmpty())
        QTimer::singleShot(0, this, [this] { SetBaseline(std::exchange(FPendingBaseline, QString())); });
}

void TQuillonMain::TIRunProgressTimer(TTimer97 *)
{
    if (FViewExport->Running() && FViewExport->Writing()) {
        FRunProgress->SetWriting(FViewExport->Target());
    } else if (FViewExport->Running() || FAnalysisThread->Running()) {
        const TReadProgress &progress =
            FViewExport->Running() ? FViewExport->Progress() : FAnalysisThread->Progress();
        FRunProgress->SetProgress(progress.Done(), progress.Total());
    } else {
        return;
    }
    if (FRunProgress->isVisible())
        return;
    PlaceRunProgress();
    FRunProgress->show();
    FRunProgress->raise();
    FTIRunProgress->SetInterval(100);
}

void TQuillonMain::PlaceRunProgress()
{
    // Over the middle of the grid and the treemap beside it.
    const QRect units = FSPUnits->geometry();
    FRunProgress->move(units.center() - QPoint(FRunProgress->width() / 2, FRunProgress->height() / 2));
}

void TQuillonMain::closeEvent(QCloseEvent *event)
{
    if (FRunActive) {
        FClosing = true;
        FAnalysisThread->Cancel();
        FViewExport->Cancel();
    }
    QWidget::closeEvent(event);
}

void TQuillonMain::CompareWithClick()
{
    const QString mapFileName = FBaselineChooser ? FBaselineChooser() : QString();
    if (!mapFileName.isEmpty())
        SetBaseline(mapFileName);
}

bool TQuillonMain::SetBaseline(const QString &mapFileName)
{
    if (FRunActive) {
        FPendingBaseline = mapFileName;
        return true;
    }
    auto loading = std::make_shared<TBaselineComparison::TLoading>(mapFileName, FAnalysis->Grouping());
    BeginRun();
    std::optional<TMapAnalysis::TRunInput> input = loading->Prepare();
    if (!input) {
        EndRun(false);
        ShowErrorMessage(QStringLiteral("!") + loading->ErrorMessage());
        return false;
    }
    // Read as a run's MAP file is: the progress panel, Cancel and Esc; a cancel keeps what is shown.
    StartReading(std::move(*input), [this, loading](TMapAnalysisResult result) {
        if (!loading->Finish(std::move(result))) {
            ShowErrorMessage(QStringLiteral("!") + loading->ErrorMessage());
            return;
        }
        WithoutFilter([this, &loading] { FComparison->Replace(*loading, FRunSucceeded); });
        BaselineChanged();
        ReleaseFreedMemorySoon(this);
    });
    return true;
}

void TQuillonMain::ClearBaseline()
{
    if (!FComparison->Active())
        return;
    WithoutFilter([this] { FComparison->Clear(); });
    BaselineChanged();
    ReleaseFreedMemorySoon(this);
}

void TQuillonMain::BaselineChanged()
{
    const bool active = FComparison->Active();
    FClearBaselineAction->setEnabled(active);
    FBaselineNameAction->setVisible(active);
    FBaselineNameAction->setText(FComparison->Description());
    FBBCompare->setToolTip(active ? QStringLiteral("Compared with %1").arg(FComparison->MapFileName())
                                  : QStringLiteral("Compare with the build of another MAP file"));
    FBaselinePanel->setVisible(active);
    FBaselinePanel->setText(FComparison->Description());
    FBaselinePanel->setToolTip(FComparison->MapFileName());
    FormResize();
    VGUnitsSelectionChanged(FVGUnits);
}

void TQuillonMain::CBGroupByNameClick()
{
    const TSymbolGrouping grouping =
        FCBGroupByName->isChecked() ? TSymbolGrouping::ByName : TSymbolGrouping::ByAddress;
    WithoutFilter([this, grouping] {
        FComparison->SetGrouping(grouping, [this, grouping] { FAnalysis->SetGrouping(grouping); });
    });
    FTMUnits->RequestRepaint();
}

void TQuillonMain::FormShow()
{
    if (FArguments.size() < 2 || !QFileInfo(FArguments.at(1)).isFile())
        return;
    // Absolute: every run makes the project's folder the current one, so a relative name would
    // stop naming the file after the first run.
    const QString named = GetStoredFileName(QFileInfo(FArguments.at(1)).absoluteFilePath());
    if (!IsMapFileName(named)) {
        // Mended: a project or executable named in its MAP file's place finds it in the output
        // folders too, where every recent Delphi writes it.
        const TMapFileSearch search = FindMapFileFor(named);
        if (!search.MapFile.isEmpty()) {
            TakeProjectOf(search.MapFile);
            FFEMapFile->SetFileName(search.MapFile);
            return;
        }
        ShowNoMapFileFound(named, search.Candidates);
    }
    // The field shows the name in red when the file is missing.
    QString mapFile = named;
    const qsizetype dot = mapFile.lastIndexOf(u'.');
    if (dot > mapFile.lastIndexOf(u'/'))
        mapFile.truncate(dot);
    mapFile += QStringLiteral(".map");
    TakeProjectOf(mapFile);
    FFEMapFile->SetFileName(mapFile);
}

void TQuillonMain::ShowNoMapFileFound(const QString &named, const QStringList &candidates)
{
    ShowStatusNote(Format(QStringLiteral("No MAP file found for %s; looked at %s"),
                          {QFileInfo(named).fileName(), candidates.join(QStringLiteral(", "))}));
}

void TQuillonMain::OpenMapFile(const QString &named)
{
    if (FRunActive)
        return;
    QString mapFile = QFileInfo(named).absoluteFilePath();
    if (!IsMapFileName(mapFile)) {
        const TMapFileSearch search = FindMapFileFor(mapFile);
        if (search.MapFile.isEmpty()) {
            ShowNoMapFileFound(mapFile, search.Candidates);
            return;
        }
        mapFile = search.MapFile;
    }
    const QString note = TakeProjectOf(mapFile);
    FFEMapFile->SetFileName(mapFile);
    StartRun(nullptr);
    // After the run's start, which clears the notes of the last one.
    if (!note.isEmpty())
        ShowStatusNote(note);
}

QString TQuillonMain::TakeProjectOf(const QString &mapFile)
{
    const QString previous =
        FAnalysis->MapFileName().isEmpty() ? FFEMapFile->FileName() : FAnalysis->MapFileName();
    const TProjectFolders::TOpening opening = FProjectFolders.Open(mapFile, previous, FDEFilePath->text());
    FDEFilePath->setText(opening.SearchFolder);
    if (!opening.OtherProject || !FComparison->Active())
        return QString();
    const QString baseline = QFileInfo(FComparison->MapFileName()).fileName();
    ClearBaseline();
    return Format(QStringLiteral("The comparison with %s was cleared: %s belongs to another project"),
                  {baseline, QFileInfo(mapFile).fileName()});
}

void TQuillonMain::MapFileChanged(const QString &fileName)
{
    // During a run, or while the question is open, the next change asks again.
    if (FRunActive || FAskingToReload)
        return;
    if (!FCBAutoReload->isChecked()) {
        FAskingToReload = true;
        const auto asked = qScopeGuard([this] { FAskingToReload = false; });
        if (!ConfirmMessage(Format(QStringLiteral("!%s was written again. Analyse it again?"),
                                   {QDir::toNativeSeparators(fileName)})))
            return;
    }
    ReloadMapFile(fileName);
}

void TQuillonMain::ReloadMapFile(const QString &fileName)
{
    if (FRunActive)
        return;
    // The state the user made, not the filter's view of it; the run filters the new rows once they
    // have that state.
    FVGUnits->ClearFilter();
    FFEMapFile->SetFileName(fileName);
    FQuietRun = true;
    const auto loud = qScopeGuard([this] { FQuietRun = false; });
    StartRun([this, state = TGridState::Capture(*FVGUnits)] {
        state.Restore(*FVGUnits);
        if (!StatusNoteShown())
            VGUnitsSelectionChanged(FVGUnits);
    });
    // No run started (the file is gone): the rows kept are filtered again.
    if (!FRunActive)
        ApplyFilter();
}

void TQuillonMain::dragEnterEvent(QDragEnterEvent *event)
{
    // Not during a run: a second run cannot start inside it.
    if (!FRunActive && !DraggedLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TQuillonMain::dropEvent(QDropEvent *event)
{
    const QString file = DraggedLocalFile(event->mimeData());
    if (file.isEmpty() || FRunActive)
        return;
    event->acceptProposedAction();
    activateWindow();
    // After the drop returns: the program the file came from waits for the drop to end.
    QTimer::singleShot(0, this, [this, file] { OpenMapFile(file); });
}

bool TQuillonMain::FormHelp()
{
    ShellOpen(HelpPageAddress, FShellExecutor);
    return true;
}

void TQuillonMain::FormResize()
{
    const int designed = frameGeometry().width() - 180;
    const int panelsWidth = ShownWidth(FFilterPanel) + ShownWidth(FBaselinePanel);
    if (panelsWidth == 0) {
        FStatusPanels[0]->setFixedWidth(std::max(0, designed));
        return;
    }
    // The filter's and the baseline's panels take their room from the selection summary, which in
    // turn may take the publisher panel's room beyond that panel's own text, so the summary stays
    // readable.
    const int beyondPublisher =
        frameGeometry().width() - FStatusPanels[1]->sizeHint().width() - 2 - panelsWidth;
    QLabel *const panel = FStatusPanels[0];
    const int textWidth = panel->fontMetrics().horizontalAdvance(panel->text()) + 2 * panel->frameWidth() + 4;
    const int summary = std::min(textWidth, beyondPublisher);
    FStatusPanels[0]->setFixedWidth(std::max({0, designed - panelsWidth, summary}));
}

void TQuillonMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!FShowHandled) {
        FShowHandled = true;
        // After the stored placement, which the form storage applies as the window shows.
        FitIntoScreen(*this);
        FormShow();
    }
}

void TQuillonMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutComponents();
    FormResize();
}

void TQuillonMain::LayoutComponents()
{
    const int w = width();
    const int h = height();
    FGradient1->setGeometry(0, 0, w, HeaderBandHeight);
    FStatusBar->setGeometry(0, h - StatusBarHeight, w, StatusBarHeight);
    FSPUnits->setGeometry(0, HeaderBandHeight, w, std::max(0, h - HeaderBandHeight - StatusBarHeight));
    FBBGo->setGeometry(w - (DesignedWidth - 598), 17, 54, 27);
    FBBCompare->setGeometry(FBBGo->x() - 8 - CompareButtonWidth, 17, CompareButtonWidth, 27);
    const int left = FFieldsLeft;
    const int editWidth = std::max(0, FBBCompare->x() - 8 - left);
    // The recent files' arrow ends the MAP field's row where the folder field ends.
    constexpr int recentWidth = 14;
    FFEMapFile->setGeometry(left, 4, std::max(0, editWidth - recentWidth - 1), 23);
    FBBRecent->setGeometry(left + editWidth - recentWidth, 4, recentWidth, 23);
    // The two view switches end the folder field's row, leaving the filter field its room below.
    const int switchWidth = FWholeFile->Switch()->sizeHint().width();
    const int usesWidth = FCBUnitUses->sizeHint().width();
    FDEFilePath->setGeometry(left, 34, std::max(0, editWidth - switchWidth - usesWidth - 16), 21);
    FCBUnitUses->setGeometry(left + editWidth - switchWidth - usesWidth - 8, 34, usesWidth, 21);
    FWholeFile->Switch()->setGeometry(left + editWidth - switchWidth, 34, switchWidth, 21);
    FCBGroupByName->move(left, 60);
    FCBAutoReload->move(FCBGroupByName->geometry().right() + 16, 60);
    FCBTreemap->move(FCBAutoReload->geometry().right() + 16, 60);
    // The rest of the checkboxes' row, right-aligned with the buttons above.
    const int filterLeft = FCBTreemap->geometry().right() + 16;
    EDFilter()->setGeometry(filterLeft, 58, std::max(0, FBBGo->geometry().right() + 1 - filterLeft), 22);
    PlaceRunProgress();
}

void TQuillonMain::VGUnitsExpanding(TTreeGridModel *Sender, TITreeNode *Node, bool &Allow)
{
    if (!FComparison->Shown()) {
        FAnalysis->VGUnitsExpanding(Sender, Node, Allow);
        return;
    }
    Allow = true;
    // Only Node's rows are new: the filter opens thousands of units, each sorted on its own.
    const quint64 contentBefore = FVGUnits->Items().ContentVersion();
    if (FComparison->AddSymbolRowsOf(Node))
        FVGUnits->ResortChanged(Node, contentBefore);
}

void TQuillonMain::VGUnitsSelectionChanged(TInteractiveTreeView *)
{
    const QString summary =
        UnitSelectionSummary(FVGUnits->Items(), FAnalysis->PercentFactor(), FComparison->Shown());
    FStatusPanels[0]->setToolTip(QString());
    FStatusPanels[0]->setText(summary);
    if (!FFilterPanel->isHidden() || !FBaselinePanel->isHidden())
        FormResize();
    FTMUnits->SetHighlightedNode(FVGUnits->SelectedNode());
    FUnitUses->ShowNode(FVGUnits->SelectedNode());
}

QString TQuillonMain::SizeCellText(const TITreeNode *node, int columnIndex) const
{
    const qint64 value = columnIndex == 1 ? node->Tag() : ColumnObject(node, columnIndex - 1);
    if (value != 0)
        return QString::number(value);
    return node->Parent() ? QString() : QStringLiteral("-");
}

QString TQuillonMain::SymbolHint(const TITreeNode *node) const
{
    const std::optional<qint64> address = FAnalysis->SymbolAddress(node);
    if (!address)
        return {};
    return QStringLiteral("Address ") + QStringLiteral("%1").arg(*address, 8, 16, QLatin1Char('0')).toUpper();
}

QString TQuillonMain::PercentCellText(const TITreeNode *node) const
{
    return Format(QStringLiteral("%.2f %%"), {double(node->Tag()) * FAnalysis->PercentFactor()});
}

void TQuillonMain::VGUnitsColumn1DrawNodeContent(TITreeView *Sender, QPainter &aCanvas, const QRect &cellRect,
                                                 TITreeNode *node, int columnIndex,
                                                 TITreeViewNodeStates nodeStates)
{
    const TITreeNode *parent = node->Parent();
    const bool selected = nodeStates.testFlag(nsSelected);
    if (columnIndex == 1 || (columnIndex == 3 && !parent && node->Data() != 0)) {
        TColor base;
        float ratio;
        if (parent) {
            base = SymbolBarColor(node->Level());
            ratio = float(double(node->Tag()) / double(parent->Tag()));
        } else if (columnIndex == 1) {
            base = UnitCodeBarColor;
            ratio = float(double(node->Tag()) / FAnalysis->MaxCodeSize());
        } else {
            base = UnitDFMBarColor;
            ratio = float(double(node->Data()) / FAnalysis->MaxDFMSize());
        }
        PaintUnitBar(aCanvas, UnitBarRect(cellRect, ratio), base, selected);
    }
    PaintCellText(aCanvas, cellRect, SizeCellText(node, columnIndex),
                  Sender->CellTextColor(selected, columnIndex));
}

void TQuillonMain::VGUnitsColumn2DrawNodeContent(TITreeView *Sender, QPainter &aCanvas, const QRect &cellRect,
                                                 TITreeNode *node, int columnIndex,
                                                 TITreeViewNodeStates nodeStates)
{
    PaintCellText(aCanvas, cellRect, PercentCellText(node),
                  Sender->CellTextColor(nodeStates.testFlag(nsSelected), columnIndex));
}

void TQuillonMain::TIAbortTimer(TTimer97 *)
{
    if (FScanFilesAbort)
        FScanFilesAbort->show();
    FTIAbort->SetEnabled(false);
}

void TQuillonMain::ScanFilesProgress(const QString &folder, bool &abort)
{
    const qint64 now = FClock->NowMs();
    if (now > FNextScanRefresh) {
        FNextScanRefresh = now + 50;
        QCoreApplication::processEvents();
        if (FScanFilesAbort)
            FScanFilesAbort->LACurrentDirectory()->setText(folder);
    }
    abort = FClosing || (FScanFilesAbort && FScanFilesAbort->Aborted());
}
