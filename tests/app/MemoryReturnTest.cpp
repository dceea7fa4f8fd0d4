// What a filter, a comparison and a run freed goes back to the system: the process then holds
// about what a fresh run of the same file holds. Read from the resident size (Linux only), which
// counts everything the process did before: ctest runs each of these tests in a process of its own,
// and the resident test skips itself when it is not alone in its process.
#include "MainWindowFixture.h"

#include "analysis/BaselineColumns.h"
#include "base/FreedMemory.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>

namespace {

#ifdef QUILLON_MAPGEN_PATH
qint64 ResidentBytes()
{
#ifdef _WIN32
    return -1; // no /proc, and no sysconf for its page size
#else
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
#endif
}
#endif

class MemoryReturn : public MainWindowFixture
{
protected:
    // Units of many routines each: a few hundred thousand rows once the filter opens them.
    QString WriteBuild(const QString &name, int units, int routines)
    {
        std::vector<TMapUnit> unitList;
        std::vector<TMapSymbol> symbols;
        quint32 start = 0;
        for (int u = 0; u < units; ++u) {
            const QString unit = QStringLiteral("Unit%1").arg(u, 5, 10, QLatin1Char('0'));
            const quint32 size = quint32(routines * 16);
            unitList.push_back({unit, size});
            for (int r = 0; r < routines; ++r)
                symbols.push_back(
                    {start + quint32(r * 16), unit + QStringLiteral(".TClass.Routine%1").arg(r)});
            start += size;
        }
        WriteProjectFile(name);
        return WriteMapFile(Folder.filePath(name), unitList, symbols, start);
    }
    // The project file beside the MAP file: without it the run would ask first.
    void WriteProjectFile(const QString &name)
    {
        QFile(Folder.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".dpr")))
            .open(QIODevice::WriteOnly);
    }
    void Go(const QString &map)
    {
        FWindow->FEMapFile()->SetFileName(map);
        FWindow->BBGoClick();
        ASSERT_TRUE(WaitForRun(*FWindow));
    }
    void Filter(const QString &text)
    {
        FWindow->EDFilter()->setText(text);
        FWindow->ApplyFilter();
        while (!Grid().Filter().Finished())
            QCoreApplication::processEvents();
    }
    QTemporaryDir Folder;
};

#ifdef QUILLON_MAPGEN_PATH
// The generator's MAP file of 400,000 symbols and its next build: as many rows once the filter has
// opened every unit.
TEST_F(MemoryReturn, AfterTheFilterTheComparisonAndANewRunTheProcessHoldsWhatAFreshRunHolds)
{
    if (ResidentBytes() <= 0)
        GTEST_SKIP() << "no /proc/self/statm on this system";
    if (::testing::UnitTest::GetInstance()->test_to_run_count() != 1)
        GTEST_SKIP() << "the resident size counts every test run before: run this one alone";
    const QString current = Folder.filePath(QStringLiteral("App.map"));
    const QString baseline = Folder.filePath(QStringLiteral("Next.map"));
    for (const QStringList &arguments :
         {QStringList{current, QStringLiteral("3000"), QStringLiteral("400000")},
          QStringList{baseline, QStringLiteral("3000"), QStringLiteral("400000"), QStringLiteral("--next-build")}})
        ASSERT_EQ(QProcess::execute(QStringLiteral(QUILLON_MAPGEN_PATH), arguments), 0);
    WriteProjectFile(QStringLiteral("App.map"));
    WriteProjectFile(QStringLiteral("Next.map"));
    KeepLargeBlocksApart(); // as the program's main does
    OpenWindow();
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
    FWindow->DEFilePath()->setText(Folder.path() + u'/');
    Go(current);
    const qint64 fresh = ResidentBytes();
    const auto within = [fresh](const char *after, double ratio) {
        // The window paints the rows again first, and gives back what its views dropped then.
        QTest::qWait(1000);
        const qint64 now = ResidentBytes();
        std::fprintf(stderr, "%s: %lld MB against %lld MB after a fresh run\n", after, now >> 20, fresh >> 20);
        EXPECT_LE(double(now), ratio * double(fresh)) << after << ": " << now / (1 << 20) << " MB against "
                                                      << fresh / (1 << 20) << " MB after a fresh run";
    };

    // "M3" names a routine of every unit, "T12" a type of most: each opens them all.
    for (const char *text : {"M3", "T12"}) {
        Filter(QString::fromLatin1(text));
        ASSERT_TRUE(Grid().Filtered());
        QTest::keyClick(FWindow.get(), Qt::Key_Escape);
        ASSERT_FALSE(Grid().Filtered());
        within(text, 1.1);
    }

    ASSERT_TRUE(FWindow->SetBaseline(baseline));
    ASSERT_TRUE(WaitForRun(*FWindow));
    ASSERT_TRUE(FWindow->Baseline());
    FWindow->ClearBaseline();
    within("Clear comparison", 1.1);

    Go(current);
    within("a new run", 1.1);
}
#endif

int RowsBuilt(TITreeView &grid)
{
    int rows = 0;
    for (const TITreeNode *node = grid.Items().GetFirstNode(); node; node = node->GetNext())
        ++rows;
    return rows;
}

// The filter opens every unit that owns a match to test it; cleared, those rows go again.
TEST_F(MemoryReturn, TheRowsTheFilterBuiltGoWhenItIsCleared)
{
    const QString current = WriteBuild(QStringLiteral("App.map"), 300, 60);
    OpenWindow();
    FWindow->DEFilePath()->setText(Folder.path() + u'/');
    Go(current);
    Grid().Items().GetFirstNode()->SetExpanded(true);
    const int before = RowsBuilt(Grid());
    for (const char *text : {"Routine", "Routine59"}) {
        Filter(QString::fromLatin1(text));
        EXPECT_GT(RowsBuilt(Grid()), 300 * 60) << text;
        FWindow->EDFilter()->clear();
        EXPECT_EQ(RowsBuilt(Grid()), before) << text << ": the unit the user opened keeps its rows";
        EXPECT_TRUE(Grid().Items().GetFirstNode()->Expanded());
    }
}

} // namespace
