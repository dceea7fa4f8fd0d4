// The program through its real window, offscreen: the Go run, sorting, opening units, the selection
// summary, copying, failures, persistence and the command line.
#include "MainWindowFixture.h"

#include "analysis/BaselineColumns.h"
#include "analysis/MapAnalysis.h"
#include "app/FMain.h"
#include "app/FScanFilesAbort.h"
#include "base/UFormat.h"
#include "base/XLists.h"
#include "controls/CDirectoryEdit.h"
#include "controls/CFileComboEdit.h"
#include "controls/UFormStorage.h"
#include "controls/UTimer97.h"

#include "QuillonVersion.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainWindowTest : public MainWindowFixture
{
protected:
    void Go(const QString &mapFile, const QString &searchFolder)
    {
        FWindow->FEMapFile()->SetFileName(mapFile);
        FWindow->DEFilePath()->setText(searchFolder);
        QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
        EXPECT_TRUE(WaitForRun(*FWindow));
    }

    void GoOnSample() { Go(SampleMap(), SourceDir() + QStringLiteral("/examples/sample/")); }
};

TEST_F(MainWindowTest, CaptionCarriesVersionAndPublisher)
{
    OpenWindow();
    EXPECT_EQ(
        FWindow->windowTitle(),
        QStringLiteral("Quillon v%1.%2 - Brackwell").arg(QUILLON_VERSION_MAJOR).arg(QUILLON_VERSION_MINOR));
    EXPECT_TRUE(Grid().MultiSelect());
    EXPECT_EQ(FWindow->DEFilePath()->text(), QStringLiteral("S:\\"));
}

// The designed "S:\\" names no folder here: the first Go scans the MAP file's folder rather than
// answering that the folder does not exist.
TEST_F(MainWindowTest, WithoutAStoredSearchFolderTheFirstGoScansTheMapFilesFolder)
{
    QTemporaryDir folder;
    QFile(folder.filePath("App.dpr")).open(QIODevice::WriteOnly);
    QFile dcu(folder.filePath("Main.dcu"));
    ASSERT_TRUE(dcu.open(QIODevice::WriteOnly));
    dcu.write(QByteArray(500, 'x'));
    dcu.close();
    const QString map = WriteMapFile(folder.filePath("App.map"), {{"Main", 99}}, {{0, "Main.Run"}}, 99);
    OpenWindow();
    ASSERT_EQ(FWindow->DEFilePath()->text(), QStringLiteral("S:\\"));
    TMessageCatcher messages;
    FWindow->FEMapFile()->SetFileName(map);
    QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_TRUE(messages.Messages.isEmpty()) << messages.Messages.join(u'\n').toStdString();
    EXPECT_EQ(QDir(FWindow->DEFilePath()->text()), QDir(folder.path()));
    EXPECT_EQ(Grid().Items().GetFirstNode()->ColumnStringsIfAny()->Get(3), "5.0");
}

TEST_F(MainWindowTest, GoFillsTheGridLargestUnitFirst)
{
    OpenWindow();
    TMessageCatcher messages;
    GoOnSample();

    EXPECT_TRUE(messages.Messages.isEmpty()) << messages.Messages.join(u'\n').toStdString();
    EXPECT_EQ(RootTexts(),
              QStringList({"Main", "System.Classes", "System.SysUtils", "System", "Vcl.Controls", "Vcl.Forms",
                           "Data.Helpers", "About", "SampleApp", "System.Types", "SysInit"}));
    const TITreeNode *main = Root(QStringLiteral("Main"));
    EXPECT_EQ(main->Tag(), 0x870);
    EXPECT_EQ(main->Data(), 4208);
    EXPECT_EQ(main->ColumnStringsIfAny()->Strings(3), QStringLiteral("4.4"));
    EXPECT_EQ(Root(QStringLiteral("System"))->ColumnStringsIfAny()->Strings(3), QStringLiteral("-"));
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());
    EXPECT_TRUE(Grid().isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, HeaderClickResortsTheUnits)
{
    OpenWindow();
    GoOnSample();
    Grid().grab();
    const QPoint unitHeader(100, Grid().HeaderHeight() / 2);

    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, unitHeader);
    EXPECT_EQ(RootTexts().first(), QStringLiteral("About"));
    EXPECT_EQ(RootTexts().last(), QStringLiteral("Vcl.Forms"));

    Grid().grab();
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, unitHeader);
    EXPECT_EQ(RootTexts().first(), QStringLiteral("Vcl.Forms"));
}

