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
    EXPECT_EQ(entries.first(), "&1  " + maps.at(5));
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

} // namespace
