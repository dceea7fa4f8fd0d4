// The window reads the MAP file off its own thread: the progress panel half a second in, its Cancel,
// the interface locked against a second start, the grid replaced once at the end, errors shown on the
// window's thread, and closing during a run. The reader is held at a report by the test, and time is
// the fake clock's.
#include "MainWindowFixture.h"

#include "analysis/BaselineColumns.h"
#include "analysis/MapAnalysis.h"
#include "analysis/MapAnalysisThread.h"
#include "app/GridState.h"
#include "app/RunProgressPanel.h"
#include "app/ViewExport.h"
#include "controls/CRecentFilesButton.h"
#include "controls/CTreemapView.h"
#include "support/ReadGate.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace {

TEST(RunProgressPanelTest, SaysWhatTheReaderDoesAndCancelsOnce)
{
    TRunProgressPanel panel;
    int cancels = 0;
    panel.OnCancel = [&] { ++cancels; };
    panel.Reset(QStringLiteral("/builds/App.map"));
    struct TCase
    {
        qint64 Done;
        qint64 Total;
        const char *Caption;
        int Maximum; // 0: a busy bar
        int Value;
    } cases[] = {
        {0, 0, "Loading App.map...", 0, 0},
        {250, 1000, "Reading App.map...", 1000, 250},
        {1000, 1000, "Sorting the symbols of App.map...", 1000, 1000},
    };
    for (const TCase &c : cases) {
        panel.SetProgress(c.Done, c.Total);
        EXPECT_EQ(panel.LACaption()->text(), QString::fromUtf8(c.Caption));
        EXPECT_EQ(panel.PBRead()->maximum(), c.Maximum) << c.Caption;
        if (c.Maximum > 0) {
            EXPECT_EQ(panel.PBRead()->value(), c.Value) << c.Caption;
        }
    }
    panel.show();
    QTest::mouseClick(panel.BBCancel(), Qt::LeftButton);
    QTest::mouseClick(panel.BBCancel(), Qt::LeftButton);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(panel.Cancelled());
    EXPECT_EQ(panel.BBCancel()->text(), QStringLiteral("Cancelling..."));
    panel.Reset(QStringLiteral("App.map"));
    EXPECT_FALSE(panel.Cancelled());
    EXPECT_EQ(panel.BBCancel()->text(), QStringLiteral("Cancel"));
}

class RunInBackground : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        Old = WriteBuild(QStringLiteral("App.map"), 3, 2);
        // Reports between the start and the end of the text: the reader can be held halfway.
        New = WriteBuild(QStringLiteral("Large.map"), 50, 1000);
        OpenOnOldBuild();
    }
    void TearDown() override
    {
        // A held reader would keep the window's destruction waiting.
        for (const std::unique_ptr<TReadGate> &gate : FGates)
            gate->Release();
        MainWindowFixture::TearDown();
    }

    void OpenOnOldBuild()
    {
        OpenWindow();
        FWindow->DEFilePath()->setText(Folder.path() + u'/');
        FWindow->FEMapFile()->SetFileName(Old);
        FWindow->BBGoClick();
        ASSERT_TRUE(WaitForRun(*FWindow));
        ASSERT_EQ(UnitCount(), 3);
    }

    // A project file beside the MAP file, so that no run asks for one.
    QString WriteProject(const QString &mapName)
    {
        QFile project(Folder.filePath(QFileInfo(mapName).completeBaseName() + QStringLiteral(".dpr")));
        EXPECT_TRUE(project.open(QIODevice::WriteOnly));
        project.write("program App;\r\n");
        return Folder.filePath(mapName);
    }

    // Units of 0x100 bytes and more, each with SymbolsPerUnit routines.
    QString WriteBuild(const QString &name, int units, int symbolsPerUnit)
    {
        std::vector<TMapUnit> unitList;
        std::vector<TMapSymbol> symbols;
        for (int u = 0; u < units; ++u) {
            const QString unit = QStringLiteral("Unit%1").arg(u, 2, 10, QLatin1Char('0'));
            unitList.push_back({unit, quint32(0x100 + u)});
            for (int s = 0; s < symbolsPerUnit; ++s)
                symbols.push_back({quint32(u * 0x200 + s * (0x100 / symbolsPerUnit)),
                                   unit + QStringLiteral(".Routine%1").arg(s)});
        }
        return WriteMapFile(WriteProject(name), unitList, symbols, quint32(units * 0x200));
    }

    // Goes on the MAP file and returns once the reader is held at its second report.
    TReadGate &StartHeldRun(const QString &map)
    {
        TReadGate &gate = *FGates.emplace_back(std::make_unique<TReadGate>(2));
        FWindow->AnalysisThread()->OnReport = gate.Hook();
        FWindow->FEMapFile()->SetFileName(map);
        QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
        EXPECT_TRUE(gate.WaitUntilHeld()) << "the reader never reached its second report";
        return gate;
    }

    // Moves the fake time on and lets the window handle the timer ticks that fell due.
    void Advance(qint64 ms)
    {
        FTime->Step = ms;
        FTime->NowMs();
        QCoreApplication::processEvents();
    }

    TRunProgressPanel &Panel() { return *FWindow->RunProgress(); }
    QList<QWidget *> LockedWidgets()
    {
        return {FWindow->BBGo(),          FWindow->BBCompare(), FWindow->BBRecent(),
                FWindow->CBGroupByName(), FWindow->VGUnits(),   FWindow->TMUnits()};
    }

    QTemporaryDir Folder;
    QString Old;
    QString New;
    std::vector<std::unique_ptr<TReadGate>> FGates;
};

