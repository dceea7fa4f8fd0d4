// The uses of a program's units, in CPU time of this process (user and system: the machine is
// shared), the page cache warm from writing the tree and from the repetitions before:
//   the unit graph of a program of 5,000 units, each with its .dcu in a tree of 100 folders of 50
//   (each file 8 KB with 20 used units of 10 imported names each), built as report --retained
//   builds it after today's scan of that tree: the tree walked for .dcu files and sources, every
//   unit's uses list read and the graph computed; against the scan alone in the same run (target:
//   at most 1.5 x), and beside the floor of that work, the scan and one open and read of each file;
//   the unit graph of 3,000 units with 15 uses each, its breadth-first walk, dominators and
//   retained sizes (target: under 50 ms).

#include "BestRuns.h"

#include "analysis/ProjectFiles.h"
#include "base/XLists.h"
#include "units/UnitGraph.h"
#include "units/UnitGraphBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <random>

#include <fcntl.h>
#include <unistd.h>

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

constexpr int TreeUnits = 5000;

// The program and its units as the MAP lists them, the program last.
TUnitGraphSources ProgramOfTree()
{
    TUnitGraphSources sources;
    sources.MapFileName = DcuTree() + u"/Program.map"_s;
    sources.SearchFolder = DcuTree();
    for (int i = 0; i < TreeUnits; ++i)
        sources.Units.push_back(TLinkedUnit{u"Unit%1"_s.arg(i), 1000});
    sources.Units.push_back(TLinkedUnit{u"Program"_s, 100});
    return sources;
}

void BM_ScanAndReadUses(benchmark::State &state)
{
    const TUnitGraphSources sources = ProgramOfTree();
    int known = 0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        benchmark::DoNotOptimize(Scan());
        const TUnitGraphBuild build = BuildUnitGraph(sources);
        state.SetIterationTime(CpuSeconds() - start);
        known = 0;
        for (int i = 0; i < build.Graph.Count(); ++i)
            known += build.Graph.Node(i).UsesKnown ? 1 : 0;
    }
    state.counters["uses_known"] = double(known);
}

// The least the uses can cost: the scan, then each file opened, its first 16 KB read, closed.
void BM_Floor_ScanAndReadEach(benchmark::State &state)
{
    auto files = NewXStringList();
    CollectFiles(DcuTree(), u"*.dcu"_s, *files, true);
    std::vector<QByteArray> paths;
    for (int i = 0; i < files->Count(); ++i)
        paths.push_back(QFile::encodeName(files->Get(i)));
    static char buffer[16 * 1024];
    for (auto _ : state) {
        const double start = CpuSeconds();
        benchmark::DoNotOptimize(Scan());
        for (const QByteArray &path : paths) {
            const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
            benchmark::DoNotOptimize(read(fd, buffer, sizeof buffer));
            close(fd);
        }
        state.SetIterationTime(CpuSeconds() - start);
    }
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
BENCHMARK(BM_Floor_ScanAndReadEach)
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
        const double floor = Seconds("BM_Floor_ScanAndReadEach/");
        const double uses = Seconds("BM_ScanAndReadUses/");
        const double graph = Seconds("BM_Graph3000Dominators/");
        std::printf("\nCPU time of this process, best of the repetitions:\n");
        std::printf("  scan of 5,000 .dcu files (the baseline)  %8.1f ms\n", scan * 1e3);
        std::printf("  scan, each file opened and read (floor)  %8.1f ms  %5.2f x the scan\n", floor * 1e3,
                    floor / scan);
        std::printf("  scan and the graph of every uses list    %8.1f ms  %5.2f x the scan (target 1.5)\n",
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
