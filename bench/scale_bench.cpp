// The engine and quillon-cli on MAP files of the largest real size, measured against the physical
// floor taken in the same run: one read() of the whole file into one buffer and its line starts
// found with memchr. Every figure is printed at the end as a ratio to that floor, beside its target,
// for a 170 MB 32-bit file and a 360 MB 64-bit one. Times are the best of several repetitions, in
// wall time and in CPU time (user and system; on a shared machine the wall time of a busy moment
// says little); peak memory is the ru_maxrss of a quillon-cli child.
//
// The two MAP files are generated once into $QUILLON_BENCH_DIR (default: the temporary folder's
// quillon-bench-scale) and reused by later runs; generating them takes a minute and 530 MB of disk.

#include "BestRuns.h"
#include "ReadFloor.h"
#include "SyntheticMap.h"

#include "analysis/MapAnalysis.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

extern char **environ;

namespace {

struct TScaleFile
{
    const char *Label;
    const char *Name;
    int Units;
    qint64 Symbols;
    bool Win64;
    QString Path;
    qint64 Bytes = 0;
};

// About 170 MB and 360 MB: a large 32-bit application, and the largest 64-bit one seen.
TScaleFile Files[] = {
    {"170 MB Win32", "win32-3000-1930000", 3000, 1'930'000, false, {}},
    {"360 MB Win64", "win64-6000-3450000", 6000, 3'450'000, true, {}},
};

QString CacheFolder()
{
    const QByteArray configured = qgetenv("QUILLON_BENCH_DIR");
    return configured.isEmpty() ? QDir::temp().filePath(QStringLiteral("quillon-bench-scale"))
                                : QString::fromLocal8Bit(configured);
}

void Prepare(TScaleFile &file)
{
    const QString folder = CacheFolder();
    QDir().mkpath(folder);
    file.Path = QDir(folder).filePath(QString::fromLatin1(file.Name) + QStringLiteral(".map"));
    TSyntheticMapOptions options;
    options.Units = file.Units;
    options.Symbols = file.Symbols;
    options.Win64 = file.Win64;
    WriteSyntheticMapOnce(file.Path, options);
    file.Bytes = QFileInfo(file.Path).size();
}

// Generated on first use, so that a filtered run makes only the file it measures.
TScaleFile &FileOf(const benchmark::State &state)
{
    TScaleFile &file = Files[state.range(0)];
    if (file.Path.isEmpty())
        Prepare(file);
    return file;
}

void BM_Floor(benchmark::State &state)
{
    const std::string path = FileOf(state).Path.toStdString();
    for (auto _ : state)
        state.counters["lines"] = double(ReadAndFindLineStarts(path.c_str()));
}

void RunEngine(const QString &path, TTreeGridModel &grid, TMapAnalysis &analysis)
{
    TMapAnalysis::SetupUnitColumns(grid);
    analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
    analysis.Run(path, std::nullopt);
}

// The unit rows sorted and the symbol table ready to open any unit.
void BM_Engine(benchmark::State &state)
{
    for (auto _ : state) {
        TTreeGridModel grid;
        TMapAnalysis analysis(grid);
        RunEngine(FileOf(state).Path, grid, analysis);
        state.counters["symbols"] = analysis.Symbols().Count();
    }
}

// quillon-cli as a user runs it, process start included; its peak memory from the kernel. The
// command reads the file once, or twice for diff (the file against itself).
void Cli(benchmark::State &state, const char *command, std::vector<std::string> options)
{
    const TScaleFile &file = FileOf(state);
    const std::string output = QDir(CacheFolder()).filePath(QStringLiteral("out")).toStdString();
    std::vector<std::string> arguments = {QUILLON_CLI_PATH, command, file.Path.toStdString()};
    if (std::string(command) == "diff")
        arguments.push_back(file.Path.toStdString());
    arguments.insert(arguments.end(), {"--output", output});
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    qint64 peak = 0;
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start quillon-cli");
            break;
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("quillon-cli failed");
            break;
        }
        peak = qint64(usage.ru_maxrss) * 1024;
        const auto seconds = [](const timeval &time) {
            return double(time.tv_sec) + double(time.tv_usec) * 1e-6;
        };
        state.counters["cpu_s"] = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    posix_spawn_file_actions_destroy(&actions);
    state.counters["peak_x_file"] = double(peak) / double(file.Bytes);
}

