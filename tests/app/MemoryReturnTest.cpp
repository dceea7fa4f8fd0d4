// What a comparison and a run freed goes back to the system: the process then holds
// about what a fresh run of the same file holds. Read from the resident size (Linux only).
#include "MainWindowFixture.h"

#include "analysis/BaselineColumns.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

qint64 ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

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
        QFile(Folder.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".dpr")))
            .open(QIODevice::WriteOnly);
        return WriteMapFile(Folder.filePath(name), unitList, symbols, start);
    }
    void Go(const QString &map)
    {
        FWindow->FEMapFile()->SetFileName(map);
        FWindow->BBGoClick();
        ASSERT_TRUE(WaitForRun(*FWindow));
    }
    QTemporaryDir Folder;
};

TEST_F(MemoryReturn, AfterClearingTheComparisonAndANewRunTheProcessHoldsWhatAFreshRunHolds)
{
    if (ResidentBytes() <= 0)
        GTEST_SKIP() << "no /proc/self/statm on this system";
    const QString current = WriteBuild(QStringLiteral("App.map"), 1500, 60);
    const QString baseline = WriteBuild(QStringLiteral("Old.map"), 1500, 60);
    OpenWindow();
    FWindow->DEFilePath()->setText(Folder.path() + u'/');
    Go(current);
    const qint64 fresh = ResidentBytes();
    const auto within = [fresh](const char *after) {
        const qint64 now = ResidentBytes();
        EXPECT_LE(double(now), 1.1 * double(fresh)) << after << ": " << now / (1 << 20) << " MB against "
                                                    << fresh / (1 << 20) << " MB after a fresh run";
    };

    ASSERT_TRUE(FWindow->SetBaseline(baseline));
    ASSERT_TRUE(WaitForRun(*FWindow));
    ASSERT_TRUE(FWindow->Baseline());
    FWindow->ClearBaseline();
    within("Clear comparison");

    Go(current);
    within("a new run");
}

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
        FWindow->EDFilter()->setText(QString::fromLatin1(text));
        FWindow->ApplyFilter();
        while (!Grid().Filter().Finished())
            QCoreApplication::processEvents();
        EXPECT_GT(RowsBuilt(Grid()), 300 * 60) << text;
        FWindow->EDFilter()->clear();
        EXPECT_EQ(RowsBuilt(Grid()), before) << text << ": the unit the user opened keeps its rows";
        EXPECT_TRUE(Grid().Items().GetFirstNode()->Expanded());
    }
}

} // namespace
