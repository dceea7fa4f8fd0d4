#include "base/UFileUtils.h"
#include "base/XLists.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#ifndef Q_OS_WIN
#include <ftw.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QStringList Sorted(const TXStringList &list)
{
    QStringList items;
    for (int i = 0; i < list.Count(); ++i)
        items << list.Get(i);
    items.sort();
    return items;
}

// A small tree: a.dcu, sub/b.DCU, sub/c.pas, sub/deeper/d.dcu.
class CollectFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FTemp.isValid());
        FRoot = FTemp.path() + u'/';
        WriteTestFile(FRoot + "a.dcu", "a");
        WriteTestFile(FRoot + "sub/b.DCU", "bb");
        WriteTestFile(FRoot + "sub/c.pas", "c");
        WriteTestFile(FRoot + "sub/deeper/d.dcu", "d");
    }

    QStringList Collect(const QString &folder, bool recurse, QStringList *folders = nullptr,
                        const QString &abortAt = QString())
    {
        TXStringList list;
        CollectFiles(folder, QStringLiteral("*.dcu"), list, recurse, [&](const QString &f, bool &abort) {
            if (folders)
                *folders << f;
            abort = !abortAt.isEmpty() && f.startsWith(abortAt);
        });
        return Sorted(list);
    }

    QTemporaryDir FTemp;
    QString FRoot;
};

TEST_F(CollectFilesTest, WalksDepthFirstMatchingTheMaskIgnoringCase)
{
    QStringList folders;
    EXPECT_EQ(Collect(FRoot, true, &folders),
              QStringList({FRoot + "a.dcu", FRoot + "sub/b.DCU", FRoot + "sub/deeper/d.dcu"}));
    EXPECT_EQ(folders.size(), 3); // once per folder, never per file
    EXPECT_EQ(folders.first(), FRoot);
}

TEST_F(CollectFilesTest, WithoutRecursionListsOnlyTheFolder)
{
    QStringList folders;
    EXPECT_EQ(Collect(FRoot, false, &folders), QStringList({FRoot + "a.dcu"}));
    EXPECT_EQ(folders, QStringList({FRoot}));
}

TEST_F(CollectFilesTest, AFolderWithoutItsSeparatorIsListedAsIfItHadOne)
{
    EXPECT_EQ(Collect(FTemp.path(), true), Collect(FRoot, true));
}

TEST_F(CollectFilesTest, MissingFolderAndAbortAddNothing)
{
    QStringList folders;
    EXPECT_TRUE(Collect(FRoot + "missing/", true, &folders).isEmpty());
    EXPECT_EQ(folders.size(), 1);
    EXPECT_TRUE(Collect(FRoot, true, nullptr, FRoot).isEmpty());
    // Aborting one sub-folder skips it; the rest is still listed.
    EXPECT_EQ(Collect(FRoot, true, nullptr, FRoot + "sub/"), QStringList({FRoot + "a.dcu"}));
}

TEST_F(CollectFilesTest, ALargeFolderReportsProgressWhileItIsListed)
{
    const QString big = FRoot + "big/";
    QDir().mkpath(big);
    for (int i = 0; i < 5000; ++i)
        QFile(big + QStringLiteral("U%1.dcu").arg(i)).open(QIODevice::WriteOnly);
    QStringList folders;
    EXPECT_EQ(Collect(big, true, &folders).size(), 5000);
    EXPECT_GE(folders.count(big), 5) << "once on entry, then every 1024 entries";
    // An abort asked for in the middle of the folder ends the descent; its files are still listed.
    QDir().mkpath(big + "sub");
    WriteTestFile(big + "sub/inner.dcu", "i");
    folders.clear();
    TXStringList list;
    CollectFiles(big, QStringLiteral("*.dcu"), list, true, [&](const QString &folder, bool &abort) {
        folders << folder;
        abort = folders.count(big) == 2;
    });
    const QStringList files = Sorted(list);
    EXPECT_GE(folders.count(big), 5) << "progress goes on after the abort";
    EXPECT_EQ(files.size() - files.contains(big + "sub/inner.dcu"), 5000);
    EXPECT_EQ(files.contains(big + "sub/inner.dcu"), folders.contains(big + "sub/"))
        << "the sub-folder is listed only when it came before the abort";
}

// Links, pseudo file systems, access rights and FIFOs as POSIX systems have them.
#ifndef Q_OS_WIN
TEST_F(CollectFilesTest, LinkCyclesAreNotEnteredAgain)
{
    ASSERT_EQ(symlink("..", QFile::encodeName(FRoot + "sub/deeper/up").constData()), 0);
    ASSERT_EQ(symlink(".", QFile::encodeName(FRoot + "self").constData()), 0);
    EXPECT_EQ(Collect(FRoot, true),
              QStringList({FRoot + "a.dcu", FRoot + "sub/b.DCU", FRoot + "sub/deeper/d.dcu"}));
}

