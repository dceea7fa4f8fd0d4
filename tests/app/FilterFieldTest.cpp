// The window's filter field on the sample: Ctrl+F, typing debounced on a manual clock, the status
// bar's count and size, Esc giving the grid back as it was, and a new run filtered again.
#include "MainWindowFixture.h"

#include "controls/ManualClock.h"
#include "support/ShownRows.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace {

class FilterFieldTest : public MainWindowFixture
{
protected:
    void OpenOnSample()
    {
        OpenWindow();
        FWindow->SetClock(FClock);
        FWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
        FWindow->DEFilePath()->setText(SourceDir() + QStringLiteral("/examples/sample/"));
        FWindow->OpenMapFile(SampleMap());
        ASSERT_TRUE(WaitForRun(*FWindow));
        ASSERT_EQ(UnitCount(), 11);
    }

    QLineEdit &Field() { return *FWindow->EDFilter(); }

    std::shared_ptr<TManualClock> FClock = std::make_shared<TManualClock>();
};

TEST_F(FilterFieldTest, ReachedByCtrlFAndByTabWithATooltip)
{
    OpenOnSample();
    Grid().setFocus();
    QTest::keyClick(&Grid(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Field().hasFocus());
    // The treemap and the Why linked panels, when shown, come between.
    EXPECT_EQ(NextByTab(FWindow->CBTreemap()), FWindow->CBUnitUses());
    EXPECT_EQ(NextByTab(FWindow->CBUnitUses()), &Field());
    EXPECT_TRUE(Field().toolTip().contains(QStringLiteral("Ctrl+F")));
    EXPECT_FALSE(Field().placeholderText().isEmpty());
}

TEST_F(FilterFieldTest, TypingFiltersAfterAPauseAndEscGivesTheGridBack)
{
    OpenOnSample();
    TITreeNode *const main = Root(QStringLiteral("Main"));
    main->SetExpanded(true);
    Grid().SetSelectedNode(Root(QStringLiteral("About")));
    const QStringList before = ShownRows(Grid());

    Field().setFocus();
    QTest::keyClicks(&Field(), QStringLiteral("sys"));
    FClock->Advance(TQuillonMain::FilterDelayMs - 1);
    QTest::keyClicks(&Field(), QStringLiteral("tem"));
    FClock->Advance(TQuillonMain::FilterDelayMs - 1);
    EXPECT_FALSE(Grid().Filtered()) << "every key starts the pause again";
    EXPECT_FALSE(FWindow->FilterPanel()->isVisible());
    FClock->Advance(1);
    ASSERT_TRUE(Grid().Filtered());
    EXPECT_EQ(ShownRows(Grid()).first(), QStringLiteral("System.Classes+")) << "holds TList<System.Integer>";
    EXPECT_FALSE(ShownRows(Grid()).contains(QStringLiteral("Main")));
    EXPECT_TRUE(FWindow->FilterPanel()->isVisible());
    EXPECT_EQ(FWindow->FilterPanel()->text(),
              QStringLiteral("6 rows match; 4 matching units: 3.3 kB (39.22%)"));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("0 units: 0.0 kB code (0.00%), 0.0 kB DFM"))
        << "the selected unit is hidden, so not selected";
    // At the designed width the summary keeps its whole text beside the filter's panel.
    FWindow->resize(664, FWindow->height());
    QApplication::processEvents();
    const QLabel *const summary = FWindow->StatusPanel(0);
    EXPECT_GT(summary->contentsRect().width(), summary->fontMetrics().horizontalAdvance(summary->text()));
    EXPECT_GE(FWindow->FilterPanel()->width(), FWindow->FilterPanel()->sizeHint().width());

    QTest::keyClick(&Field(), Qt::Key_Escape);
    EXPECT_TRUE(Field().text().isEmpty());
    EXPECT_FALSE(Grid().Filtered()) << "at once, without the pause";
    EXPECT_EQ(ShownRows(Grid()), before);
    EXPECT_EQ(Grid().SelectedNode(), Root(QStringLiteral("About")));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("1 units: 0.3 kB code (3.42%), 0.7 kB DFM"));
    EXPECT_FALSE(FWindow->FilterPanel()->isVisible());
}

TEST_F(FilterFieldTest, SymbolRowsAreFoundInUnitsNeverOpenedAndANewRunIsFilteredToo)
{
    OpenOnSample();
    Field().setText(QStringLiteral("updatestatus"));
    QTest::keyClick(&Field(), Qt::Key_Return);
    EXPECT_EQ(ShownRows(Grid()), (QStringList{"Main+", "  TFormMain+", "    UpdateStatus"}));
    EXPECT_TRUE(
        FWindow->FilterPanel()->text().startsWith(QStringLiteral("1 row matches; 0 matching units:")));

    QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(ShownRows(Grid()), (QStringList{"Main+", "  TFormMain+", "    UpdateStatus"}));
    FWindow->CBGroupByName()->setChecked(true);
    EXPECT_EQ(ShownRows(Grid()), (QStringList{"Main+", "  TFormMain+", "    UpdateStatus"}))
        << "regrouped and filtered again";
}

TEST_F(FilterFieldTest, ManyMatchesFillTheFirstScreenAndTheRestFollowsBetweenEvents)
{
    OpenOnSample();
    Field().setText(QStringLiteral("e"));
    QTest::keyClick(&Field(), Qt::Key_Return);
    ASSERT_FALSE(Grid().Filter().Finished());
    EXPECT_GT(Grid().Rows().size(), size_t(Grid().VisibleRowCount()));
    EXPECT_TRUE(FWindow->FilterPanel()->text().startsWith(QStringLiteral("Filtering")));
    for (int slice = 0; slice < 100 && !Grid().Filter().Finished(); ++slice)
        QCoreApplication::processEvents();
    EXPECT_TRUE(Grid().Filter().Finished());
    EXPECT_TRUE(FWindow->FilterPanel()->text().contains(QStringLiteral(" rows match; ")));
    EXPECT_TRUE(ShownRows(Grid()).contains(QStringLiteral("System.Types+")))
        << "the last units are tested too";
}

} // namespace