void BM_CliCsv(benchmark::State &state)
{
    Cli(state, "report", {"--format", "csv"});
}

void BM_CliJsonSymbols(benchmark::State &state)
{
    Cli(state, "report", {"--format", "json", "--symbols"});
}

void BM_CliDiffJsonSymbols(benchmark::State &state)
{
    Cli(state, "diff", {"--format", "json", "--symbols"});
}

// One engine with its grid after a run, kept for the opening benchmark.
struct TLoaded
{
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};
};

TLoaded &Loaded(const TScaleFile &file)
{
    // One file's engine at a time.
    static QString path;
    static std::unique_ptr<TLoaded> loaded;
    if (!loaded || path != file.Path) {
        loaded.reset();
        loaded = std::make_unique<TLoaded>();
        path = file.Path;
        RunEngine(file.Path, loaded->Grid, loaded->Analysis);
    }
    return *loaded;
}

// The largest unit (the first row after a run) opened as the grid opens it: placeholder replaced,
// grid re-sorted.
void BM_OpenLargestUnit(benchmark::State &state)
{
    TLoaded &map = Loaded(FileOf(state));
    TITreeNode *const unit = map.Grid.Items().GetFirstNode();
    int rows = 0;
    for (auto _ : state) {
        bool allow = false;
        map.Analysis.VGUnitsExpanding(&map.Grid, unit, allow);
        state.PauseTiming();
        rows = 0;
        for (TITreeNode *node = unit->GetFirstChild(); node && node != unit->NextSibling();
             node = node->GetNext())
            ++rows;
        unit->DeleteChildren();
        unit->AddChild(QStringLiteral("$"));
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}

// Every unit opened at once, as Alt+numpad * does in the window: each node with children is
// expanded in a pre-order walk, and each unit opened re-applies the grid's sort.
void BM_OpenEveryUnit(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto map = std::make_unique<TLoaded>();
        RunEngine(FileOf(state).Path, map->Grid, map->Analysis);
        map->Grid.OnExpanding = [&map](TTreeGridModel *sender, TITreeNode *node, bool &allow) {
            map->Analysis.VGUnitsExpanding(sender, node, allow);
        };
        state.ResumeTiming();
        map->Grid.Browser().ForEach([](TAbstractTreeBrowser &browser) {
            if (browser.HasChildren())
                browser.SetExpanded(true);
        });
        state.PauseTiming();
        state.counters["rows"] = double(map->Grid.Rows().size());
        map.reset();
        state.ResumeTiming();
    }
}

void Register(const char *name, void (*function)(benchmark::State &), int repetitions,
              benchmark::TimeUnit unit = benchmark::kMillisecond)
{
    for (int64_t file = 0; file < int64_t(std::size(Files)); ++file)
        BestOf(
            benchmark::RegisterBenchmark(name, function)->Arg(file)->Unit(unit)->UseRealTime()->Iterations(1),
            repetitions);
}

