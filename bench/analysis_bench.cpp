// Opening a unit on synthetic MAP files of real shape: a unit of 1,000 symbols among 1.5 M symbols
// against the same unit among 15,000 (the baseline, same run; target 3: opening costs the unit's
// own symbols, not the table's), in both groupings, and the last unit against the first. The
// engine and quillon-cli against the floor of reading the file are measured by scale_bench.

#include "BestRuns.h"
#include "SyntheticMap.h"

#include "analysis/MapAnalysis.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int FeaturedUnit = 1500;

struct TBenchFile
{
    QString Path;
    TSyntheticMapInfo Info;
};

// Generated once per options into the temporary folder and reused by later runs.
TBenchFile MapFile(const char *name, qint64 symbols)
{
    TSyntheticMapOptions options;
    options.Symbols = symbols;
    options.FeaturedUnit = FeaturedUnit;
    const QString folder = QDir::temp().filePath("quillon-bench");
    QDir().mkpath(folder);
    TBenchFile file{QDir(folder).filePath(QString::fromLatin1(name) + ".map"), {}};
    WriteSyntheticMapOnce(file.Path, options);
    file.Info.Bytes = QFileInfo(file.Path).size();
    file.Info.FeaturedUnitName = SyntheticUnitName(FeaturedUnit);
    file.Info.FirstUnitName = SyntheticUnitName(0);
    file.Info.LastUnitName = SyntheticUnitName(options.Units - 1);
    return file;
}

const TBenchFile &BigFile()
{
    static const TBenchFile file = MapFile("big-3000-1500000", 1'500'000);
    return file;
}

const TBenchFile &SmallFile()
{
    static const TBenchFile file = MapFile("small-3000-15000", 15'000);
    return file;
}

// One engine with its grid after a run, kept for the opening benchmarks.
struct TLoadedMap
{
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};

    explicit TLoadedMap(const QString &path)
    {
        TMapAnalysis::SetupUnitColumns(Grid);
        Analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
        Analysis.Run(path, std::nullopt);
    }

    TITreeNode *Unit(const QString &name)
    {
        for (TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->NextSibling())
            if (node->Text() == name)
                return node;
        return nullptr;
    }
};

TLoadedMap &Loaded(const TBenchFile &file)
{
    static std::map<QString, std::unique_ptr<TLoadedMap>> loaded;
    auto &entry = loaded[file.Path];
    if (!entry)
        entry = std::make_unique<TLoadedMap>(file.Path);
    return *entry;
}

// Opening a unit as the grid does: replace the placeholder, then re-sort the grid.
void OpenUnit(benchmark::State &state, const TBenchFile &file, const QString &unitName,
              TSymbolGrouping grouping = TSymbolGrouping::ByAddress)
{
    TLoadedMap &map = Loaded(file);
    map.Analysis.SetGrouping(grouping);
    TITreeNode *unit = map.Unit(unitName);
    if (!unit) {
        state.SkipWithError("unit not found");
        return;
    }
    int rows = 0;
    for (auto _ : state) {
        bool allow = false;
        map.Analysis.VGUnitsExpanding(&map.Grid, unit, allow);
        state.PauseTiming();
        rows = unit->Count();
        unit->DeleteChildren();
        unit->AddChild(QStringLiteral("$"));
        state.ResumeTiming();
    }
    state.counters["children"] = rows;
}

void BM_OpenUnit1000_Among15000(benchmark::State &state)
{
    OpenUnit(state, SmallFile(), SmallFile().Info.FeaturedUnitName);
}

void BM_OpenUnit1000_Among1500000(benchmark::State &state)
{
    OpenUnit(state, BigFile(), BigFile().Info.FeaturedUnitName);
}

void BM_OpenUnit1000_Among15000_ByName(benchmark::State &state)
{
    OpenUnit(state, SmallFile(), SmallFile().Info.FeaturedUnitName, TSymbolGrouping::ByName);
}

void BM_OpenUnit1000_Among1500000_ByName(benchmark::State &state)
{
    OpenUnit(state, BigFile(), BigFile().Info.FeaturedUnitName, TSymbolGrouping::ByName);
}

void BM_OpenFirstUnit_Among1500000(benchmark::State &state)
{
    OpenUnit(state, BigFile(), BigFile().Info.FirstUnitName);
}

void BM_OpenLastUnit_Among1500000(benchmark::State &state)
{
    OpenUnit(state, BigFile(), BigFile().Info.LastUnitName);
}

BENCHMARK(BM_OpenUnit1000_Among15000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenUnit1000_Among1500000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenUnit1000_Among15000_ByName)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenUnit1000_Among1500000_ByName)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenFirstUnit_Among1500000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenLastUnit_Among1500000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Prints the usual table and, at the end, the ratios the targets are stated in.
class TRatioReporter : public TBestRunsReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios against opening the same unit among 15,000 symbols:\n");
        const double small = Seconds("BM_OpenUnit1000_Among15000/");
        std::printf("  open 1000 of 1.5M / of 15000  %6.2f x  (target 3)\n",
                    Seconds("BM_OpenUnit1000_Among1500000/") / small);
        std::printf("  the same, grouped by name     %6.2f x  (target 3)\n",
                    Seconds("BM_OpenUnit1000_Among1500000_ByName/") /
                        Seconds("BM_OpenUnit1000_Among15000_ByName/"));
        std::printf("  open last / first unit        %6.2f x\n",
                    Seconds("BM_OpenLastUnit_Among1500000/") / Seconds("BM_OpenFirstUnit_Among1500000/"));
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    BigFile();
    SmallFile();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
