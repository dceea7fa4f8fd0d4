// The watch on the analysed MAP file: a change is reported once the file has been quiet for a
// moment and ends as a finished MAP file does; a half-written or deleted file is reported as such.
#include "app/MapFileWatcher.h"
#include "controls/ManualClock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray Finished = "Detailed map of segments\r\n\r\nProgram entry point at 0001:00001234\r\n\r\n";

void Write(const QString &path, const QByteArray &text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

TEST(EndsAsMapFile, WantsTheEntryPointLineAndALineBreakAtTheEnd)
{
    QTemporaryDir folder;
    const struct
    {
        QByteArray Text;
        bool Ends;
    } cases[] = {
        {Finished, true},
        {"segments\nProgram entry point at 0001:00001234\n", true},
        {"segments\r\nProgram entry point at 0001:0000", false}, // cut in its last line
        {"Program entry point at 0001:00001234\r\n 0001:00000000 Unit\r\n", false},
        {"", false},
        {QByteArray(10000, 'x') + "\r\n" + Finished, true},
    };
    for (const auto &c : cases) {
        const QString path = folder.filePath("App.map");
        Write(path, c.Text);
        EXPECT_EQ(EndsAsMapFile(path), c.Ends) << c.Text.left(60).constData();
    }
    EXPECT_FALSE(EndsAsMapFile(folder.filePath("missing.map")));
}

class MapFileWatcher : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Path = Folder.filePath("App.map");
        Write(Path, Finished);
        Watcher.OnChanged = [this](const QString &) { ++Changes; };
        Watcher.OnUnfinished = [this](const QString &, const QString &problem) { Problems << problem; };
        Watcher.Watch(Path);
    }
    // A write the file system announces.
    void Rewrite(const QByteArray &text)
    {
        Write(Path, text);
        Watcher.Check();
    }

    QTemporaryDir Folder;
    QString Path;
    std::shared_ptr<TManualClock> Clock = std::make_shared<TManualClock>();
    TMapFileWatcher Watcher{Clock};
    int Changes = 0;
    QStringList Problems;
};

TEST_F(MapFileWatcher, ReportsAFinishedFileOnceItHasBeenQuiet)
{
    Watcher.Check();
    Clock->Advance(5000);
    EXPECT_EQ(Changes, 0) << "nothing changed";

    Rewrite("Detailed map\r\n");
    Clock->Advance(600);
    Rewrite("Detailed map of segments, longer\r\n"); // the linker still writes
    Clock->Advance(900);
    EXPECT_EQ(Changes, 0);
    Rewrite("Detailed map of segments, longer still\r\n" + Finished);
    Clock->Advance(TMapFileWatcher::QuietMs - 300);
    EXPECT_EQ(Changes, 0);
    Clock->Advance(600);
    EXPECT_EQ(Changes, 1);
    Clock->Advance(5000);
    Watcher.Check();
    EXPECT_EQ(Changes, 1) << "reported once";
    EXPECT_TRUE(Problems.isEmpty());
}

TEST_F(MapFileWatcher, AFileLeftHalfWrittenOrDeletedIsReportedAsSuch)
{
    Rewrite("Detailed map of segments\r\n 0001:00000000 0000");
    Clock->Advance(2000);
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(Problems, QStringList({"it does not end as a complete MAP file"}));

    Rewrite("Detailed map of segments, done\r\n" + Finished);
    Clock->Advance(2000);
    EXPECT_EQ(Changes, 1);

    QFile::remove(Path);
    Watcher.Check();
    Clock->Advance(2000);
    EXPECT_EQ(Problems.last(), "it no longer exists");
}

TEST_F(MapFileWatcher, AFileWrittenAnewUnderItsNameIsStillWatched)
{
    // Written beside and renamed over the old one, as some linkers and editors do.
    const QString temporary = Folder.filePath("App.tmp");
    Write(temporary, "Detailed map of segments, renamed\r\n" + Finished);
    QFile::remove(Path);
    QFile::rename(temporary, Path);
    Watcher.Check();
    Clock->Advance(2000);
    EXPECT_EQ(Changes, 1);
    Rewrite("Detailed map of segments, again\r\n" + Finished);
    Clock->Advance(2000);
    EXPECT_EQ(Changes, 2);
}

TEST_F(MapFileWatcher, NothingIsReportedAfterTheWatchEnds)
{
    Watcher.Watch(QString());
    Write(Path, "changed\r\n" + Finished);
    Watcher.Check();
    Clock->Advance(5000);
    EXPECT_EQ(Changes, 0);
}

} // namespace