TEST_F(CollectFilesTest, EachFolderIsEnteredOnceHoweverManyLinksLeadToIt)
{
    ASSERT_EQ(symlink("sub", QFile::encodeName(FRoot + "alias").constData()), 0);
    ASSERT_EQ(symlink("../sub/deeper", QFile::encodeName(FRoot + "sub/deeper2").constData()), 0);
    TCollectFilesCounts counts;
    TXStringList list;
    CollectFiles(FRoot, QStringLiteral("*.dcu"), list, true, {}, &counts);
    const QStringList files = Sorted(list);
    EXPECT_EQ(files.size(), 3) << files.join(u' ').toStdString();
    EXPECT_EQ(counts.Folders, 3);
    EXPECT_EQ(counts.Files, 3);
}

TEST_F(CollectFilesTest, PseudoFileSystemsAreNotEntered)
{
    // /proc/self/cwd and /proc/PID/root lead back into the whole tree; /sys has no end either. The
    // device file system is known only when /dev is a file system of its own.
    struct stat root, dev;
    const bool devMounted = stat("/", &root) == 0 && stat("/dev", &dev) == 0 && root.st_dev != dev.st_dev;
    for (const char *pseudo : {"/proc", "/sys", "/sys/fs/cgroup/cpu", "/dev"}) {
        if (!QFileInfo(QString::fromLatin1(pseudo)).isDir() || (!devMounted && strcmp(pseudo, "/dev") == 0))
            continue;
        const QString link =
            FRoot + QStringLiteral("link-%1").arg(QString::fromLatin1(pseudo).replace(u'/', u'-'));
        ASSERT_EQ(symlink(pseudo, QFile::encodeName(link).constData()), 0);
        TCollectFilesCounts counts;
        TXStringList list;
        CollectFiles(QString::fromLatin1(pseudo), QStringLiteral("*"), list, true, {}, &counts);
        EXPECT_EQ(list.Count(), 0) << pseudo;
        EXPECT_EQ(counts.Folders, 0) << pseudo;
    }
    TCollectFilesCounts counts;
    EXPECT_EQ(Collect(FRoot, true).size(), 3);
    TXStringList list;
    CollectFiles(FRoot, QStringLiteral("*"), list, true, {}, &counts);
    EXPECT_EQ(counts.Folders, 3) << "only the tree's own folders";
}