TEST_F(MainWindowTest, OpeningAUnitShowsItsSymbols)
{
    OpenWindow();
    GoOnSample();
    TITreeNode *main = Root(QStringLiteral("Main"));
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(main));
    ASSERT_EQ(Grid().SelectedNode(), main);

    QTest::keyClick(&Grid(), Qt::Key_Right);

    ASSERT_TRUE(main->Expanded());
    ASSERT_GT(main->Count(), 0);
    EXPECT_NE(main->GetFirstChild()->Text(), QStringLiteral("$"));
    qint64 childSizes = 0;
    for (int i = 0; i < main->Count(); ++i) {
        childSizes += main->Item(i)->Tag();
        if (i > 0) {
            EXPECT_GE(main->Item(i - 1)->Tag(), main->Item(i)->Tag()) << "children keep the size order";
        }
    }
    EXPECT_EQ(childSizes, main->Tag()) << "grouped by address, the rows add up to the unit";
}

namespace {

QStringList ChildTexts(const TITreeNode *node)
{
    QStringList texts;
    for (const TITreeNode *child = node->GetFirstChild(); child; child = child->NextSibling())
        texts << child->Text();
    return texts;
}

} // namespace

TEST_F(MainWindowTest, TheGroupingChangesWithoutANewRunAndIsKept)
{
    OpenWindow();
    EXPECT_FALSE(FWindow->CBGroupByName()->isChecked()) << "by address by default";
    GoOnSample();
    TITreeNode *main = Root(QStringLiteral("Main"));
    main->SetExpanded(true);
    EXPECT_TRUE(ChildTexts(main).contains(QStringLiteral("[no public symbol]")));

    QTest::mouseClick(FWindow->CBGroupByName(), Qt::LeftButton, {},
                      QPoint(6, FWindow->CBGroupByName()->height() / 2));
    ASSERT_TRUE(FWindow->CBGroupByName()->isChecked());
    EXPECT_EQ(Root(QStringLiteral("Main")), main) << "no new run";
    EXPECT_TRUE(main->Expanded());
    EXPECT_FALSE(ChildTexts(main).contains(QStringLiteral("[no public symbol]")));
    EXPECT_EQ(ChildTexts(main).first(), QStringLiteral("TFormMain")) << "sorted as the grid is";
    EXPECT_EQ(ChildTexts(Root(QStringLiteral("Vcl.Forms"))), QStringList({QStringLiteral("$")}))
        << "units not opened stay lazy";
    FWindow->close();

    OpenWindow();
    EXPECT_TRUE(FWindow->CBGroupByName()->isChecked()) << "kept in the settings";
    GoOnSample();
    Root(QStringLiteral("Main"))->SetExpanded(true);
    EXPECT_FALSE(ChildTexts(Root(QStringLiteral("Main"))).contains(QStringLiteral("[no public symbol]")));
}

TEST_F(MainWindowTest, SelectionSummaryAndCopiedLines)
{
    OpenWindow();
    GoOnSample();
    EXPECT_EQ(FWindow->StatusPanel(1)->text(), QStringLiteral("Brackwell"));

    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(Root(QStringLiteral("Main"))));
    QTest::mouseClick(&Grid(), Qt::LeftButton, Qt::ControlModifier, RowPoint(Root(QStringLiteral("About"))));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("2 units: 2.4 kB code (28.40%), 4.8 kB DFM"));
    // The painted cells copy what they show, so a paste into a spreadsheet holds the numbers.
    EXPECT_EQ(Grid().SelectedLinesText().toStdString(),
              "\"Main\"\t\"2160\"\t\"24.98 %\"\t\"4208\"\t\"4.4\"\r\n"
              "\"About\"\t\"296\"\t\"3.42 %\"\t\"724\"\t\"10.7\"");

    QTest::keyClick(&Grid(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("0 units: 0.0 kB code (0.00%), 0.0 kB DFM"));
}

TEST_F(MainWindowTest, CopyCellTakesThePaintedText)
{
    OpenWindow();
    GoOnSample();
    struct TCase
    {
        const char *Unit;
        int X;
        const char *Copied;
    } cases[] = {
        {"Main", 275 + 60, "2160"},
        {"Main", 275 + 120 + 20, "24.98 %"},
        {"Main", 275 + 120 + 55 + 40, "4208"},
        {"System", 275 + 120 + 55 + 40, "-"},
    };
    for (const TCase &c : cases) {
        QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(Root(QString::fromLatin1(c.Unit)), c.X));
        Grid().CopyCell();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1(c.Copied))
            << c.Unit << " " << c.X;
    }
}

TEST_F(MainWindowTest, KeyboardRangeSelectionUpdatesTheSummary)
{
    OpenWindow();
    GoOnSample();
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(Root(QStringLiteral("Main"))));
    QTest::keyClick(&Grid(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&Grid(), Qt::Key_Down, Qt::ShiftModifier);
    // Main, System.Classes and System.SysUtils.
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("3 units: 4.3 kB code (50.51%), 4.1 kB DFM"));
}

