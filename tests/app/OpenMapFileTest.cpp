// Opening a MAP file without typing it: dropped on the window (itself, or the executable beside it),
// or chosen from the recently analysed files.
#include "MainWindowFixture.h"

#include "app/MapFileWatcher.h"
#include "controls/CRecentFilesButton.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

namespace {

class OpenMapFile : public MainWindowFixture
{
protected:
    // A drop is delivered only after its drag entered.
    void Drop(const QList<QUrl> &urls)
    {
        DragEnter(urls);
        QMimeData data;
        data.setUrls(urls);
        QDropEvent drop(QPointF(FWindow->rect().center()), Qt::CopyAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(FWindow.get(), &drop);
        QCoreApplication::processEvents();
        EXPECT_TRUE(WaitForRun(*FWindow));
    }
    QStringList MenuEntries()
    {
        QMenu *const menu = FWindow->BBRecent()->menu();
        emit menu->aboutToShow();
        QStringList entries;
        for (const QAction *action : menu->actions())
            if (!action->isSeparator())
                entries << action->text();
        return entries;
    }
    // The window with the sample's folder to scan, so that no run asks about the search folder.
    void OpenWindowOnSample()
    {
        OpenWindow();
        FWindow->DEFilePath()->setText(SourceDir() + QStringLiteral("/examples/sample/"));
    }
    QTemporaryDir FFolder;
};

TEST_F(OpenMapFile, ADroppedMapFileIsAnalysed)
{
    OpenWindowOnSample();
    const QList<QUrl> urls{QUrl::fromLocalFile(SampleMap())};
    EXPECT_TRUE(DragEnter(urls));
    Drop(urls);
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), SampleMap());
    EXPECT_GT(UnitCount(), 0);
}

TEST_F(OpenMapFile, AnExecutableDroppedFindsItsMapFileBelowItsFolder)
{
    OpenWindowOnSample();
    ASSERT_TRUE(QDir(FFolder.path()).mkpath("Win32/Debug"));
    const QString map = FFolder.filePath("Win32/Debug/App.map");
    ASSERT_TRUE(QFile::copy(SampleMap(), map));
    const QString executable = FFolder.filePath("App.exe");
    QFile(executable).open(QIODevice::WriteOnly);
    TMessageCatcher messages; // the copy has no project file above it
    Drop({QUrl::fromLocalFile(executable)});
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), map);
    EXPECT_GT(UnitCount(), 0);
}

TEST_F(OpenMapFile, DropsThatNameNoSingleFileAreRefused)
{
    OpenWindowOnSample();
    const QString before = FWindow->FEMapFile()->FileName();
    const QList<QList<QUrl>> refused{
        {QUrl::fromLocalFile(SampleMap()), QUrl::fromLocalFile(SampleMap())},
        {QUrl::fromLocalFile(FFolder.path())},
        {QUrl("https://example.org/App.map")},
        {QUrl::fromLocalFile(FFolder.filePath("missing.map"))},
    };
    for (const QList<QUrl> &urls : refused) {
        EXPECT_FALSE(DragEnter(urls)) << urls.first().toString().toStdString();
        Drop(urls);
    }
    EXPECT_EQ(FWindow->FEMapFile()->FileName(), before);
    EXPECT_EQ(UnitCount(), 0);
}

TEST_F(OpenMapFile, AnExecutableWithoutMapFileSaysWhereItLooked)
{
    OpenWindowOnSample();
    const QString executable = FFolder.filePath("Lonely.exe");
    QFile(executable).open(QIODevice::WriteOnly);
    Drop({QUrl::fromLocalFile(executable)});
    EXPECT_TRUE(FWindow->StatusPanel(0)->text().startsWith("No MAP file found for Lonely.exe; looked at "));
    EXPECT_EQ(UnitCount(), 0);
}