// The superuser reads every folder, and CI runs as the superuser: there the check runs in a child
// process that owns the tree but has given up the superuser's rights.
bool HoldsWithoutSuperuserRights(const QString &tree, const std::function<bool()> &check)
{
    if (geteuid() != 0)
        return check();
    constexpr uid_t nobody = 65534;
    const auto chownEntry = [](const char *path, const struct stat *, int, struct FTW *) {
        return lchown(path, nobody, nobody);
    };
    if (nftw(QFile::encodeName(tree).constData(), chownEntry, 16, FTW_PHYS) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(CollectFilesTest, UnreadableFolderIsSkipped)
{
    // No rights at all, and search without the right to list.
    for (const mode_t mode : {0000, 0300}) {
        SCOPED_TRACE(mode);
        const QByteArray sub = QFile::encodeName(FRoot + "sub");
        ASSERT_EQ(chmod(sub.constData(), mode), 0);
        EXPECT_TRUE(HoldsWithoutSuperuserRights(FRoot, [&] {
            QStringList folders;
            const QStringList files = Collect(FRoot, true, &folders);
            return files == QStringList({FRoot + "a.dcu"}) && folders.contains(FRoot + "sub/");
        }));
        chmod(sub.constData(), 0755);
    }
}
#endif

TEST(FileMask, FollowsTheMaskRules)
{
    const struct
    {
        const char *mask;
        const char *name;
        bool matches;
    } cases[] = {
        {"*.dcu", "Unit1.DCU", true}, {"*.dcu", "a.dcux", false},
        {"*.dcu", ".dcu", true},      {"a?c", "abc", true},
        {"a?c", "ac", false},         {"[a-c]*", "Bx", true},
        {"[!a]*", "ax", false},       {"[!a]*", "bx", true},
        {"*.*", "noext", false},      {"*", "", true},
        {"*a*a*a", "aaaa", true},     {"[abc", "a", false},
        {"é*", "É", false}, // only A to Z fold
    };
    for (const auto &c : cases)
        EXPECT_EQ(TFileMask(QString::fromUtf8(c.mask)).Matches(QString::fromUtf8(c.name)), c.matches)
            << c.mask << " / " << c.name;
}

class FileRoutines : public ::testing::Test
{
protected:
    void SetUp() override { FRoot = FTemp.path() + u'/'; }
    QTemporaryDir FTemp;
    QString FRoot;
};

TEST_F(FileRoutines, SizesEntries)
{
    WriteTestFile(FRoot + "empty.txt", "");
    WriteTestFile(FRoot + "five.bin", "12345");
    EXPECT_EQ(FileSizeByName(FRoot + "missing"), -1);
    EXPECT_EQ(FileSizeByName(FRoot + "empty.txt"), 0);
    EXPECT_EQ(FileSizeByName(FRoot + "five.bin"), 5);
    EXPECT_EQ(FileSizeByName(FTemp.path()), 0);
    EXPECT_EQ(FileSizeByName(FRoot + "f*.bin"), 5);
    EXPECT_EQ(FileSizeByName(FRoot + "x*.bin"), -1);
}

// A device named by hostile input is refused at once, never read until it ends.
TEST_F(FileRoutines, DevicesAreNoFiles)
{
#ifdef Q_OS_WIN
    const QString device = QStringLiteral("NUL");
#else
    const QString device = QStringLiteral("/dev/zero");
#endif
    EXPECT_EQ(LoadBytesFromFile(device), QByteArray());
    TTextFileBytes text;
    QString error;
    EXPECT_FALSE(ReadTextFile(device, text, error));
    EXPECT_EQ(error, QStringLiteral("not a regular file"));
}

TEST_F(FileRoutines, LoadsBytesAndText)
{
    WriteTestFile(FRoot + "utf16.txt", QByteArray("\xFF\xFE"
                                                  "h\0i\0\r\0\n\0",
                                                  10));
    WriteTestFile(FRoot + "bytes.bin", "0123456789");
    EXPECT_EQ(LoadTextFromFile(FRoot + "missing"), QString());
    EXPECT_EQ(LoadTextFromFile(FRoot + "utf16.txt"), QStringLiteral("hi\r\n"));
    EXPECT_EQ(LoadBytesFromFile(FRoot + "bytes.bin", 3, 4), QByteArray("3456"));
    EXPECT_EQ(LoadBytesFromFile(FRoot + "bytes.bin", 8), QByteArray("89"));
    EXPECT_EQ(LoadBytesFromFile(FRoot + "bytes.bin", 20), QByteArray());
    EXPECT_EQ(LoadBytesFromFile(FTemp.path()), QByteArray());
}

#ifndef Q_OS_WIN
TEST_F(FileRoutines, AFifoDoesNotHangTheReader)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(FRoot + "pipe").constData(), 0600), 0);
    EXPECT_EQ(LoadBytesFromFile(FRoot + "pipe"), QByteArray());
}
#endif

TEST_F(FileRoutines, ResolvesWindowsPaths)
{
    WriteTestFile(FRoot + "Forms/Unit1.dfm", "x");
    WriteTestFile(FRoot + "App.exe", "x");
    const QString saved = QDir::currentPath();
    QDir::setCurrent(FTemp.path());
    const struct
    {
        QString path;
        QString resolved;
    } cases[] = {
        {"Forms\\Unit1.dfm", "Forms/Unit1.dfm"},
        {"FORMS\\UNIT1.DFM", "Forms/Unit1.dfm"},
        {".\\forms/unit1.dfm", "./Forms/Unit1.dfm"},
        {FRoot + "forms\\Unit1.DFM", FRoot + "Forms/Unit1.dfm"},
        {"C:\\Lib\\Dlg.dfm", ""},
        {"Forms\\Missing.dfm", ""},
        {"", ""},
    };
#ifdef Q_OS_WIN
    // The file system ignores letter case; FRoot itself begins with a drive letter there.
    constexpr Qt::CaseSensitivity NameCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity NameCase = Qt::CaseSensitive;
#endif
    for (const auto &c : cases) {
        const QString resolved = ResolveWindowsPath(c.path);
        EXPECT_EQ(resolved.compare(c.resolved, NameCase), 0)
            << c.path.toStdString() << " gave " << resolved.toStdString();
    }
    EXPECT_EQ(GetStoredFileName(FRoot + "APP.EXE"), FRoot + "App.exe");
    // The folder part stays as written, whatever its separators.
    EXPECT_EQ(GetStoredFileName(QDir::toNativeSeparators(FRoot) + "app.EXE"),
              QDir::toNativeSeparators(FRoot) + "App.exe");
    EXPECT_EQ(GetStoredFileName(FRoot + "none.exe"), FRoot + "none.exe");
    QDir::setCurrent(saved);
}

} // namespace