TEST_F(RunInBackground, HalfASecondInTheProgressShowsThenTheGridChangesOnceAtTheEnd)
{
    const QStringList oldRows = RootTexts();
    TReadGate &gate = StartHeldRun(New);
    EXPECT_TRUE(FWindow->RunActive());
    Advance(499);
    EXPECT_FALSE(Panel().isVisible());
    Advance(1);
    ASSERT_TRUE(Panel().isVisible());
    EXPECT_EQ(Panel().LACaption()->text(), QStringLiteral("Reading Large.map..."));
    const int value = Panel().PBRead()->value();
    EXPECT_EQ(value, int(double(gate.HeldDone) / double(gate.HeldTotal) * Panel().PBRead()->maximum()));
    EXPECT_GT(value, 0);
    EXPECT_LT(value, Panel().PBRead()->maximum());
    EXPECT_LE(
        (Panel().geometry().center() - Grid().mapTo(FWindow.get(), Grid().rect().center())).manhattanLength(),
        2)
        << "over the middle of the grid";

    // The window lives meanwhile: it repaints and moves, and the grid still shows the last run.
    TEventCounter paints(QEvent::Paint);
    Grid().installEventFilter(&paints);
    Grid().update();
    QCoreApplication::processEvents();
    EXPECT_GT(paints.Count, 0);
    const QPoint moved = FWindow->pos() + QPoint(40, 30);
    FWindow->move(moved);
    QCoreApplication::processEvents();
    EXPECT_EQ(FWindow->pos(), moved);
    EXPECT_EQ(RootTexts(), oldRows);

    gate.Release();
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_FALSE(Panel().isVisible());
    EXPECT_EQ(UnitCount(), 50);
    EXPECT_EQ(RootTexts().first(), QStringLiteral("Unit49")) << "sorted by size, largest first";
    EXPECT_EQ(FWindow->Analysis().MapFileName(), New);
    EXPECT_EQ(FWindow->BBRecent()->Files().first(), New);
    for (QWidget *widget : LockedWidgets())
        EXPECT_TRUE(widget->isEnabled()) << widget->objectName().toStdString();
}

TEST_F(RunInBackground, CancelKeepsThePreviousGridItsSortOpenedRowsAndSelection)
{
    struct TCase
    {
        const char *How;
        std::function<void()> Cancel;
    } cases[] = {
        {"the panel's button", [this] { QTest::mouseClick(Panel().BBCancel(), Qt::LeftButton); }},
        {"Escape", [this] { QTest::keyClick(FWindow->FEMapFile(), Qt::Key_Escape); }},
    };
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
    Grid().SortBy(0, sdAscending);
    Root("Unit01")->SetExpanded(true);
    Grid().SetSelectedNode(Root("Unit02"));
    Root("Unit00")->SetSelected(true);
    const TGridState before = TGridState::Capture(Grid());
    const QStringList rows = RootTexts();
    FWindow->VGUnitsSelectionChanged(&Grid());
    const QString summary = FWindow->StatusPanel(0)->text();

    for (const TCase &c : cases) {
        TReadGate &gate = StartHeldRun(New);
        Advance(500);
        ASSERT_TRUE(Panel().isVisible()) << c.How;
        c.Cancel();
        EXPECT_TRUE(FWindow->AnalysisThread()->Progress().Cancelled()) << c.How;
        gate.Release();
        ASSERT_TRUE(WaitForRun(*FWindow)) << c.How;

        EXPECT_LT(FWindow->AnalysisThread()->Progress().Done(), gate.HeldTotal)
            << c.How << ": the reader stopped at its next report";
        EXPECT_FALSE(Panel().isVisible()) << c.How;
        const TGridState after = TGridState::Capture(Grid());
        EXPECT_EQ(RootTexts(), rows) << c.How;
        EXPECT_EQ(after.SortColumnIndex, before.SortColumnIndex) << c.How;
        EXPECT_EQ(after.Opened, before.Opened) << c.How;
        EXPECT_EQ(after.Selected, before.Selected) << c.How;
        EXPECT_EQ(after.Current, before.Current) << c.How;
        EXPECT_EQ(FWindow->StatusPanel(0)->text(), summary) << c.How;
        EXPECT_EQ(FWindow->Analysis().MapFileName(), Old) << c.How;
        EXPECT_TRUE(FWindow->BBGo()->isEnabled()) << c.How;
    }
}