TEST_F(OpenMapFile, AnalysedFilesAreListedNewestFirstTenAtMostAndKept)
{
    OpenWindowOnSample();
    TMessageCatcher messages; // the copies have no project file above them, and one is broken
    QStringList maps;
    for (int i = 0; i < 12; ++i) {
        maps << FFolder.filePath(QStringLiteral("App%1.map").arg(i));
        ASSERT_TRUE(QFile::copy(SampleMap(), maps.last()));
        FWindow->OpenMapFile(maps.last());
        EXPECT_TRUE(WaitForRun(*FWindow));
    }
    FWindow->OpenMapFile(maps.at(5)); // listed already: moves to the top
    EXPECT_TRUE(WaitForRun(*FWindow));
    QStringList expected{maps.at(5)};
    for (int i = 11; i >= 2; --i)
        if (i != 5)
            expected << maps.at(i);
    EXPECT_EQ(FWindow->BBRecent()->Files(), expected);

    // A failed run is not listed.
    QFile(FFolder.filePath("broken.map")).open(QIODevice::WriteOnly);
    FWindow->OpenMapFile(FFolder.filePath("broken.map"));
    EXPECT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(FWindow->BBRecent()->Files(), expected);

    FWindow->close();
    OpenWindowOnSample();
    EXPECT_EQ(FWindow->BBRecent()->Files(), expected);
    const QStringList entries = MenuEntries();
    ASSERT_EQ(entries.size(), 11);
    EXPECT_EQ(entries.first(), "&1  " + QDir::toNativeSeparators(maps.at(5))) << "as the system writes paths";
    EXPECT_EQ(entries.last(), "Clear list");
}

TEST_F(OpenMapFile, ChoosingARecentFileAnalysesItAndClearingEmptiesTheList)
{
    OpenWindowOnSample();
    FWindow->BBRecent()->Add(SampleMap());
    QMenu *const menu = FWindow->BBRecent()->menu();
    emit menu->aboutToShow();
    menu->actions().first()->trigger();
    EXPECT_TRUE(WaitForRun(*FWindow));
    EXPECT_GT(UnitCount(), 0);

    emit menu->aboutToShow();
    menu->actions().last()->trigger();
    EXPECT_TRUE(FWindow->BBRecent()->Files().isEmpty());
    EXPECT_EQ(MenuEntries(), QStringList({"No recent files", "Clear list"}));
}

TEST_F(OpenMapFile, TheNewControlsAreReachedByTabAndExplainThemselves)
{
    OpenWindowOnSample();
    EXPECT_EQ(NextByTab(FWindow->FEMapFile()), static_cast<QWidget *>(FWindow->BBRecent()));
    EXPECT_EQ(NextByTab(FWindow->BBRecent()), static_cast<QWidget *>(FWindow->CBGroupByName()));
    EXPECT_FALSE(FWindow->BBRecent()->toolTip().isEmpty());
    EXPECT_FALSE(FWindow->FEMapFile()->toolTip().isEmpty());
}

TEST_F(OpenMapFile, ARelativeMapPathIsListedAndWatchedWhereItWasRead)
{
    // The run makes the project's folder, above the MAP file's, the current one.
    OpenWindowOnSample();
    ASSERT_TRUE(QDir(FFolder.path()).mkpath("Win32/Debug"));
    const QString map = FFolder.filePath("Win32/Debug/App.map");
    ASSERT_TRUE(QFile::copy(SampleMap(), map));
    QFile project(FFolder.filePath("App.dpr"));
    ASSERT_TRUE(project.open(QIODevice::WriteOnly));
    project.write("program App;\r\n");
    project.close();
    const QString startFolder = QDir::currentPath();
    QDir::setCurrent(FFolder.filePath("Win32/Debug"));
    FWindow->FEMapFile()->SetFileName(QStringLiteral("App.map"));
    FWindow->BBGoClick();
    EXPECT_TRUE(WaitForRun(*FWindow));
    const QString currentAfterRun = QDir::currentPath();
    QDir::setCurrent(startFolder);
    EXPECT_EQ(QDir(currentAfterRun), QDir(FFolder.path()));
    EXPECT_EQ(FWindow->BBRecent()->Files().value(0), map);
    EXPECT_EQ(FWindow->MapFileWatcher()->FileName(), map);
}

// Two projects, each with its MAP file, its project file and a compiled unit of its own size.
struct TTwoProjects
{
    QTemporaryDir Dir;
    QString MapA;
    QString MapB;
    QString FolderA;
    QString FolderB;
    TTwoProjects()
    {
        for (const char *name : {"A", "B"}) {
            const QString folder = Dir.filePath(QString::fromLatin1(name));
            QDir().mkpath(folder);
            QFile(folder + QStringLiteral("/App.dpr")).open(QIODevice::WriteOnly);
            QFile dcu(folder + QStringLiteral("/Main.dcu"));
            dcu.open(QIODevice::WriteOnly);
            dcu.write(QByteArray(name[0] == 'A' ? 840 : 930, 'x'));
        }
        FolderA = Dir.filePath("A") + u'/';
        FolderB = Dir.filePath("B") + u'/';
        MapA = WriteMapFile(FolderA + "App.map", {{"Main", 99}}, {{0, "Main.Run"}}, 99);
        MapB = WriteMapFile(FolderB + "App.map", {{"Main", 99}}, {{0, "Main.Run"}}, 99);
    }
};