TEST_F(MainWindowTest, ANewRunStartsWithTheSummaryOfItsEmptySelection)
{
    OpenWindow();
    GoOnSample();
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(Root(QStringLiteral("Main"))));
    ASSERT_TRUE(FWindow->StatusPanel(0)->text().startsWith(QStringLiteral("1 units: ")));
    QTemporaryDir folder;
    const QString other = WriteMapFile(folder.filePath(QStringLiteral("Other.map")), {{"Solo", 0x100}},
                                       {{0, "Solo.Run"}}, 0x100);
    TMessageCatcher projectFileMissing;
    Go(other, folder.path() + u'/');
    EXPECT_EQ(RootTexts(), QStringList(QStringLiteral("Solo")));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("0 units: 0.0 kB code (0.00%), 0.0 kB DFM"));
}

// After a run the grid is sorted by a painted column that holds no text: typing still finds units.
TEST_F(MainWindowTest, TypingAfterARunFindsAUnitByName)
{
    OpenWindow();
    GoOnSample();
    ASSERT_EQ(Grid().SortColumnIndex(), 1);
    QTest::keyClicks(&Grid(), QStringLiteral("ab"));
    ASSERT_NE(Grid().SelectedNode(), nullptr);
    EXPECT_EQ(Grid().SelectedNode()->Text(), QStringLiteral("About"));
}

TEST_F(MainWindowTest, SelectedSymbolRowsAreSummedWhereNoUnitIsSelected)
{
    OpenWindow();
    GoOnSample();
    TITreeNode *main = Root(QStringLiteral("Main"));
    main->SetExpanded(true);
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(main->GetFirstChild()));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(),
              Format(QStringLiteral("1 row: %.1f kB"), {double(main->GetFirstChild()->Tag()) / 1024}));
    // Symbol rows add up, a row inside another selected one once.
    TITreeNode *const second = main->GetFirstChild()->NextSibling();
    ASSERT_TRUE(second);
    QTest::mouseClick(&Grid(), Qt::LeftButton, Qt::ControlModifier, RowPoint(second));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(),
              Format(QStringLiteral("2 rows: %.1f kB"),
                     {double(main->GetFirstChild()->Tag() + second->Tag()) / 1024}));
    // With a unit among them the units are summed, as designed.
    QTest::mouseClick(&Grid(), Qt::LeftButton, Qt::ControlModifier, RowPoint(main));
    EXPECT_TRUE(FWindow->StatusPanel(0)->text().startsWith(QStringLiteral("1 units: ")));
}

TEST_F(MainWindowTest, MissingMapFileOnlyShowsAMessage)
{
    OpenWindow();
    GoOnSample();
    const QString missing = QDir::tempPath() + QStringLiteral("/no-such-quillon.map");
    TMessageCatcher messages;
    Go(missing, QStringLiteral("S:\\"));

    EXPECT_EQ(messages.Messages,
              QStringList(QStringLiteral("MAP File \"") + missing + QStringLiteral("\" not available.")));
    EXPECT_EQ(RootTexts().size(), 11);
}

TEST_F(MainWindowTest, MalformedMapGetsAMessageAndTheProgramGoesOn)
{
    QTemporaryDir folder;
    QFile sample(SampleMap());
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray text = sample.readAll();
    text.replace("0001:00000958 00000460", "0001:00000958 0000ZZZZ");
    QFile broken(folder.filePath(QStringLiteral("Broken.map")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(text);
    broken.close();

    OpenWindow();
    {
        TMessageCatcher messages;
        Go(broken.fileName(), folder.path() + u'/');
        ASSERT_FALSE(messages.Messages.isEmpty());
        EXPECT_TRUE(messages.Messages.last().contains(QStringLiteral("is not a valid integer value")))
            << messages.Messages.last().toStdString();
    }
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());
    EXPECT_TRUE(Grid().isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    TMessageCatcher messages;
    GoOnSample();
    EXPECT_TRUE(messages.Messages.isEmpty());
    EXPECT_EQ(RootTexts().size(), 11);
}

TEST_F(MainWindowTest, ResizeKeepsThePublisherPanelAtTheRightEnd)
{
    OpenWindow();
    FWindow->resize(680, 400);
    QApplication::processEvents();
    EXPECT_EQ(FWindow->StatusPanel(0)->width(), FWindow->frameGeometry().width() - 180);
    EXPECT_EQ(FWindow->BBGo()->geometry().right(), FWindow->width() - 13);
}

TEST_F(MainWindowTest, F1OpensTheHelpPage)
{
    OpenWindow();
    std::vector<TShellRequest> requests;
    FWindow->SetShellExecutor([&requests](const TShellRequest &request) { requests.push_back(request); });
    // Shortcuts reach the active window only.
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
    QTest::keyClick(FWindow.get(), Qt::Key_F1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests.front().FileName, TQuillonMain::HelpPageAddress);
}

TEST_F(MainWindowTest, CommandLineArgumentPreselectsTheMapFileOnce)
{
    QTemporaryDir folder;
    QFile executable(folder.filePath(QStringLiteral("App.exe")));
    ASSERT_TRUE(executable.open(QIODevice::WriteOnly));
    executable.close();

    OpenWindow({QStringLiteral("quillon"), folder.filePath(QStringLiteral("App.exe"))});
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), folder.filePath(QStringLiteral("App.map")));

    FWindow->FEMapFile()->SetFileName(QStringLiteral("typed.map"));
    FWindow->hide();
    FWindow->show();
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), QStringLiteral("typed.map"));
}

