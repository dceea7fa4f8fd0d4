// The grid's filter on a synthetic MAP file of 1.5 M symbols in 3,000 units: the time from setting
// a filter text to the filtered rows being ready (the symbols searched, the units owning a hit
// opened and their rows built, tested and hidden or shown, the row list made), for the first screen
// and for every unit, on a grid just after the run, where no unit is open yet. The floor in the
// same run is one read() of the file and a memchr line split; the target is 0.5 s from the last key
// to the first screen, of which the window's debounce takes its FilterDelayMs.
//
// The texts: the generator names routines M0..M6 and types T0.., so "M3" matches in every unit
// and "T12" in most; "U1234" is one unit's name; "Create" and "Id" match nothing there.

#include "BestRuns.h"
#include "ReadFloor.h"
#include "SyntheticMap.h"

#include "analysis/MapAnalysis.h"
#include "analysis/NameFilter.h"
#include "app/FMain.h"
#include "tree/GridFilter.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

const char *const Texts[] = {"M3", "T12", "U1234", "Create", "Id"};

QString MapPath()
{
    static const QString path = [] {
        // The file analysis_bench makes: same options, same name.
        TSyntheticMapOptions options;
        options.Symbols = 1'500'000;
        options.FeaturedUnit = 1500;
        const QString folder = QDir::temp().filePath("quillon-bench");
        QDir().mkpath(folder);
        const QString file = QDir(folder).filePath("big-3000-1500000.map");
        WriteSyntheticMapOnce(file, options);
        return file;
    }();
    return path;
}

struct TLoaded
{
    TLoaded()
    {
        TMapAnalysis::SetupUnitColumns(Grid);
        Analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
        Analysis.Run(MapPath(), std::nullopt);
        Grid.OnExpanding = [this](TTreeGridModel *sender, TITreeNode *node, bool &allow) {
            Analysis.VGUnitsExpanding(sender, node, allow);
        };
    }
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};
};

TLoaded &Loaded()
{
    static TLoaded loaded;
    return loaded;
}

void BM_Floor(benchmark::State &state)
{
    const std::string path = MapPath().toStdString();
    for (auto _ : state)
        state.counters["lines"] = double(ReadAndFindLineStarts(path.c_str()));
}

// The first screen: the window tests units until more rows than it shows are ready (40 here), then
// goes on in slices between events. All: every unit tested.
constexpr size_t ScreenRows = 40;

void Filter(benchmark::State &state, bool wholeGrid)
{
    TLoaded &map = Loaded();
    const QString text = QString::fromLatin1(Texts[state.range(0)]);
    for (auto _ : state) {
        const TNameFilter filter(text);
        const TITreeNodeList owning = filter.UnitsOwningMatches(map.Analysis, map.Grid);
        map.Grid.Filter().Start([&filter](const TITreeNode *row) { return filter.RowMatches(row); }, owning);
        map.Grid.Filter().Continue(
            [&map, wholeGrid] { return !wholeGrid && map.Grid.Rows().size() > ScreenRows; });
        const size_t rows = map.Grid.Rows().size();
        state.PauseTiming();
        map.Grid.Filter().Continue();
        state.counters["shown"] = double(rows);
        state.counters["matches"] = map.Grid.Filter().MatchCount();
        state.counters["units_owning"] = double(owning.size());
        // Back to the grid of a fresh run: nothing open, nothing built.
        map.Grid.Filter().Clear();
        for (TITreeNode *unit : owning) {
            unit->DeleteChildren();
            unit->AddChild(QStringLiteral("$"));
        }
        state.ResumeTiming();
    }
}

void BM_FirstRows(benchmark::State &state)
{
    Filter(state, false);
}

void BM_AllRows(benchmark::State &state)
{
    Filter(state, true);
}

// Once per repetition, the best of three kept.
void Measured(benchmark::internal::Benchmark *run)
{
    BestOf(run->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1), 3);
}

class TFloorReporter : public TBestRunsReporter
{
public:
    // Wall time and CPU time (on a shared machine the wall time of a busy moment says little), each
    // beside the floor's.
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf(
            "\nsetting a filter text -> filtered rows ready, best of the repetitions, against the floor\n");
        std::printf("%-8s | %-38s | %-38s | target\n", "", "first screen: wall, cpu",
                    "every unit: wall, cpu");
        Row("floor", "BM_Floor/", "BM_Floor/");
        for (size_t i = 0; i < std::size(Texts); ++i)
            Row(Texts[i], "BM_FirstRows/" + std::to_string(i), "BM_AllRows/" + std::to_string(i));
    }

private:
    void Row(const char *label, const std::string &first, const std::string &all)
    {
        const double floor = Seconds("BM_Floor/");
        const double cpuFloor = CpuSeconds("BM_Floor/");
        std::printf("%-8s |", label);
        for (const std::string &key : {first, all})
            std::printf(" %6.3f s %6.2f x, %6.3f s %6.2f x |", Seconds(key), Seconds(key) / floor,
                        CpuSeconds(key), CpuSeconds(key) / cpuFloor);
        if (first == all)
            std::printf(" one read() and a memchr line split\n");
        else
            std::printf(" first screen + %d ms debounce <= 0.5 s\n", TQuillonMain::FilterDelayMs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Measured(benchmark::RegisterBenchmark("BM_Floor", BM_Floor));
    using TCase = std::pair<const char *, void (*)(benchmark::State &)>;
    for (const auto &[name, function] :
         {TCase{"BM_FirstRows", BM_FirstRows}, TCase{"BM_AllRows", BM_AllRows}})
        for (int64_t text = 0; text < int64_t(std::size(Texts)); ++text)
            Measured(benchmark::RegisterBenchmark(name, function)->Arg(text));
    TFloorReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