QString RatioOfMain(TITreeView &grid)
{
    const TITreeNode *main = grid.Items().GetFirstNode();
    return main ? main->ColumnStringsIfAny()->Get(3) : QString();
}

TEST_F(OpenMapFile, AProjectBringsItsSearchFolderAndARecentFileTheOneItWasAnalysedWith)
{
    const TTwoProjects projects;
    OpenWindow();
    FWindow->DEFilePath()->setText(projects.FolderA);
    FWindow->FEMapFile()->SetFileName(projects.MapA);
    FWindow->BBGoClick();
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(RatioOfMain(Grid()), "8.4");

    // Another project's MAP file: its own folder, so its own compiled units.
    Drop({QUrl::fromLocalFile(projects.MapB)});
    EXPECT_EQ(QDir(FWindow->DEFilePath()->text()), QDir(projects.FolderB));
    EXPECT_EQ(RatioOfMain(Grid()), "9.3");

    // The recent file comes back with the folder it was analysed with.
    FWindow->BBRecent()->OnFileChosen(projects.MapA);
    ASSERT_TRUE(WaitForRun(*FWindow));
    EXPECT_EQ(FWindow->DEFilePath()->text(), projects.FolderA);
    EXPECT_EQ(RatioOfMain(Grid()), "8.4");

    // A search folder that holds the new MAP file is kept.
    FWindow->DEFilePath()->setText(projects.Dir.path());
    Drop({QUrl::fromLocalFile(projects.MapB)});
    // Set by the program: as the system writes paths.
    EXPECT_EQ(QDir(FWindow->DEFilePath()->text()), QDir(projects.FolderB)) << "remembered from its last run";
    FWindow->BBRecent()->Clear();
    QSettings().remove(QStringLiteral("RecentSearchFolders"));
    FWindow->DEFilePath()->setText(projects.Dir.path());
    Drop({QUrl::fromLocalFile(projects.MapA)});
    EXPECT_EQ(FWindow->DEFilePath()->text(), projects.Dir.path());
}

TEST_F(OpenMapFile, ABaselineOfAnotherProjectIsClearedWithANote)
{
    const TTwoProjects projects;
    OpenWindow();
    FWindow->DEFilePath()->setText(projects.FolderA);
    FWindow->FEMapFile()->SetFileName(projects.MapA);
    FWindow->BBGoClick();
    ASSERT_TRUE(WaitForRun(*FWindow));
    ASSERT_TRUE(FWindow->SetBaseline(projects.MapA));
    ASSERT_TRUE(WaitForRun(*FWindow));
    ASSERT_TRUE(FWindow->Baseline());

    // The same project again keeps it.
    Drop({QUrl::fromLocalFile(projects.MapA)});
    EXPECT_TRUE(FWindow->Baseline());

    Drop({QUrl::fromLocalFile(projects.MapB)});
    EXPECT_FALSE(FWindow->Baseline());
    EXPECT_EQ(Grid().Columns().Count(), 6);
    EXPECT_TRUE(FWindow->StatusPanel(0)->toolTip().startsWith(
        "The comparison with App.map was cleared: App.map belongs to another project"))
        << FWindow->StatusPanel(0)->toolTip().toStdString();
}

TEST_F(OpenMapFile, AProjectOrExecutableTypedInTheMapFieldOpensItsMapFile)
{
    OpenWindowOnSample();
    ASSERT_TRUE(QDir(FFolder.path()).mkpath("Win32/Debug"));
    const QString map = FFolder.filePath("Win32/Debug/App.map");
    ASSERT_TRUE(QFile::copy(SampleMap(), map));
    QFile(FFolder.filePath("App.dpr")).open(QIODevice::WriteOnly);
    QFile(FFolder.filePath("App.exe")).open(QIODevice::WriteOnly);
    for (const char *typed : {"App.dpr", "App.exe"}) {
        TMessageCatcher messages;
        FWindow->FEMapFile()->SetFileName(FFolder.filePath(QString::fromLatin1(typed)));
        QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
        ASSERT_TRUE(WaitForRun(*FWindow));
        EXPECT_EQ(FWindow->FEMapFile()->FileName(), map) << typed;
        EXPECT_GT(UnitCount(), 0) << typed;
        EXPECT_TRUE(messages.Messages.isEmpty()) << messages.Messages.join(u'\n').toStdString();
        Grid().Clear();
    }
}

} // namespace