TEST_F(MainWindowTest, PlacementAndFieldsSurviveARestart)
{
    OpenWindow();
    FWindow->FEMapFile()->SetFileName(SampleMap());
    FWindow->DEFilePath()->setText(QStringLiteral("/some/folder/"));
    FWindow->setGeometry(120, 90, 700, 420);
    FWindow->close();

    OpenWindow({QStringLiteral("quillon"), QDir::tempPath() + QStringLiteral("/no-such-file.exe")});
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), SampleMap());
    EXPECT_EQ(FWindow->DEFilePath()->text(), QStringLiteral("/some/folder/"));
    EXPECT_EQ(FWindow->size(), QSize(700, 420));
}

TEST_F(MainWindowTest, SettingsLiveInTheProgramsKeyItself)
{
    OpenWindow();
    FWindow->DEFilePath()->setText(QStringLiteral("/some/folder/"));
    FWindow->close();
    const QSettings settings(QStringLiteral("Brackwell"), QStringLiteral("Quillon"));
    EXPECT_EQ(settings.childGroups(), QStringList());
    EXPECT_EQ(settings.value(QStringLiteral("DEFilePath_Text")).toString(), QStringLiteral("/some/folder/"));
    EXPECT_TRUE(settings.contains(QStringLiteral("NormPos")));
}

// Earlier versions kept the values in a group named after the window class: the first start reads
// them, so the placement and the fields survive the update, and the group goes.
TEST_F(MainWindowTest, PlacementStoredByAnEarlierVersionIsKept)
{
    {
        QSettings settings(QStringLiteral("Brackwell"), QStringLiteral("Quillon"));
        settings.beginGroup(QStringLiteral("TQuillonMain"));
        settings.setValue(QStringLiteral("NormPos"), QStringLiteral("120,90,820,510"));
        settings.setValue(QStringLiteral("PixelsPerInch"),
                          QString::number(TFormPlacement::ScreenPixelsPerInch()));
        settings.setValue(QStringLiteral("DEFilePath_Text"), QStringLiteral("/earlier/folder/"));
        settings.setValue(QStringLiteral("FEMapFile_Text"), SampleMap());
    }
    OpenWindow();
    EXPECT_EQ(FWindow->DEFilePath()->text(), QStringLiteral("/earlier/folder/"));
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), SampleMap());
    EXPECT_EQ(FWindow->size(), QSize(700, 420));
    FWindow->close();

    const QSettings settings(QStringLiteral("Brackwell"), QStringLiteral("Quillon"));
    EXPECT_EQ(settings.childGroups(), QStringList());
    EXPECT_EQ(settings.value(QStringLiteral("DEFilePath_Text")).toString(),
              QStringLiteral("/earlier/folder/"));
}

TEST_F(MainWindowTest, CommandLineWinsOverTheRestoredField)
{
    OpenWindow();
    FWindow->FEMapFile()->SetFileName(QStringLiteral("/restored.map"));
    FWindow->close();

    OpenWindow({QStringLiteral("quillon"), SampleMap()});
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), SampleMap());
}

// Every run makes the project's folder current, so a relative name must not survive in the field.
TEST_F(MainWindowTest, ARelativeArgumentBecomesAnAbsoluteMapFile)
{
    const QString current = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(QUILLON_SOURCE_DIR));
    OpenWindow({QStringLiteral("quillon"), QStringLiteral("examples/sample/SampleApp.map")});
    QDir::setCurrent(current);
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), SampleMap());
}

