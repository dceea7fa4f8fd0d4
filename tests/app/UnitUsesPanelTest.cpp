// The window's panel of why a unit is linked: shown from the header band, following the grid's
// selection, and leading the grid to the units it names.
#include "MainWindowFixture.h"

#include "app/UnitUsesPanel.h"
#include "support/MapFileWriter.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class UnitUsesPanelTest : public MainWindowFixture
{
protected:
    // App uses A and B; A uses Big in its interface and Shared in its implementation; B uses Shared.
    void GoOnProgram()
    {
        WriteMapFile(FDir.filePath(u"App.map"_s),
                     {{u"System"_s, 100},
                      {u"SysInit"_s, 10},
                      {u"Big"_s, 5000},
                      {u"Shared"_s, 300},
                      {u"A"_s, 200},
                      {u"B"_s, 150},
                      {u"App"_s, 50}},
                     {}, 5810);
        WriteTestFile(FDir.filePath(u"App.dpr"_s), "program App;\nuses A in 'src\\A.pas', B;\nbegin\nend.\n");
        WriteTestFile(FDir.filePath(u"src/A.pas"_s),
                      "unit A;\ninterface\nuses Big;\nimplementation\nuses Shared;\nend.");
        WriteTestFile(FDir.filePath(u"src/B.pas"_s),
                      "unit B;\ninterface\nuses Shared;\nimplementation\nend.");
        WriteTestFile(FDir.filePath(u"src/Big.pas"_s), "unit Big;\ninterface\nimplementation\nend.");
        WriteTestFile(FDir.filePath(u"src/Shared.pas"_s), "unit Shared;\ninterface\nimplementation\nend.");
        FWindow->FEMapFile()->SetFileName(FDir.filePath(u"App.map"_s));
        FWindow->DEFilePath()->setText(FDir.path() + u'/');
        QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
        EXPECT_TRUE(WaitForRun(*FWindow));
    }
    TUnitUsesPanel &Panel() { return *FWindow->UnitUses(); }
    // Section captions with their rows: "Used directly by (2): A B".
    QStringList Sections()
    {
        QStringList sections;
        for (int i = 0; i < Panel().Rows()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *section = Panel().Rows()->topLevelItem(i);
            QStringList rows;
            for (int r = 0; r < section->childCount(); ++r)
                rows << section->child(r)->text(0);
            sections << section->text(0) + u": "_s + rows.join(u' ');
        }
        return sections;
    }

    QTemporaryDir FDir;
};

TEST_F(UnitUsesPanelTest, HiddenAtFirstShownByTheCheckBoxOrCtrlU)
{
    OpenWindow();
    EXPECT_FALSE(Panel().isVisible());
    EXPECT_FALSE(FWindow->CBUnitUses()->toolTip().isEmpty());
    QTest::keyClick(FWindow.get(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_TRUE(FWindow->CBUnitUses()->isChecked());
    EXPECT_TRUE(Panel().isVisible());
    EXPECT_EQ(Panel().Title()->text().toStdString(), "Select a unit to see why it is linked.");
    EXPECT_EQ(NextByTab(FWindow->CBUnitUses()), Panel().Rows());
    QTest::keyClick(FWindow.get(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_FALSE(Panel().isVisible());
}

TEST_F(UnitUsesPanelTest, FollowsTheGridAndLeadsIt)
{
    OpenWindow();
    FWindow->CBUnitUses()->setChecked(true);
    GoOnProgram();
    Grid().SetSelectedNode(Root(u"Shared"_s));
    EXPECT_EQ(Panel().Title()->text().toStdString(),
              "Shared: 300 bytes of code. Removing it saves 300 bytes in 1 unit.");
    EXPECT_EQ(
        Sections().join(u" | "_s).toStdString(),
        "Shortest chain from the program: App A Shared | Chain 2: App B Shared | Used directly by (2): A B | "
        "Keeps alive (300 bytes): Shared");
    EXPECT_EQ(Panel().Rows()->topLevelItem(0)->child(2)->text(1).toStdString(), "implementation, source");

    // A row of the panel selects its unit in the grid, and the panel answers for it.
    QTreeWidgetItem *a = Panel().Rows()->topLevelItem(0)->child(1);
    Panel().Rows()->scrollToItem(a);
    QTest::mouseClick(Panel().Rows()->viewport(), Qt::LeftButton, {},
                      Panel().Rows()->visualItemRect(a).center());
    ASSERT_TRUE(Grid().SelectedNode());
    EXPECT_EQ(Grid().SelectedNode()->Text().toStdString(), "A");
    EXPECT_EQ(Panel().Title()->text().toStdString(),
              "A: 200 bytes of code. Removing it saves up to 5,200 bytes in 2 units.");
    EXPECT_EQ(Sections().back().toStdString(), "Keeps alive (5,200 bytes): A Big");
}

TEST_F(UnitUsesPanelTest, AUnitWithoutKnownChain)
{
    OpenWindow();
    FWindow->CBUnitUses()->setChecked(true);
    GoOnProgram();
    Grid().SetSelectedNode(Root(u"System"_s));
    // System is named by no source: only the implicit uses of the program lead to it.
    EXPECT_EQ(Sections().front().toStdString(), "Shortest chain from the program: App System");
    // A search folder without the sources: A's uses are unknown, and with them the way to Big.
    const QTemporaryDir empty;
    FWindow->DEFilePath()->setText(empty.path() + u'/');
    QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
    EXPECT_TRUE(WaitForRun(*FWindow));
    Grid().SetSelectedNode(Root(u"Big"_s));
    EXPECT_TRUE(
        Panel().Title()->text().startsWith(u"Big: 5,000 bytes of code. No chain from the program is known"_s))
        << Panel().Title()->text().toStdString();
}

// The picture of the panel in docs/.
TEST_F(UnitUsesPanelTest, Picture)
{
    OpenWindow();
    FWindow->resize(1100, 560);
    FWindow->CBUnitUses()->setChecked(true);
    GoOnProgram();
    Grid().SetSelectedNode(Root(u"Shared"_s));
    QCoreApplication::processEvents();
    const QImage image = FWindow->grab().toImage();
    EXPECT_FALSE(image.isNull());
    const QString out = qEnvironmentVariable("QUILLON_PICTURE_DIR");
    if (!out.isEmpty())
        image.save(out + u"/unit-uses-panel.png"_s);
}

} // namespace
