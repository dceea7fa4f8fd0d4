// The whole executable in the window: switched on from the header band or the keyboard, in the
// unit grid's place with the treemap following, summed in the status bar and kept in the settings.
#include "MainWindowFixture.h"

#include "app/WholeFileView.h"
#include "controls/CTreemapView.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QStackedWidget>

#include <gtest/gtest.h>

namespace {

const QString CorpusCase = QStringLiteral(QUILLON_CORPUS_DIR "/d7-circuit");

class WholeFileViewTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        if (!QFileInfo(CorpusCase + QStringLiteral("/Project1.exe")).isFile())
            GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    }
    TWholeFileView &View() { return *FWindow->WholeFileView(); }
    void GoOn(const QString &mapFile)
    {
        FWindow->FEMapFile()->SetFileName(mapFile);
        FWindow->DEFilePath()->setText(QFileInfo(mapFile).path());
        QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
        ASSERT_TRUE(WaitForRun(*FWindow));
    }
    QWidget *ShownGrid()
    {
        return FWindow->findChild<QStackedWidget *>(QStringLiteral("SKGrids"))->currentWidget();
    }
};

TEST_F(WholeFileViewTest, SwitchedByKeyboardShowsEveryByteAndIsKept)
{
    OpenWindow();
    QCheckBox *const box = View().Switch();
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(box->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(box->toolTip().isEmpty());
    EXPECT_EQ(ShownGrid(), &Grid());
    GoOn(CorpusCase + QStringLiteral("/Project1.map"));

    QTest::keyClick(FWindow.get(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(box->isChecked());
    EXPECT_EQ(ShownGrid(), View().Grid());
    QStringList parts;
    qint64 total = 0;
    for (const TITreeNode *node = View().Grid()->Items().GetFirstNode(); node; node = node->NextSibling()) {
        parts << node->Text();
        total += node->Tag();
    }
    EXPECT_EQ(parts.mid(0, 4), (QStringList{QStringLiteral("Headers"), QStringLiteral("CODE"),
                                            QStringLiteral("DATA"), QStringLiteral("BSS")}));
    EXPECT_EQ(total, 850944);

    // The treemap follows the grid shown: its cells are the file's parts.
    FWindow->CBTreemap()->setChecked(true);
    QCoreApplication::processEvents();
    TITreeNode *const code = View().Grid()->Items().GetFirstNode()->NextSibling();
    FWindow->TMUnits()->repaint();
    EXPECT_FALSE(FWindow->TMUnits()->CellRect(code).isEmpty());
    EXPECT_EQ(FWindow->TMUnits()->CrumbTexts().first(), QStringLiteral("Whole file"));

    View().Grid()->SetSelectedNode(code);
    EXPECT_TRUE(
        FWindow->StatusPanel(0)->text().startsWith(QStringLiteral("1 part: 562.5 kB in the file (67.69%)")))
        << FWindow->StatusPanel(0)->text().toStdString();
    if (qEnvironmentVariableIsSet("QUILLON_WHOLE_FILE_PICTURE")) {
        code->SetExpanded(true);
        FWindow->resize(1100, 640);
        QCoreApplication::processEvents();
        FWindow->grab().save(qEnvironmentVariable("QUILLON_WHOLE_FILE_PICTURE"));
    }

    FWindow->close();
    OpenWindow();
    EXPECT_TRUE(View().Switch()->isChecked());
    EXPECT_EQ(ShownGrid(), View().Grid());
    QTest::keyClick(FWindow.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(ShownGrid(), &Grid());
}

TEST_F(WholeFileViewTest, AnExecutableOfAnotherBuildLeavesTheViewEmptyWithANote)
{
    OpenWindow();
    View().Switch()->setChecked(true);
    GoOn(QStringLiteral(QUILLON_CORPUS_DIR "/d2005-bank-large/bank.map"));
    EXPECT_EQ(View().Grid()->Items().RootCount(), 0);
    EXPECT_TRUE(FWindow->StatusPanel(0)->toolTip().contains(QStringLiteral("comes from another build")))
        << FWindow->StatusPanel(0)->toolTip().toStdString();
}

} // namespace