TEST_F(MainWindowTest, AFileWithoutCodeUnitsGetsTheDialogThatSaysHowToGetADetailedMapFile)
{
    QTemporaryDir folder;
    QFile segments(folder.filePath(QStringLiteral("App.map")));
    ASSERT_TRUE(segments.open(QIODevice::WriteOnly));
    segments.write("\r\n Start         Length     Name                   Class\r\n"
                   " 0001:00401000 00000100H .text                   CODE\r\n");
    segments.close();
    OpenWindow();
    GoOnSample();
    {
        TMessageCatcher messages;
        Go(segments.fileName(), folder.path() + u'/');
        ASSERT_FALSE(messages.Messages.isEmpty());
        EXPECT_TRUE(messages.Messages.last().contains(QStringLiteral(
            "lists no code units: a detailed MAP file is needed. In Delphi set Project Options > "
            "Linking > Map file to \"Detailed\"")))
            << messages.Messages.last().toStdString();
    }
    EXPECT_TRUE(RootTexts().isEmpty());
    EXPECT_TRUE(FWindow->BBGo()->isEnabled());

    // Units without code make a detailed MAP file all the same: no dialog but the missing project's.
    WriteMapFile(folder.filePath(QStringLiteral("Empty.map")), {{QStringLiteral("Main"), 0}}, {}, 0);
    TMessageCatcher messages;
    Go(folder.filePath(QStringLiteral("Empty.map")), folder.path() + u'/');
    EXPECT_EQ(RootTexts(), QStringList(QStringLiteral("Main")));
    for (const QString &message : messages.Messages)
        EXPECT_TRUE(message.startsWith(QStringLiteral("Couldn't locate project file")))
            << message.toStdString();
}

TEST_F(MainWindowTest, AnUnusableSearchFolderGetsADialogAndTheRunGoesOnWithoutTheScan)
{
    OpenWindow();
    const QString missing = QDir::tempPath() + QStringLiteral("/no-such-quillon-folder/");
    TMessageCatcher messages;
    Go(SampleMap(), missing);
    EXPECT_EQ(
        messages.Messages,
        QStringList(QStringLiteral("Search folder \"") + missing +
                    QStringLiteral("\" does not exist. The compiled unit files were not searched: the ratio "
                                   "column stays empty.")));
    EXPECT_EQ(RootTexts().size(), 11);
    EXPECT_EQ(Root(QStringLiteral("Main"))->ColumnStringsIfAny()->Strings(3), QStringLiteral("-"));
    EXPECT_FALSE(FScan->isVisible());
}

TEST_F(MainWindowTest, SeveralCompiledUnitFilesOfOneUnitAreNotedInTheStatusBar)
{
    QTemporaryDir folder;
    for (const char *build : {"Win32/Debug/", "Win32/Release/"}) {
        QDir(folder.path()).mkpath(build);
        QFile dcu(folder.filePath(build + QStringLiteral("Main.dcu")));
        ASSERT_TRUE(dcu.open(QIODevice::WriteOnly));
        dcu.write(QByteArray(9412, 'x'));
    }
    OpenWindow();
    TMessageCatcher messages;
    Go(SampleMap(), folder.path() + u'/');
    EXPECT_TRUE(messages.Messages.isEmpty()) << "no dialog for a note";
    const QString note =
        QStringLiteral("1 unit has more than one .dcu file below the search folder (Main); one of "
                       "each is used. Narrow the search folder to one build's output.");
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), note);
    EXPECT_EQ(FWindow->StatusPanel(0)->toolTip(), note) << "the whole text, whatever the panel's width";
    EXPECT_EQ(Root(QStringLiteral("Main"))->ColumnStringsIfAny()->Strings(3), QStringLiteral("4.4"));

    // The next run without the ambiguity does not keep the note: it shows its own, empty selection.
    Go(SampleMap(), folder.path() + QStringLiteral("/Win32/Debug/"));
    EXPECT_EQ(FWindow->StatusPanel(0)->text(), QStringLiteral("0 units: 0.0 kB code (0.00%), 0.0 kB DFM"));
    EXPECT_TRUE(FWindow->StatusPanel(0)->toolTip().isEmpty());
}

