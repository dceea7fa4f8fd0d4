// The whole executable in the window: switched on from the header band or the keyboard, in the
// unit grid's place with the treemap following, summed in the status bar and kept in the settings.
#include "MainWindowFixture.h"

#include "app/UnitUsesPanel.h"
#include "app/WholeFileView.h"
#include "controls/CTreemapView.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>

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
        QWidget *page = FWindow->findChild<QStackedWidget *>(QStringLiteral("SKGrids"))->currentWidget();
        return page == View().Page() ? View().Grid() : page;
    }
    qint64 PartsTotal()
    {
        qint64 total = 0;
        for (const TITreeNode *node = View().Grid()->Items().GetFirstNode(); node; node = node->NextSibling())
            total += node->Tag();
        return total;
    }
    QString Header() { return View().ExecutableLabel()->text(); }
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
    EXPECT_TRUE(Header().contains(QStringLiteral("comes from another build"))) << Header().toStdString();
    EXPECT_FALSE(View().ExecutableLabel()->styleSheet().isEmpty()) << "the warning stands out";
}

// The MAP file's executable under another name, no project file beside them: the whole file and the
// program's uses (its PACKAGEINFO) come only from the executable the user names.
TEST_F(WholeFileViewTest, TheExecutableIsChosenPerMapFileAndFeedsTheWhyLinkedPanel)
{
    QTemporaryDir dir;
    const QString mapFile = dir.filePath(QStringLiteral("Project1.map"));
    const QString exe = dir.filePath(QStringLiteral("Circuit.exe"));
    ASSERT_TRUE(QFile::copy(CorpusCase + QStringLiteral("/Project1.map"), mapFile));
    ASSERT_TRUE(QFile::copy(CorpusCase + QStringLiteral("/Project1.exe"), exe));
    // The project file beside the MAP file is missing: the window says so, once per run.
    TMessageCatcher messages;
    OpenWindow();
    TExecutableSelector &selector = View().Executable();
    EXPECT_FALSE(selector.Menu()->isEnabled()) << "nothing to choose for before a run";
    View().Switch()->setChecked(true);
    FWindow->CBUnitUses()->setChecked(true);
    GoOn(mapFile);
    EXPECT_TRUE(selector.Menu()->isEnabled());
    EXPECT_TRUE(selector.BesideAction()->isChecked());
    EXPECT_EQ(View().Grid()->Items().RootCount(), 0);
    EXPECT_TRUE(Header().startsWith(QStringLiteral("No executable beside the MAP file (Project1 with .exe")))
        << Header().toStdString();
    Grid().SetSelectedNode(Root(QStringLiteral("Unit1")));
    const auto unit1Reachable = [this] {
        const TUnitGraph &graph = FWindow->UnitUses()->Build()->Graph;
        return graph.Reachable(*graph.IndexOf(QStringLiteral("Unit1")));
    };
    EXPECT_FALSE(unit1Reachable()) << "no uses of the program are known";

    // Chosen from the button's menu, reached by the keyboard from the switch.
    EXPECT_EQ(NextByTab(View().Switch()), View().ExecutableButton());
    EXPECT_TRUE(View().ExecutableButton()->text().contains(u'&'));
    EXPECT_EQ(View().ExecutableButton()->menu(), selector.Menu());
    EXPECT_TRUE(Grid().RowsMenu()->actions().contains(selector.Menu()->menuAction()))
        << "also in the unit grid's menu, for the Why linked panel";
    QString asked;
    selector.Chooser = [&](const QString &startFolder) {
        asked = startFolder;
        return exe;
    };
    selector.ChooseAction()->trigger();
    EXPECT_EQ(QFileInfo(asked), QFileInfo(dir.path())) << "the dialog starts beside the MAP file";
    EXPECT_EQ(PartsTotal(), 850944);
    EXPECT_TRUE(Header().startsWith(QStringLiteral("Circuit.exe (chosen): 850,944 bytes, PE32")))
        << Header().toStdString();
    EXPECT_TRUE(View().ExecutableLabel()->toolTip().contains(QDir::toNativeSeparators(exe)));
    EXPECT_TRUE(selector.NamedAction()->isVisible());
    EXPECT_TRUE(selector.NamedAction()->isChecked());
    EXPECT_EQ(selector.NamedAction()->text(), QStringLiteral("Circuit.exe"));
    EXPECT_TRUE(unit1Reachable()) << "the program's uses from the chosen executable's PACKAGEINFO";

    // Kept for that MAP file: the next window reads the same executable.
    FWindow->close();
    OpenWindow();
    GoOn(mapFile);
    EXPECT_EQ(PartsTotal(), 850944);
    EXPECT_EQ(View().Executable().Choice().Mode, TExecutableChoice::Named);

    // Switched off: nothing is read, and the panel knows no uses of the program again.
    TExecutableSelector &again = View().Executable();
    Grid().SetSelectedNode(Root(QStringLiteral("Unit1")));
    again.NoneAction()->trigger();
    EXPECT_EQ(View().Grid()->Items().RootCount(), 0);
    EXPECT_EQ(Header(), QStringLiteral("No executable: switched off for this MAP file."));
    EXPECT_TRUE(again.NoneAction()->isChecked());
    EXPECT_FALSE(again.NamedAction()->isVisible());
    EXPECT_FALSE(unit1Reachable());

    // A file that is no executable is refused in the header and the status bar, whichever grid shows.
    View().Switch()->setChecked(false);
    again.Chooser = [&](const QString &) { return mapFile; };
    again.ChooseAction()->trigger();
    EXPECT_EQ(View().Grid()->Items().RootCount(), 0);
    EXPECT_FALSE(Header().isEmpty());
    EXPECT_EQ(FWindow->StatusPanel(0)->toolTip(), Header());
    // Another executable of another build is refused with the warning, and not used.
    again.Chooser = [](const QString &) { return QStringLiteral(QUILLON_CORPUS_DIR "/d2005-bank-large/bank.exe"); };
    again.ChooseAction()->trigger();
    EXPECT_TRUE(Header().contains(QStringLiteral("comes from another build"))) << Header().toStdString();
    EXPECT_FALSE(unit1Reachable());

    // Back to the file beside the MAP file, which is none here; the choice is forgotten.
    again.BesideAction()->trigger();
    FWindow->close();
    OpenWindow();
    GoOn(mapFile);
    EXPECT_EQ(View().Executable().Choice().Mode, TExecutableChoice::Beside);
}

} // namespace
