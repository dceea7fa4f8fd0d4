// Two builds compared, on a synthetic pair of real shape (3,000 units, 1.5 M symbols, about 120 MB
// each; the second is the generator's next build), against the physical floor taken in the same
// run: reading both files and splitting them into lines. The summary gives the ratios:
//   analysing both / floor, comparing the units / floor, comparing every unit's symbols / floor,
//   and comparing every unit's symbols / analysing both (target 1.5: a comparison costs little more
//   than the two analyses).

#include "BestRuns.h"
#include "ReadFloor.h"
#include "SyntheticMap.h"

#include "analysis/BuildComparison.h"
#include "analysis/MapAnalysis.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// Generated once into the temporary folder and reused by later runs.
QString PairFile(const char *name, bool nextBuild)
{
    const QString folder = QDir::temp().filePath("quillon-bench");
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    TSyntheticMapOptions options;
    options.NextBuild = nextBuild;
    WriteSyntheticMapOnce(path, options);
    return path;
}

const QString &OldFile()
{
    static const QString path = PairFile("pair-old-3000-1500000.map", false);
    return path;
}

const QString &NewFile()
{
    static const QString path = PairFile("pair-new-3000-1500000.map", true);
    return path;
}

struct TBuild
{
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};

    explicit TBuild(const QString &path)
    {
        TMapAnalysis::SetupUnitColumns(Grid);
        Analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
        Analysis.Run(path, std::nullopt);
    }
};

void BM_Baseline_ReadAndSplitBoth(benchmark::State &state)
{
    for (auto _ : state) {
        size_t lines = 0;
        for (const QString &path : {OldFile(), NewFile()})
            lines += ReadAndFindLineStarts(path.toLocal8Bit().constData());
        benchmark::DoNotOptimize(lines);
    }
}

void BM_Engine_AnalyseBoth(benchmark::State &state)
{
    for (auto _ : state) {
        TBuild oldBuild(OldFile());
        TBuild newBuild(NewFile());
        benchmark::DoNotOptimize(oldBuild.Analysis.Symbols().Count() + newBuild.Analysis.Symbols().Count());
    }
}

void BM_Engine_CompareUnits(benchmark::State &state)
{
    for (auto _ : state) {
        TBuild oldBuild(OldFile());
        TBuild newBuild(NewFile());
        benchmark::DoNotOptimize(CompareUnits(oldBuild.Grid, newBuild.Grid).size());
    }
}

void BM_Engine_CompareSymbols(benchmark::State &state)
{
    size_t changed = 0;
    for (auto _ : state) {
        TBuild oldBuild(OldFile());
        TBuild newBuild(NewFile());
        changed = 0;
        for (const TUnitChange &unit : CompareUnits(oldBuild.Grid, newBuild.Grid))
            changed += CompareUnitSymbols(oldBuild.Analysis, newBuild.Analysis, unit).size();
        benchmark::DoNotOptimize(changed);
    }
    state.counters["changed_symbols"] = double(changed);
}

BENCHMARK(BM_Baseline_ReadAndSplitBoth)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Engine_AnalyseBoth)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Engine_CompareUnits)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Engine_CompareSymbols)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

class TRatioReporter : public TBestRunsReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto time = [this](const char *name) { return Seconds(std::string(name) + "/"); };
        const double floor = time("BM_Baseline_ReadAndSplitBoth");
        const double both = time("BM_Engine_AnalyseBoth");
        std::printf("\nRatios against the floor (both files read and split into lines, %.0f ms):\n",
                    floor * 1e3);
        std::printf("  analysing both             %6.2f x\n", both / floor);
        std::printf("  comparing the units        %6.2f x\n", time("BM_Engine_CompareUnits") / floor);
        std::printf("  comparing every symbol     %6.2f x\n", time("BM_Engine_CompareSymbols") / floor);
        std::printf("  every symbol / analysing both  %6.2f x  (target 1.5)\n",
                    time("BM_Engine_CompareSymbols") / both);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    OldFile();
    NewFile();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