TEST_F(MainWindowTest, AMapFileCutShortIsNotedInTheStatusBar)
{
    QTemporaryDir folder;
    QFile sample(SampleMap());
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray text = sample.readAll();
    QFile cut(folder.filePath(QStringLiteral("Cut.map")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(text.left(text.lastIndexOf("Program entry point")));
    cut.close();
    OpenWindow();
    TMessageCatcher messages;
    Go(cut.fileName(), QString());
    EXPECT_EQ(RootTexts().size(), 11) << "what there is, is shown";
    EXPECT_TRUE(FWindow->StatusPanel(0)->toolTip().contains(
        QStringLiteral("looks incomplete: it does not end with its \"Program entry point at\" line")))
        << FWindow->StatusPanel(0)->toolTip().toStdString();
}

TEST_F(MainWindowTest, AProjectNamedOnTheCommandLineFindsItsMapFileInTheOutputFolders)
{
    QTemporaryDir folder;
    const auto touch = [&folder](const QString &relative) {
        QDir(folder.path()).mkpath(QFileInfo(folder.filePath(relative)).path());
        QFile file(folder.filePath(relative));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    };
    touch(QStringLiteral("App.dpr"));
    touch(QStringLiteral("Win64/Release/App.map"));
    touch(QStringLiteral("Win32/Debug/App.map"));
    OpenWindow({QStringLiteral("quillon"), folder.filePath(QStringLiteral("App.dpr"))});
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), folder.filePath(QStringLiteral("Win32/Debug/App.map")));
    EXPECT_TRUE(FWindow->StatusPanel(0)->text().isEmpty());
    FWindow->close();

    // None there: the field names the MAP file beside it (shown as missing), the status bar where
    // it was looked for.
    touch(QStringLiteral("Tool.dpr"));
    OpenWindow({QStringLiteral("quillon"), folder.filePath(QStringLiteral("Tool.dpr"))});
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), folder.filePath(QStringLiteral("Tool.map")));
    const QString where = folder.path() + u'/';
    EXPECT_EQ(FWindow->StatusPanel(0)->toolTip(),
              QStringLiteral("No MAP file found for Tool.dpr; looked at ") + where +
                  QStringLiteral("Tool.map, ") + where + QStringLiteral("Win32/Debug/Tool.map, ") + where +
                  QStringLiteral("Win32/Release/Tool.map, ") + where +
                  QStringLiteral("Win64/Debug/Tool.map, ") + where +
                  QStringLiteral("Win64/Release/Tool.map"));
}

// The picture of the README: the sample analysed, two units selected, the largest one opened.
TEST_F(MainWindowTest, SampleWindowRendersToAnImage)
{
    OpenWindow();
    GoOnSample();
    TITreeNode *main = Root(QStringLiteral("Main"));
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(main));
    QTest::mouseClick(&Grid(), Qt::LeftButton, Qt::ControlModifier,
                      RowPoint(Root(QStringLiteral("Vcl.Forms"))));
    main->SetExpanded(true);

    const QImage image = FWindow->grab().toImage();
    ASSERT_EQ(image.size(), FWindow->size());
    EXPECT_TRUE(image.save(QStringLiteral(QUILLON_BINARY_DIR "/quillon.png")));
}

// Every MAP file of the corpus: one row per code unit, largest first, shares adding up to 100 %.
TEST_F(MainWindowTest, CorpusProjectsAnalyseCompletely)
{
    QFile index(CorpusDir() + QStringLiteral("/INDEX.tsv"));
    if (!index.open(QIODevice::ReadOnly | QIODevice::Text))
        GTEST_SKIP() << "no corpus at " << CorpusDir().toStdString();
    OpenWindow();
    const QStringList lines = QString::fromUtf8(index.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.split(u'\t');
        const QString folder = CorpusDir() + u'/' + fields.at(0) + u'/';
        QDirIterator maps(folder, {QStringLiteral("*.map")}, QDir::Files, QDirIterator::Subdirectories);
        ASSERT_TRUE(maps.hasNext());
        const QString map = maps.next();
        SCOPED_TRACE(map.toStdString());
        TMessageCatcher messages;
        Go(map, folder);

        EXPECT_EQ(RootTexts().size(), fields.at(6).toInt());
        double shares = 0;
        qint64 previous = std::numeric_limits<qint64>::max();
        for (const TITreeNode *node = Grid().Items().GetFirstNode(); node; node = node->NextSibling()) {
            EXPECT_LE(node->Tag(), previous);
            previous = node->Tag();
            shares += double(node->Tag()) * FWindow->Analysis().PercentFactor();
        }
        EXPECT_NEAR(shares, 100.0, 0.01);
        for (const QString &message : messages.Messages)
            EXPECT_TRUE(message.startsWith(QStringLiteral("Couldn't locate project file")))
                << message.toStdString();
        EXPECT_TRUE(FWindow->BBGo()->isEnabled());
    }
}

// Two builds of one project for the comparison: Main grows, About goes, Charts comes, Forms shrinks.
struct TTwoBuilds
{
    QTemporaryDir Dir;
    QString Old;
    QString New;

