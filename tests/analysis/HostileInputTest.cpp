// Damaged, oddly encoded and hostile inputs: the run ends with a message or a partial result, never
// a crash, a hang or a change to the files it reads.
#include "analysis/MapAnalysis.h"
#include "analysis/ProjectFiles.h"
#include "base/XLists.h"
#include "support/EmptyFiles.h"
#include "tree/ITreeNodes.h"
#include "tree/TreeGridModel.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#ifdef Q_OS_WIN
// windows.h first: psapi.h needs its types.
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString SampleFolder = QStringLiteral(QUILLON_SOURCE_DIR "/examples/sample/");

// The most memory this process has held in RAM so far, in KiB.
qint64 PeakResidentKiB()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return qint64(counters.PeakWorkingSetSize / 1024);
#else
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

struct RunResult
{
    bool ok = false;
    QStringList units; // in grid order, each with its size
    QStringList messages;
    qint64 symbolRows = 0;
};

// Runs the engine on a MAP file and opens every unit row.
RunResult Analyse(const QString &mapFile, const std::optional<QString> &searchFolder = std::nullopt)
{
    const QString current = QDir::currentPath();
    RunResult result;
    TTreeGridModel grid;
    TMapAnalysis::SetupUnitColumns(grid);
    TMapAnalysis analysis(grid);
    analysis.OnMessage = [&](TMapAnalysis *, const QString &message) { result.messages << message; };
    result.ok = analysis.Run(mapFile, searchFolder);
    for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling()) {
        result.units << unit->Text() + u'=' + QString::number(unit->Tag());
        bool allow = true;
        analysis.VGUnitsExpanding(&grid, unit, allow);
        result.symbolRows += unit->Count();
    }
    QDir::setCurrent(current);
    return result;
}

class HostileMap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FSample = ReadAll(SampleFolder + "SampleApp.map");
        ASSERT_FALSE(FSample.isEmpty());
        FFull = Analyse(SampleFolder + "SampleApp.map");
        ASSERT_TRUE(FFull.ok);
        ASSERT_FALSE(FFull.units.isEmpty());
    }

    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = FTemp.path() + u'/' + name;
        WriteAll(path, bytes);
        return path;
    }

    QTemporaryDir FTemp;
    QByteArray FSample;
    RunResult FFull;
};

TEST_F(HostileMap, CutAtEverySectionBoundaryKeepsWhatWasRead)
{
    const QList<QByteArray> markers = {"Detailed map of segments", "M=Main",       "Publics by Name",
                                       "Publics by Value",         "Line numbers", "Bound resource"};
    for (const QByteArray &marker : markers) {
        const qsizetype at = FSample.indexOf(marker);
        ASSERT_GE(at, 0) << marker.toStdString();
        const qsizetype lineStart = FSample.lastIndexOf('\n', at) + 1;
        // At the start of the section's line every unit read is a unit of the whole file; a file cut
        // before its first unit is no detailed MAP file.
        const RunResult atLine = Analyse(Write("cut.map", FSample.left(lineStart)));
        EXPECT_EQ(atLine.ok, !atLine.units.isEmpty()) << marker.toStdString();
        for (const QString &unit : atLine.units)
            EXPECT_TRUE(FFull.units.contains(unit)) << marker.toStdString() << ": " << unit.toStdString();
        // Inside the line the run may end with a message, but never with more units.
        const RunResult inLine = Analyse(Write("cut.map", FSample.left(at + marker.size() / 2)));
        EXPECT_LE(inLine.units.size(), FFull.units.size()) << marker.toStdString();
        EXPECT_TRUE(inLine.ok || !inLine.messages.isEmpty()) << marker.toStdString();
    }
}

TEST_F(HostileMap, LineEndsAndUnicodeFormsGiveTheSameUnits)
{
    QByteArray lf = FSample;
    lf.replace("\r\n", "\n");
    QByteArray cr = lf;
    cr.replace('\n', '\r');
    const QString text = QString::fromLatin1(lf);
    QByteArray utf16le(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QByteArray utf16be = utf16le;
    for (qsizetype i = 0; i + 1 < utf16be.size(); i += 2)
        std::swap(utf16be[i], utf16be[i + 1]);
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"lf.map", lf},
        {"cr.map", cr},
        {"utf16le-bom.map", "\xFF\xFE" + utf16le},
        {"utf16le.map", utf16le},
        {"utf16be-bom.map", "\xFE\xFF" + utf16be},
        {"utf16be.map", utf16be},
        {"utf8-bom.map", "\xEF\xBB\xBF" + lf},
    };
    for (const auto &c : cases) {
        const RunResult result = Analyse(Write(QString::fromLatin1(c.name), c.bytes));
        EXPECT_TRUE(result.ok) << c.name;
        EXPECT_EQ(result.units, FFull.units) << c.name;
        EXPECT_EQ(result.symbolRows, FFull.symbolRows) << c.name;
    }
}

TEST_F(HostileMap, TextEndsAtTheFirstNulByte)
{
    const qsizetype publics = FSample.indexOf("Publics by Value");
    ASSERT_GT(publics, 0);
    QByteArray withNul = FSample;
    withNul[publics] = '\0';
    // A damaged file: the rows read before the NUL stay, and the message names its line.
    const RunResult result = Analyse(Write("with-nul.map", withNul));
    EXPECT_FALSE(result.ok);
    ASSERT_FALSE(result.messages.isEmpty()); // after the missing project file's
    EXPECT_TRUE(result.messages.last().endsWith(QStringLiteral("a NUL byte ends its text (MAP file line %1).")
                                                    .arg(FSample.left(publics).count('\n') + 1)))
        << result.messages.last().toStdString();
    QStringList units = result.units, expected = FFull.units;
    units.sort();
    expected.sort();
    EXPECT_EQ(units, expected);
    EXPECT_EQ(result.symbolRows, 0);

    const RunResult binary = Analyse(Write("binary.map", QByteArray(4096, '\0') + FSample));
    EXPECT_FALSE(binary.ok);
    EXPECT_TRUE(binary.units.isEmpty());
    ASSERT_FALSE(binary.messages.isEmpty());
    EXPECT_TRUE(binary.messages.last().endsWith(QStringLiteral("(MAP file line 1).")));
}

