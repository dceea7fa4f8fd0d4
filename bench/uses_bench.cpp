// The uses of a program's units, in CPU time of this process (the machine is shared):
//   reading the uses lists of every .dcu file of a tree of 5,000 (100 folders of 50, each file
//   8 KB with 20 used units of 10 imported names each) on top of today's scan of that tree,
//   against the scan alone in the same run (target: at most 1.5 x);
//   the unit graph of 3,000 units with 15 uses each, its breadth-first walk, dominators and
//   retained sizes (target: under 50 ms).

#include "BestRuns.h"

#include "analysis/ProjectFiles.h"
#include "base/XLists.h"
#include "units/DcuUses.h"
#include "units/UnitGraph.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// A Delphi 12 Win32 unit: its header, one source file, 20 used units of 10 imported names, then
// declarations up to 8 KB.
QByteArray SyntheticDcu(int number)
{
    QByteArray file = QByteArray::fromHex("4d030024") + QByteArray(12, 0) + QByteArray::fromHex("0002");
    const QByteArray name = "Unit" + QByteArray::number(number);
    file += char(name.size()) + name +
            QByteArray::fromHex("fe27feef07"
                                "9600003c");
    file += "p" + QByteArray(1, char(name.size() + 4)) + name + ".pas" + QByteArray(4, 0) + QByteArray(1, 0);
    for (int u = 0; u < 20; ++u) {
        const QByteArray used = "System.Used" + QByteArray::number(u);
        file += "d" + QByteArray(1, char(used.size())) + used + QByteArray(3, 0);
        for (int i = 0; i < 10; ++i) {
            const QByteArray imported = "TImported" + QByteArray::number(i) + ".Method";
            file += "g" + QByteArray(1, char(imported.size())) + imported + QByteArray(4, 0);
        }
        file += "c";
    }
    file += "5";
    file += QByteArray(8192 - file.size(), 'x');
    const quint32 size = quint32(file.size());
    for (int i = 0; i < 4; ++i)
        file[4 + i] = char((size >> (8 * i)) & 0xFF);
    return file;
}

const QString &DcuTree()
{
    static QTemporaryDir tree;
    static const QString root = [] {
        for (int folder = 0; folder < 100; ++folder) {
            const QString path = tree.path() + u"/f%1/"_s.arg(folder);
            QDir().mkpath(path);
            for (int i = 0; i < 50; ++i) {
                QFile file(path + u"Unit%1.dcu"_s.arg(folder * 50 + i));
                if (!file.open(QIODevice::WriteOnly) || file.write(SyntheticDcu(folder * 50 + i)) != 8192)
                    return QString();
            }
        }
        return tree.path();
    }();
    return root;
}

// The scan of the search folder as a run does it today.
int Scan()
{
    return ScanCompiledUnits(DcuTree(), [](const QString &, bool &) {})->Count();
}

void BM_Baseline_Scan(benchmark::State &state)
{
    for (auto _ : state) {
        const double start = CpuSeconds();
        benchmark::DoNotOptimize(Scan());
        state.SetIterationTime(CpuSeconds() - start);
    }
}

void BM_ScanAndReadUses(benchmark::State &state)
{
    size_t used = 0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        benchmark::DoNotOptimize(Scan());
        auto files = NewXStringList();
        CollectFiles(DcuTree(), u"*.dcu"_s, *files, true);
        used = 0;
        for (int i = 0; i < files->Count(); ++i)
            used += ReadDcuUsesFile(files->Get(i)).Lists.Interface.size();
        state.SetIterationTime(CpuSeconds() - start);
    }
    state.counters["used_units"] = double(used);
}

TUnitGraph SyntheticGraph()
{
    constexpr int Units = 3000;
    std::mt19937 random(3000);
    TUnitGraph graph;
    for (int i = 0; i < Units; ++i)
        graph.AddUnit(u"Unit%1"_s.arg(i), qint64(random() % 50000));
    // Layered as programs are: a unit uses units of lower layers, now and then one above.
    for (int i = 0; i < Units; ++i) {
        std::vector<TUnitEdge> edges;
        for (int e = 0; e < 15; ++e) {
            const int to = random() % 10 == 0 ? int(random() % Units) : int(random() % Units) * i / Units;
            edges.push_back(TUnitEdge{std::max(0, to), TUsesKind::Interface, TUsesOrigin::Dcu, true, false});
        }
        graph.SetUses(Units - 1 - i, edges);
    }
    graph.SetRoot(Units - 1);
    return graph;
}

void BM_Graph3000Dominators(benchmark::State &state)
{
    const TUnitGraph prototype = SyntheticGraph();
    for (auto _ : state) {
        TUnitGraph graph = prototype;
        const double start = CpuSeconds();
        graph.Compute();
        benchmark::DoNotOptimize(graph.RetainedSize(graph.Root()));
        state.SetIterationTime(CpuSeconds() - start);
    }
}

BENCHMARK(BM_Baseline_Scan)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3)
    ->Apply([](auto *b) { BestOf(b, 3); });
BENCHMARK(BM_ScanAndReadUses)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3)
    ->Apply([](auto *b) { BestOf(b, 3); });
BENCHMARK(BM_Graph3000Dominators)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10)
    ->Apply([](auto *b) { BestOf(b, 3); });

class TUsesReporter : public TBestRunsReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double scan = Seconds("BM_Baseline_Scan/");
        const double uses = Seconds("BM_ScanAndReadUses/");
        const double graph = Seconds("BM_Graph3000Dominators/");
        std::printf("\nCPU time of this process, best of the repetitions:\n");
        std::printf("  scan of 5,000 .dcu files (the baseline)  %8.1f ms\n", scan * 1e3);
        std::printf("  scan and every uses list                 %8.1f ms  %5.2f x the scan (target 1.5)\n",
                    uses * 1e3, uses / scan);
        std::printf("  graph of 3,000 units and its dominators  %8.1f ms  (target 50 ms)\n", graph * 1e3);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (DcuTree().isEmpty()) {
        std::fprintf(stderr, "the tree of .dcu files could not be written\n");
        return 1;
    }
    TUsesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