TEST_F(RunInBackground, EscapeCancelsTheRunAlsoWhenItWouldClearTheFilter)
{
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
    FWindow->EDFilter()->setText(QStringLiteral("Unit0"));
    TReadGate &gate = StartHeldRun(New);
    Advance(500);
    QTest::keyClick(FWindow.get(), Qt::Key_Escape);
    EXPECT_TRUE(FWindow->AnalysisThread()->Progress().Cancelled());
    EXPECT_EQ(FWindow->EDFilter()->text(), QStringLiteral("Unit0"));
    gate.Release();
    ASSERT_TRUE(WaitForRun(*FWindow));
    QTest::keyClick(FWindow.get(), Qt::Key_Escape);
    EXPECT_TRUE(FWindow->EDFilter()->text().isEmpty()) << "after the run Esc clears the filter again";
}

TEST_F(RunInBackground, NothingStartsASecondRunWhileOneIsOn)
{
    TReadGate &gate = StartHeldRun(New);
    for (QWidget *widget : LockedWidgets())
        EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
    FWindow->CBAutoReload()->setChecked(true);
    struct TCase
    {
        const char *Attempt;
        std::function<void()> Start;
    } cases[] = {
        {"Go", [this] { FWindow->BBGoClick(); }},
        {"a MAP file dragged in", [this] { EXPECT_FALSE(DragEnter({QUrl::fromLocalFile(Old)})); }},
        {"a recent file chosen", [this] { FWindow->OpenMapFile(Old); }},
        {"the analysed file written again", [this] { FWindow->MapFileChanged(New); }},
        {"a reload", [this] { FWindow->ReloadMapFile(Old); }},
    };
    for (const TCase &c : cases) {
        // A second start would also raise the thread's assertion that it is not running.
        c.Start();
        EXPECT_EQ(FWindow->FEMapFile()->FileName(), New) << c.Attempt;
        EXPECT_TRUE(FWindow->RunActive()) << c.Attempt;
    }
    gate.Release();
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(UnitCount(), 50) << "the first run's result";
    EXPECT_EQ(FWindow->Analysis().MapFileName(), New);
}