TEST_F(HostileMap, HugeSparseFileEndsWithBoundedMemory)
{
    const QString path = FTemp.path() + "/sparse.map";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(Q_INT64_C(2) * 1024 * 1024 * 1024));
    }
    const RunResult result = Analyse(path);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.units.isEmpty());
    ASSERT_FALSE(result.messages.isEmpty()); // after the missing project file's
    EXPECT_TRUE(result.messages.last().contains(QStringLiteral("is damaged or not a text file")));
    // Peak resident memory stays well below the file's size.
    EXPECT_LT(PeakResidentKiB(), 512 * 1024) << "peak KiB " << PeakResidentKiB();
}

TEST_F(HostileMap, AProjectFileThatIsAFifoOrHugeAndSparseNeitherHangsNorFloodsMemory)
{
    const QString map = Write("SampleApp.map", FSample);
    const QString project = FTemp.path() + "/SampleApp.dpr";
#ifndef Q_OS_WIN
    // A FIFO would block the reader for ever: it is refused like any unreadable project file.
    ASSERT_EQ(mkfifo(QFile::encodeName(project).constData(), 0600), 0);
    const RunResult fifo = Analyse(map);
    EXPECT_FALSE(fifo.ok);
    ASSERT_FALSE(fifo.messages.isEmpty());
    EXPECT_TRUE(fifo.messages.last().contains(QStringLiteral("not a regular file")))
        << fifo.messages.last().toStdString();
    ASSERT_TRUE(QFile::remove(project));
#endif

    // 2 GB of NUL bytes hold no unit clause; only the text before the first NUL is read.
    {
        QFile file(project);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(Q_INT64_C(2) * 1024 * 1024 * 1024));
    }
    const RunResult sparse = Analyse(map);
    EXPECT_TRUE(sparse.ok);
    EXPECT_EQ(sparse.units, FFull.units);
    EXPECT_LT(PeakResidentKiB(), 512 * 1024) << "peak KiB " << PeakResidentKiB();
}

TEST_F(HostileMap, AFifoOrAFolderIsRefusedWithAMessage)
{
    QStringList paths = {FTemp.path()};
#ifndef Q_OS_WIN
    paths << FTemp.path() + "/pipe.map";
    ASSERT_EQ(mkfifo(QFile::encodeName(paths.last()).constData(), 0600), 0);
#endif
    for (const QString &path : paths) {
        const RunResult result = Analyse(path);
        EXPECT_FALSE(result.ok) << path.toStdString();
        EXPECT_FALSE(result.messages.isEmpty()) << path.toStdString();
        EXPECT_TRUE(result.units.isEmpty());
    }
}

TEST(HostileFolders, ScanOfManyFilesEndsAndCanBeAborted)
{
    QTemporaryDir temp;
    const QString root = temp.path() + u'/';
    for (int folder = 0; folder < 100; ++folder)
        ASSERT_TRUE(CreateEmptyUnitFiles(root + QStringLiteral("f%1/").arg(folder), 1000));
#ifdef Q_OS_WIN
    constexpr int descentCalls = 101;
#else
    ASSERT_EQ(symlink(".", QFile::encodeName(root + "f0/loop").constData()), 0);
    // The loop is reported once, then not entered.
    constexpr int descentCalls = 102;
#endif

    int calls = 0;
    const auto all = ScanCompiledUnits(root, [&](const QString &, bool &) { ++calls; });
    // Once per folder, then every 1024 files sized.
    EXPECT_EQ(calls, descentCalls + 100000 / 1024);
    EXPECT_EQ(all->Count(), 100000);

    calls = 0;
    const auto aborted = ScanCompiledUnits(root, [&](const QString &, bool &abort) { abort = ++calls > 3; });
    EXPECT_LE(aborted->Count(), 2000);

    // An abort while the files are sized changes nothing: every unit found is sized.
    calls = 0;
    const auto sizing =
        ScanCompiledUnits(root, [&](const QString &, bool &abort) { abort = ++calls > descentCalls; });
    EXPECT_EQ(sizing->Count(), 100000);
}

// The bytes and modification times of every file of a project, keyed by relative path.
QMap<QString, QPair<QByteArray, QDateTime>> Fingerprint(const QString &folder)
{
    QMap<QString, QPair<QByteArray, QDateTime>> prints;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        prints[QDir(folder).relativeFilePath(path)] = {
            QCryptographicHash::hash(ReadAll(path), QCryptographicHash::Sha256),
            QFileInfo(path).lastModified()};
    }
    return prints;
}

TEST(ReadOnlyRun, ARunChangesNothingItReads)
{
    QTemporaryDir temp;
    const QString project = temp.path() + "/sample";
    QDir().mkpath(project);
    QDirIterator it(SampleFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = project + u'/' + QDir(SampleFolder).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).path());
        ASSERT_TRUE(QFile::copy(source, target));
        QFile(target).setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5), Qt::UTC),
                                  QFileDevice::FileModificationTime);
    }
    const auto before = Fingerprint(project);
    ASSERT_GE(before.size(), 5);
    const RunResult result = Analyse(project + "/SampleApp.map", project);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(Fingerprint(project), before);
}

} // namespace