// Prints the usual table and, at the end, every figure against the floor of its file.
class TFloorReporter : public TBestRunsReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-34s", "figure (best of the repetitions)");
        for (const TScaleFile &file : Files)
            std::printf(" | %-33s", file.Label);
        std::printf(" | target\n%-34s", "");
        for (size_t f = 0; f < std::size(Files); ++f)
            std::printf(" | %10s %10s %9s", "value", "floor", "ratio");
        std::printf(" |\n");
        const auto key = [](const char *name, size_t file) {
            return std::string(name) + "/" + std::to_string(file);
        };
        const auto seconds = [&](const char *name, size_t file) { return Seconds(key(name, file)); };
        const auto cpuSeconds = [&](const char *name, size_t file) { return CpuSeconds(key(name, file)); };
        // The targets are judged on CPU time: on a loaded machine the floor's wall time itself
        // swells several times, and the ratio of wall times says more of the load than of the code.
        std::printf("targets are judged on the CPU time ratios (user + system)\n");
        const TTarget times[] = {
            {"engine run", "BM_Engine", 2},
            {"cli report --format csv", "BM_CliCsv", 2.5},
            {"cli report --format json --symbols", "BM_CliJsonSymbols", 4},
        };
        for (const TTarget &target : times) {
            std::printf("%-34s", target.Figure);
            for (size_t f = 0; f < std::size(Files); ++f)
                Row(seconds(target.Benchmark, f), seconds("BM_Floor", f), "s");
            std::printf(" |\n");
            std::printf("%-34s", "  the same in CPU time");
            for (size_t f = 0; f < std::size(Files); ++f)
                Row(cpuSeconds(target.Benchmark, f), cpuSeconds("BM_Floor", f), "s");
            std::printf(" | <= %.1f x\n", target.Target);
        }
        // A comparison of a file with itself against a report of each of the two files.
        std::printf("%-34s", "diff json --symbols / 2 reports");
        for (size_t f = 0; f < std::size(Files); ++f)
            Row(seconds("BM_CliDiffJsonSymbols", f), 2 * seconds("BM_CliJsonSymbols", f), "s");
        std::printf(" |\n%-34s", "  the same in CPU time");
        for (size_t f = 0; f < std::size(Files); ++f)
            Row(cpuSeconds("BM_CliDiffJsonSymbols", f), 2 * cpuSeconds("BM_CliJsonSymbols", f), "s");
        std::printf(" | <= 2.0 x\n");
        const char *const peaks[][2] = {{"peak memory, cli csv", "BM_CliCsv"},
                                        {"peak memory, cli json --symbols", "BM_CliJsonSymbols"}};
        for (const auto &peak : peaks) {
            std::printf("%-34s", peak[0]);
            for (size_t f = 0; f < std::size(Files); ++f) {
                const double ratio = Counter(key(peak[1], f), "peak_x_file");
                if (ratio < 0)
                    Row(-1, -1, "");
                else
                    Row(ratio * double(Files[f].Bytes) / 1e6, double(Files[f].Bytes) / 1e6, "MB");
            }
            std::printf(" | <= 1.5 x file size\n");
        }
        std::printf("%-34s", "open the largest unit");
        for (size_t f = 0; f < std::size(Files); ++f)
            Row(seconds("BM_OpenLargestUnit", f) * 1e3, -1, "ms");
        std::printf(" | < 100 ms\n");
        std::printf("%-34s", "open every unit / json --symbols");
        for (size_t f = 0; f < std::size(Files); ++f)
            Row(seconds("BM_OpenEveryUnit", f), seconds("BM_CliJsonSymbols", f), "s");
        std::printf(" | <= 3.0 x\n%-34s", "  the same in CPU time");
        for (size_t f = 0; f < std::size(Files); ++f)
            Row(cpuSeconds("BM_OpenEveryUnit", f), cpuSeconds("BM_CliJsonSymbols", f), "s");
        std::printf(" |\n");
        std::printf("%-34s", "growth 360 MB / 170 MB");
        const double growth = seconds("BM_Engine", 1) / seconds("BM_Engine", 0);
        std::printf(" | engine %.2f x, json --symbols %.2f x, floor %.2f x, bytes %.2f x | <= 2.2 x\n",
                    growth, seconds("BM_CliJsonSymbols", 1) / seconds("BM_CliJsonSymbols", 0),
                    seconds("BM_Floor", 1) / seconds("BM_Floor", 0),
                    double(Files[1].Bytes) / double(Files[0].Bytes));
    }

private:
    static void Row(double value, double floor, const char *unit)
    {
        if (value < 0) {
            std::printf(" | %33s", "not run");
            return;
        }
        if (floor <= 0) {
            std::printf(" | %7.1f %-2s %10s %9s", value, unit, "", "");
            return;
        }
        std::printf(" | %7.3f %-2s %7.3f %-2s %7.2f x", value, unit, floor, unit, value / floor);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The children's peaks come first, while this process is small.
    Register("BM_CliCsv", BM_CliCsv, 3);
    Register("BM_CliJsonSymbols", BM_CliJsonSymbols, 3);
    Register("BM_CliDiffJsonSymbols", BM_CliDiffJsonSymbols, 3);
    Register("BM_Floor", BM_Floor, 5);
    Register("BM_Engine", BM_Engine, 3);
    Register("BM_OpenLargestUnit", BM_OpenLargestUnit, 5, benchmark::kMicrosecond);
    Register("BM_OpenEveryUnit", BM_OpenEveryUnit, 1, benchmark::kSecond);
    TFloorReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
