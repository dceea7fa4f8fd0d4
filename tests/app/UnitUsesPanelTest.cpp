// The window's panel of why a unit is linked: shown from the header band, following the grid's
// selection, and leading the grid to the units it names.
#include "MainWindowFixture.h"

#include "analysis/MapAnalysis.h"
#include "app/RetainedSizeColumn.h"
#include "app/UnitUsesPanel.h"
#include "cli/ReportOutput.h"
#include "cli/ReportWriter.h"
#include "controls/DMInteractiveCustomControl.h"
#include "controls/ITVColumnMenu.h"
#include "support/MapFileWriter.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
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

// The retained size of every unit row, as the grid shows it: "A <= 5200".
QStringList RetainedCells(TITreeView &grid)
{
    QStringList cells;
    for (const TITreeNode *node = grid.Items().GetFirstNode(); node; node = node->NextSibling())
        cells << node->Text() + u' ' + TRetainedSizeColumn::CellText(node);
    return cells;
}

// quillon-cli report --retained over the same MAP file and folder, in the same form.
QStringList ReportedRetainedSizes(const QString &mapFile, const QString &folder)
{
    TTreeGridModel grid;
    TMapAnalysis analysis(grid);
    TMapAnalysis::SetupUnitColumns(grid);
    analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
    EXPECT_TRUE(analysis.Run(mapFile, folder));
    TCliOptions options;
    options.Format = TReportFormat::Json;
    options.Retained = true;
    options.SearchDir = folder;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteReport(analysis, grid, options, out, nullptr)->Finish());
    QStringList cells;
    for (const QJsonValue unit : QJsonDocument::fromJson(out.data()).object().value(u"units"_s).toArray()) {
        const QJsonObject row = unit.toObject();
        const QJsonValue size = row.value(u"retained_size"_s);
        cells << row.value(u"name"_s).toString() + u' ' +
                     (size.isNull() ? u"-"_s
                                    : (row.value(u"retained_upper_bound"_s).toBool() ? u"<= "_s : QString()) +
                                          QString::number(size.toInteger()));
    }
    return cells;
}

TEST_F(UnitUsesPanelTest, RetainedSizeColumnIsOfferedAndBuiltOnlyWhenShown)
{
    OpenWindow();
    GoOnProgram();
    TITVColumn *const column = Grid().Column(TMapAnalysis::RetainedSizeColumn);
    EXPECT_EQ(column->Caption(), u"Retained size"_s);
    EXPECT_FALSE(column->Visible()) << "off by default";
    EXPECT_EQ(Panel().Build(), nullptr) << "a run with the column hidden builds no unit graph";
    EXPECT_EQ(TRetainedSizeColumn::CellText(Root(u"Shared"_s)), QString());

    // Shown from the header's column menu, the column fills at once, as the report writes it.
    TITVColumnMenu::Fill(&Grid());
    QMenu *const menu = TDMInteractiveCustomControl::Instance().PMColumn();
    QAction *item = nullptr;
    for (QAction *action : menu->actions())
        if (action->text() == u"Retained size"_s)
            item = action;
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->isChecked());
    menu->triggered(item);
    EXPECT_TRUE(column->Visible());
    EXPECT_NE(Panel().Build(), nullptr);
    QStringList reported = ReportedRetainedSizes(FDir.filePath(u"App.map"_s), FDir.path() + u'/');
    QStringList shown = RetainedCells(Grid());
    reported.sort();
    shown.sort();
    EXPECT_EQ(shown.join(u'|').toStdString(), reported.join(u'|').toStdString());
    EXPECT_TRUE(shown.contains(u"Shared 300"_s)) << shown.join(u'|').toStdString();
    EXPECT_TRUE(shown.contains(u"A <= 5200"_s)) << "the upper bound marked as the CLI marks it";

    // Sortable as numbers, the marks aside; the copy takes what the cell shows.
    Grid().SortBy(TMapAnalysis::RetainedSizeColumn, sdDescending);
    EXPECT_EQ(Grid().Items().GetFirstNode()->Text(), u"App"_s);
    QStringList order;
    for (const TITreeNode *node = Grid().Items().GetFirstNode(); node; node = node->NextSibling())
        order << node->Text();
    EXPECT_LT(order.indexOf(u"Big"_s), order.indexOf(u"Shared"_s));
    EXPECT_LT(order.indexOf(u"Shared"_s), order.indexOf(u"B"_s));
    EXPECT_EQ(Grid().Column(TMapAnalysis::RetainedSizeColumn)
                  ->OnGetNodeContentText(&Grid(), Root(u"A"_s), TMapAnalysis::RetainedSizeColumn),
              u"<= 5200"_s);

    // Retained sizes overlap: the status bar adds up code, never them.
    Grid().SetSelectedNode(Root(u"A"_s));
    EXPECT_FALSE(FWindow->StatusPanel(0)->text().contains(u"5200"_s)) << FWindow->StatusPanel(0)->text().toStdString();

    // A new run fills the column again, in its order.
    QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
    ASSERT_TRUE(WaitForRun(*FWindow));
    shown = RetainedCells(Grid());
    shown.sort();
    EXPECT_EQ(shown.join(u'|').toStdString(), reported.join(u'|').toStdString());
}

// The picture of the panel in docs/.
TEST_F(UnitUsesPanelTest, Picture)
{
    OpenWindow();
    FWindow->resize(1100, 560);
    FWindow->CBUnitUses()->setChecked(true);
    Grid().Column(TMapAnalysis::RetainedSizeColumn)->SetVisible(true);
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