    TTwoBuilds()
    {
        QDir(Dir.path()).mkpath(QStringLiteral("old"));
        QDir(Dir.path()).mkpath(QStringLiteral("new"));
        // Projects beside them, so that no run asks for one.
        for (const char *project : {"old/App.dpr", "new/App.dpr"})
            QFile(Dir.filePath(QString::fromLatin1(project))).open(QIODevice::WriteOnly);
        Old = WriteMapFile(Dir.filePath(QStringLiteral("old/App.map")),
                           {{"Main", 300}, {"About", 120}, {"Forms", 500}, {"Same", 64}},
                           {{0, "Main.TFormMain.Create"},
                            {200, "Main.TFormMain.Paint"},
                            {300, "About.TAbout.Show"},
                            {420, "Forms.TForm.Create"},
                            {920, "Same.Run"}},
                           984);
        New = WriteMapFile(Dir.filePath(QStringLiteral("new/App.map")),
                           {{"Main", 450}, {"Forms", 400}, {"Same", 64}, {"Charts", 80}},
                           {{0, "Main.TFormMain.Create"},
                            {200, "Main.TFormMain.Paint"},
                            {300, "Main.TFormMain.Resize"},
                            {450, "Forms.TForm.Create"},
                            {850, "Same.Run"},
                            {914, "Charts.TChart.Draw"}},
                           994);
    }
};

QStringList BaselineRows(TITreeView &grid)
{
    QStringList rows;
    for (int row = 0; row < int(grid.Rows().size()); ++row) {
        const TITreeNode *node = grid.RowNode(row);
        const TXStringList *strings = node->ColumnStringsIfAny();
        rows << QString(2 * node->Level(), u' ') + node->Text() + u' ' + QString::number(node->Tag()) + u' ' +
                    (strings && strings->Count() > 6 ? strings->Get(5) + u' ' + strings->Get(6) : QString());
    }
    return rows;
}

TEST_F(MainWindowTest, CompareWithABaselineBuild)
{
    const TTwoBuilds builds;
    OpenWindow();
    TMessageCatcher messages;
    Go(builds.New, builds.Dir.path());
    ASSERT_TRUE(FWindow->SetBaseline(builds.Old));
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_TRUE(FWindow->ClearBaselineAction()->isEnabled());
    ASSERT_EQ(Grid().Columns().Count(), 8);
    EXPECT_EQ(Grid().Column(6)->Caption(), "Old size");
    EXPECT_EQ(Grid().Column(7)->Caption(), "Change");
    EXPECT_EQ(BaselineRows(Grid()).join(u'|').toStdString(),
              "Main 450 300 +150|Forms 400 500 -100|Charts 80 0 +80|Same 64 64 0|About 0 120 -120")
        << "largest first, the removed unit last with size 0";

    // Sortable by the change, as numbers.
    Grid().HeaderClick(7);
    EXPECT_EQ(RootTexts(), QStringList({"About", "Forms", "Same", "Charts", "Main"}));
    Grid().HeaderClick(7);
    EXPECT_EQ(RootTexts().first(), "Main");

    // The status bar sums the change of the selected units.
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(Root("Main")));
    QTest::mouseClick(&Grid(), Qt::LeftButton, Qt::ControlModifier, RowPoint(Root("About")));
    EXPECT_TRUE(FWindow->StatusPanel(0)->text().startsWith("2 units: 0.4 kB code"));
    EXPECT_TRUE(FWindow->StatusPanel(0)->text().endsWith(", change +30 bytes"))
        << FWindow->StatusPanel(0)->text().toStdString();

    // Opened units show their symbols' changes; a removed unit opens to what it had.
    for (TITreeNode *unit : {Root("Main"), Root("About")}) {
        unit->SetExpanded(true);
        unit->GetFirstChild()->SetExpanded(true);
    }
    Grid().HeaderClick(0);
    EXPECT_EQ(
        BaselineRows(Grid()).join(u'|').toStdString(),
        QStringList({"About 0 120 -120", "  TAbout 0 120 -120", "    Show 0 120 -120", "Charts 80 0 +80",
                     "Forms 400 500 -100", "Main 450 300 +150", "  TFormMain 450 300 +150",
                     "    Create 200 200 0", "    Paint 100 100 0", "    Resize 150 0 +150", "Same 64 64 0"})
            .join(u'|')
            .toStdString());
    // Regrouping without a new run rebuilds the opened units and compares them again.
    const QStringList opened = BaselineRows(Grid());
    const auto openAgain = [this] {
        for (TITreeNode *unit : {Root("Main"), Root("About")}) {
            unit->SetExpanded(true);
            unit->GetFirstChild()->SetExpanded(true);
        }
    };
    FWindow->CBGroupByName()->setChecked(true);
    openAgain();
    EXPECT_EQ(BaselineRows(Grid()).join(u'|').toStdString(), opened.join(u'|').toStdString());
    FWindow->CBGroupByName()->setChecked(false);
    openAgain();
    EXPECT_EQ(BaselineRows(Grid()).join(u'|').toStdString(), opened.join(u'|').toStdString());
    FWindow->resize(1000, 360);
    const QImage image = FWindow->grab().toImage();
    EXPECT_TRUE(image.save(QStringLiteral(QUILLON_BINARY_DIR "/quillon-compare.png")));

    // A new run keeps the comparison; clearing it removes the columns and the removed unit.
    Go(builds.New, builds.Dir.path());
    EXPECT_EQ(Grid().Columns().Count(), 8);
    EXPECT_TRUE(Root("About"));
    Grid().HeaderClick(7);
    FWindow->ClearBaselineAction()->trigger();
    EXPECT_EQ(Grid().Columns().Count(), 6);
    EXPECT_FALSE(Root("About"));
    // Sorted by the change, the rows go back to the run's order, by compiled size.
    EXPECT_EQ(Grid().SortColumnIndex(), 1);
    EXPECT_EQ(Grid().SortDirection(), sdDescending);
    EXPECT_EQ(RootTexts(), QStringList({"Main", "Forms", "Charts", "Same"}));
    EXPECT_FALSE(FWindow->ClearBaselineAction()->isEnabled());
    EXPECT_FALSE(FWindow->StatusPanel(0)->text().contains("change"));
    EXPECT_TRUE(messages.Messages.isEmpty()) << messages.Messages.join(u'\n').toStdString();
}

