// The output file that never harms an input and never leaves half an output behind.

#include "base/SafeOutputFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(SafeOutputFileTest, AnInputIsKnownByWhateverNameOrLinkNamesIt)
{
    QTemporaryDir dir;
    const QString map = dir.filePath("App.map");
    Write(map, "map");
    QDir(dir.path()).mkdir("sub");
#ifndef Q_OS_WIN // a link made there is a shortcut file, which nothing follows
    ASSERT_TRUE(QFile::link(map, dir.filePath("link.map")));
#endif
    std::filesystem::create_hard_link(map.toStdWString(), dir.filePath("hard.txt").toStdWString());
    Write(dir.filePath("other.map"), "map");
    const QStringList inputs = {dir.filePath("App.dpr"), map};
    QStringList outputs = {map, dir.path() + "/./App.map", dir.path() + "/sub/../App.map", dir.filePath("hard.txt")};
#ifndef Q_OS_WIN
    outputs << dir.filePath("link.map");
#endif
    for (const QString &output : outputs)
        EXPECT_EQ(TSafeOutputFile::InputNamedBy(output, inputs), map) << output.toStdString();
    EXPECT_EQ(TSafeOutputFile::InputNamedBy(dir.filePath("other.map"), inputs), QString())
        << "same bytes, other file";
    EXPECT_EQ(TSafeOutputFile::InputNamedBy(dir.filePath("new.json"), inputs), QString()) << "not there yet";
#ifndef Q_OS_WIN
    // Through a link to the output: the input it names is what counts.
    ASSERT_TRUE(QFile::link(dir.filePath("other.map"), dir.filePath("out.json")));
    EXPECT_EQ(TSafeOutputFile::InputNamedBy(map, {dir.filePath("out.json")}), QString());
#endif
}

TEST(SafeOutputFileTest, TheTargetIsReplacedOnlyOnCommit)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("report.json");
    Write(target, "old report");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    {
        TSafeOutputFile output(target);
        QString error;
        ASSERT_TRUE(output.Open(error)) << error.toStdString();
        output.Device().write("half a new rep");
        EXPECT_EQ(Read(target), "old report") << "nothing is written over the target while the run goes on";
    } // a run that failed: never committed
    EXPECT_EQ(Read(target), "old report");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.json"})
        << "no temporary file left";

    QString error;
    ASSERT_TRUE(TSafeOutputFile::Write(target, "new report", error)) << error.toStdString();
    EXPECT_EQ(Read(target), "new report");
#ifndef Q_OS_WIN // no group and other bits there, and no links a program follows
    EXPECT_EQ(QFile::permissions(target) & (QFile::ReadGroup | QFile::ReadOther), QFile::ReadGroup)
        << "the replaced file keeps its permissions";

    // A link to the output is kept and its target replaced.
    const QString link = dir.filePath("latest.json");
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(TSafeOutputFile::Write(link, "newest report", error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Read(target), "newest report");
#endif
}

TEST(SafeOutputFileTest, APipeOrADeviceIsWrittenInPlace)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "no /dev on Windows";
#endif
    // Replacing /dev/null by a rename would take it from every program of the system.
    QString error;
    ASSERT_TRUE(TSafeOutputFile::Write("/dev/null", "anything", error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo("/dev/null").isFile());
    EXPECT_TRUE(QDir("/dev").entryList({"null.*"}, QDir::Files | QDir::System).isEmpty());
}

TEST(SafeOutputFileTest, AFolderThatCannotBeWrittenIsAnError)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(TSafeOutputFile::Write(dir.filePath("missing/report.json"), "x", error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(TSafeOutputFile::Write(dir.path(), "x", error)) << "a folder is no output";
}