TEST_F(RunInBackground, AnErrorOfTheReadingIsShownByTheWindow)
{
    QFile broken(WriteProject(QStringLiteral("Broken.map")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(
        "\r\n Start Length\r\n 0001:00401000 00000100 .text CODE\r\n\r\nDetailed map of segments\r\n\r\n"
        " 0001:00000000 00000030 C=CODE     S=.text    G=(none)   M=UnitA  ALIGN=4\r\n"
        " 0001:00000030 0000ZZZZ C=CODE     S=.text    G=(none)   M=UnitB  ALIGN=4\r\n");
    broken.close();
    TMessageCatcher messages;
    FWindow->FEMapFile()->SetFileName(broken.fileName());
    FWindow->BBGoClick();
    ASSERT_TRUE(WaitForRun(*FWindow));
    ASSERT_EQ(messages.Messages.size(), 1);
    EXPECT_TRUE(messages.Messages[0].startsWith(QStringLiteral("'$0000ZZZZ' is not a valid integer value")))
        << messages.Messages[0].toStdString();
    EXPECT_EQ(RootTexts(), QStringList({"UnitA", "UnitB"})) << "the rows read so far";
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());
}

TEST_F(RunInBackground, ClosingTheWindowDuringARunCancelsIt)
{
    for (const bool resultArrives : {false, true}) {
        if (!FWindow)
            OpenOnOldBuild();
        const QStringList rows = RootTexts();
        TReadGate &gate = StartHeldRun(New);
        FWindow->close();
        EXPECT_TRUE(FWindow->AnalysisThread()->Progress().Cancelled());
        gate.Release();
        if (resultArrives) {
            ASSERT_TRUE(WaitForRun(*FWindow));
            EXPECT_EQ(RootTexts(), rows);
        }
        // The scan dialog is the window's child.
        FScan.reset();
        FWindow.reset();
    }
}

TEST_F(RunInBackground, ABaselineIsReadAsARunIsWithItsProgressAndCancel)
{
    const QStringList rows = RootTexts();
    for (const bool cancel : {true, false}) {
        TReadGate &gate = *FGates.emplace_back(std::make_unique<TReadGate>(2));
        FWindow->AnalysisThread()->OnReport = gate.Hook();
        ASSERT_TRUE(FWindow->SetBaseline(New));
        ASSERT_TRUE(gate.WaitUntilHeld()) << "the baseline is read off the window's thread";
        EXPECT_TRUE(FWindow->RunActive());
        for (QWidget *widget : LockedWidgets())
            EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
        Advance(500);
        ASSERT_TRUE(Panel().isVisible());
        EXPECT_EQ(Panel().LACaption()->text(), QStringLiteral("Reading Large.map..."));
        if (cancel)
            QTest::mouseClick(Panel().BBCancel(), Qt::LeftButton);
        gate.Release();
        ASSERT_TRUE(WaitForRun(*FWindow));
        EXPECT_FALSE(Panel().isVisible());
        EXPECT_EQ(FWindow->Baseline() != nullptr, !cancel) << cancel;
        EXPECT_EQ(Grid().Columns().Count(), cancel ? 6 : 8) << cancel;
        EXPECT_EQ(UnitCount(), cancel ? 3 : 50) << "the baseline's other units as rows of size 0";
        EXPECT_TRUE(FWindow->BBGo()->isEnabled());
    }
}

TEST_F(RunInBackground, ABaselineAskedForDuringARunIsReadAfterIt)
{
    TReadGate &gate = StartHeldRun(New);
    EXPECT_TRUE(FWindow->SetBaseline(Old));
    EXPECT_FALSE(FWindow->Baseline());
    gate.Release();
    ASSERT_TRUE(WaitForRun(*FWindow));
    QCoreApplication::processEvents();
    ASSERT_TRUE(WaitForRun(*FWindow));
    ASSERT_TRUE(FWindow->Baseline());
    EXPECT_EQ(FWindow->Baseline()->MapFileName(), Old);
}

// After a run the keys go to the grid, where typing finds a unit at once, unless the user was in a
// field the run left usable.
TEST_F(RunInBackground, AfterARunTheFocusIsOnTheGridOrWhereTheUserWas)
{
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
    const QString folder = FWindow->DEFilePath()->text();
    FWindow->FEMapFile()->SetFileName(New);
    QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(&Grid()));
    FWindow->resize(700, 420);
    EXPECT_TRUE(FWindow->grab().save(QStringLiteral(QUILLON_BINARY_DIR "/quillon-focus-after-go.png")));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("unit07"));
    EXPECT_EQ(Grid().SelectedNode(), Root("Unit07"));
    EXPECT_EQ(FWindow->DEFilePath()->text(), folder);

    FWindow->EDFilter()->setFocus();
    FWindow->BBGoClick();
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(FWindow->EDFilter()));
}

// File → Export reads the MAP file again as Go does: off the window's thread, the progress panel
// half a second in, Esc to cancel; a cancel writes nothing and leaves the grid as it was.
TEST_F(RunInBackground, TheExportReadsOffTheWindowsThreadWithTheProgressPanelAndCancel)
{
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
    FWindow->FEMapFile()->SetFileName(New);
    FWindow->BBGoClick();
    ASSERT_TRUE(WaitForRun(*FWindow));
    const QString target = Folder.filePath(QStringLiteral("view.json"));
    TViewExport &exporter = FWindow->ViewExport();
    exporter.AskFileName = [&target](const QStringList &filters, QString &selected) {
        selected = filters.at(1);
        return target;
    };
    TReadGate &gate = *FGates.emplace_back(std::make_unique<TReadGate>(2));
    exporter.OnReport = gate.Hook();
    exporter.Action()->trigger();
    ASSERT_TRUE(gate.WaitUntilHeld()) << "the export's reader never reached its second report";
    EXPECT_TRUE(FWindow->RunActive());
    for (QWidget *widget : LockedWidgets())
        EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
    Advance(499);
    EXPECT_FALSE(Panel().isVisible());
    Advance(1);
    ASSERT_TRUE(Panel().isVisible());
    EXPECT_EQ(Panel().LACaption()->text(), QStringLiteral("Reading Large.map..."));
    EXPECT_GT(Panel().PBRead()->value(), 0);
    QTest::keyClick(FWindow.get(), Qt::Key_Escape);
    EXPECT_TRUE(exporter.Progress().Cancelled());
    gate.Release();
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_FALSE(exporter.Running());
    EXPECT_FALSE(Panel().isVisible());
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("Export cancelled: %1 was not written").arg(target));
    EXPECT_EQ(UnitCount(), 50) << "the grid as it was";
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());

    exporter.OnReport = nullptr;
    exporter.Action()->trigger();
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("View exported to ") + target);
}

} // namespace