TEST_F(MainWindowTest, CompareWithChosenBeforeAnyRunAndAnUnreadableBaseline)
{
    const TTwoBuilds builds;
    OpenWindow();
    QString chosen = builds.Old;
    FWindow->SetBaselineChooser([&chosen] { return chosen; });
    FWindow->CompareWithAction()->trigger();
    ASSERT_TRUE(WaitForRun(*FWindow));
    ASSERT_TRUE(FWindow->Baseline());
    EXPECT_EQ(Grid().Columns().Count(), 8);
    EXPECT_EQ(Grid().Items().RootCount(), 0) << "no run yet: nothing to compare";
    EXPECT_TRUE(FWindow->BBCompare()->toolTip().contains(builds.Old));

    Go(builds.New, builds.Dir.path());
    EXPECT_TRUE(Root("About"));

    // A file that cannot be analysed says so and leaves the comparison as it was.
    TMessageCatcher messages;
    chosen = builds.Dir.filePath("Gone.map");
    FWindow->CompareWithAction()->trigger();
    ASSERT_TRUE(WaitForRun(*FWindow));
    ASSERT_EQ(messages.Messages.size(), 1);
    EXPECT_TRUE(messages.Messages.first().contains("not available"))
        << messages.Messages.first().toStdString();
    EXPECT_EQ(Grid().Columns().Count(), 8);
    EXPECT_TRUE(Root("About"));

    chosen.clear(); // cancelled
    FWindow->CompareWithAction()->trigger();
    EXPECT_TRUE(FWindow->Baseline());
}

TEST_F(MainWindowTest, TheActiveBaselineIsNamedInTheStatusBarAndTheCompareMenu)
{
    const TTwoBuilds builds;
    OpenWindow();
    Go(builds.New, builds.Dir.path());
    EXPECT_TRUE(FWindow->BaselinePanel()->isHidden());
    EXPECT_FALSE(FWindow->BaselineNameAction()->isVisible());
    const QDateTime written(QDate(2026, 12, 9), QTime(14, 2, 30));
    {
        QFile old(builds.Old);
        ASSERT_TRUE(old.open(QIODevice::ReadWrite));
        ASSERT_TRUE(old.setFileTime(written, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(FWindow->SetBaseline(builds.Old));
    ASSERT_TRUE(WaitForRun(*FWindow));
    const QString named = QStringLiteral("compared with App.map, 2026-12-09 14:02");
    EXPECT_FALSE(FWindow->BaselinePanel()->isHidden());
    EXPECT_EQ(FWindow->BaselinePanel()->text(), named);
    EXPECT_TRUE(FWindow->BaselineNameAction()->isVisible());
    EXPECT_FALSE(FWindow->BaselineNameAction()->isEnabled());
    EXPECT_EQ(FWindow->BaselineNameAction()->text(), named);
    // The summary beside it stays readable.
    FWindow->resize(900, 400);
    QCoreApplication::processEvents();
    QTest::mouseClick(&Grid(), Qt::LeftButton, {}, RowPoint(Root("Main")));
    const QLabel *summary = FWindow->StatusPanel(0);
    EXPECT_GE(summary->width(), summary->fontMetrics().horizontalAdvance(summary->text()));
    EXPECT_TRUE(FWindow->grab().save(QStringLiteral(QUILLON_BINARY_DIR "/quillon-baseline-named.png")));

    FWindow->ClearBaselineAction()->trigger();
    EXPECT_TRUE(FWindow->BaselinePanel()->isHidden());
    EXPECT_FALSE(FWindow->BaselineNameAction()->isVisible());
}

} // namespace
