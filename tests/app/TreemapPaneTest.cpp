// The treemap pane of the window: shown or hidden from the header band, linked to the grid both
// ways, and kept with its width in the settings.
#include "MainWindowFixture.h"

#include "controls/CTreemapView.h"
#include "controls/UColors.h"

#include <QCheckBox>
#include <QSettings>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TreemapPaneTest : public MainWindowFixture
{
protected:
    TTreemapView &Map() { return *FWindow->TMUnits(); }

    void GoOnSample()
    {
        FWindow->FEMapFile()->SetFileName(SampleMap());
        FWindow->DEFilePath()->setText(SourceDir() + QStringLiteral("/examples/sample/"));
        QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
        EXPECT_TRUE(WaitForRun(*FWindow));
    }
    void ShowPane()
    {
        FWindow->CBTreemap()->setChecked(true);
        QCoreApplication::processEvents();
        ASSERT_TRUE(Map().isVisible());
    }
    void ClickInMap(const TITreeNode *node)
    {
        Map().repaint();
        const QRect cell = Map().CellRect(node);
        ASSERT_FALSE(cell.isEmpty()) << node->Text().toStdString();
        QTest::mouseClick(&Map(), Qt::LeftButton, {}, cell.bottomRight() - QPoint(3, 3));
    }
    bool RowShown(const TITreeNode *node)
    {
        const int row = Grid().RowIndex(node);
        const int top = std::max(0, Grid().RowIndex(Grid().TopNode()));
        return row >= top && row < top + Grid().VisibleRowCount();
    }
};

TEST_F(TreemapPaneTest, IsHiddenAtFirstAndShownByTheCheckBoxOrCtrlM)
{
    OpenWindow();
    QCheckBox *const box = FWindow->CBTreemap();
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(Map().isVisible());
    EXPECT_FALSE(box->toolTip().isEmpty());
    EXPECT_FALSE(Map().toolTip().isEmpty());
    EXPECT_TRUE(box->focusPolicy() & Qt::TabFocus);

    QTest::keyClick(FWindow.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(Map().isVisible());
    EXPECT_GT(Map().width(), 0);
    // The box leads to the map by Tab, and the grid keeps most of the width.
    EXPECT_EQ(NextByTab(box), &Map());
    EXPECT_GT(Grid().width(), Map().width());

    QTest::keyClick(FWindow.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_FALSE(Map().isVisible());
}

TEST_F(TreemapPaneTest, SelectingInTheGridHighlightsInTheMap)
{
    OpenWindow();
    GoOnSample();
    ShowPane();
    TITreeNode *const classes = Root(QStringLiteral("System.Classes"));
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(classes));
    EXPECT_EQ(Map().HighlightedNode(), classes);
    const QImage picture = Map().grab().toImage();
    EXPECT_EQ(picture.pixel(Map().CellRect(classes).topLeft()) | 0xFF000000u,
              ColorToQRgb(clHighlight) | 0xFF000000u);

    // A symbol row is shown by its unit while the map shows the units.
    classes->SetExpanded(true);
    TITreeNode *const symbol = classes->GetFirstChild();
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(symbol));
    EXPECT_EQ(Map().HighlightedNode(), symbol);
    EXPECT_EQ(Map().ZoomNode(), nullptr);
}

TEST_F(TreemapPaneTest, AClickInTheMapSelectsTheRowAndScrollsToIt)
{
    OpenWindow();
    GoOnSample();
    ShowPane();
    TITreeNode *const unit = Root(QStringLiteral("System.SysUtils"));
    ClickInMap(unit);
    EXPECT_EQ(Grid().SelectedNode(), unit);
    EXPECT_EQ(Map().ZoomNode(), unit);
    // The unit's symbols were built for the map, but its row stays closed.
    ASSERT_GT(unit->Count(), 0);
    EXPECT_NE(unit->GetFirstChild()->Text(), QStringLiteral("$"));
    EXPECT_FALSE(unit->Expanded());

    // A symbol: the rows above it open, and it is scrolled into view.
    TITreeNode *leaf = unit->GetFirstChild();
    while (leaf->HasChildren())
        leaf = leaf->GetFirstChild();
    Map().repaint();
    ASSERT_FALSE(Map().CellRect(leaf).isEmpty());
    ClickInMap(leaf);
    EXPECT_EQ(Grid().SelectedNode(), leaf);
    for (const TITreeNode *parent = leaf->Parent(); parent; parent = parent->Parent())
        EXPECT_TRUE(parent->Expanded()) << parent->Text().toStdString();
    EXPECT_TRUE(RowShown(leaf));
    EXPECT_EQ(Map().HighlightedNode(), leaf);
}

TEST_F(TreemapPaneTest, ANewRunKeepsTheMapOnTheUnitItShowed)
{
    OpenWindow();
    GoOnSample();
    ShowPane();
    ClickInMap(Root(QStringLiteral("Main")));
    ASSERT_NE(Map().ZoomNode(), nullptr);

    QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
    EXPECT_TRUE(WaitForRun(*FWindow));
    Map().repaint();
    ASSERT_NE(Map().ZoomNode(), nullptr);
    EXPECT_EQ(Map().ZoomNode(), Root(QStringLiteral("Main")));
    EXPECT_GT(Map().CellCount(), 0);
    EXPECT_TRUE(Map().isEnabled());
}

TEST_F(TreemapPaneTest, TheChoiceAndTheWidthAreKept)
{
    OpenWindow();
    ShowPane();
    QSplitter *const splitter = FWindow->SPUnits();
    const int total = splitter->sizes().at(0) + splitter->sizes().at(1);
    splitter->setSizes({total - 250, 250});
    FWindow->close();

    OpenWindow();
    EXPECT_TRUE(FWindow->CBTreemap()->isChecked());
    EXPECT_TRUE(Map().isVisible());
    EXPECT_EQ(Map().width(), 250);

    // Hidden, the pane still comes back with its width.
    FWindow->CBTreemap()->setChecked(false);
    FWindow->close();
    OpenWindow();
    EXPECT_FALSE(Map().isVisible());
    FWindow->CBTreemap()->setChecked(true);
    EXPECT_EQ(Map().width(), 250);
}

TEST_F(TreemapPaneTest, AStoredWidthThatIsNoNumberGivesAUsableOne)
{
    {
        QSettings settings(QStringLiteral("Brackwell"), QStringLiteral("Quillon"));
        settings.setValue(QStringLiteral("CBTreemap_Checked"), QStringLiteral("true"));
        settings.setValue(QStringLiteral("SPUnits_TreemapWidth"), QStringLiteral("wide"));
    }
    OpenWindow();
    EXPECT_TRUE(Map().isVisible());
    EXPECT_GE(Map().width(), 80);
    EXPECT_GT(Grid().width(), 0);
}

} // namespace
