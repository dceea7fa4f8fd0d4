// The analysis engine on synthetic MAP files of real shape, measured against reading the same file
// and splitting it into lines in the same run. The summary at the end gives the ratios:
//   engine / baseline (target 3; the baseline is what the original program does before any
//   analysis: the text loader's decoding and the string list's line splitting; a leaner one, bytes
//   and line positions only, is printed beside it), CLI json --symbols / baseline (target 5), peak memory /
//   file size (target 4), opening a 1,000-symbol unit among 1.5 M symbols / among 15,000 (target 3), and the
//   last unit / the first.

#include "SyntheticMap.h"

#include "analysis/MapAnalysis.h"
#include "base/UFileUtils.h"
#include "base/XLists.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

extern char **environ;

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
    const QString stamp = file.Path + ".done";
    if (!QFileInfo::exists(stamp) || !QFileInfo::exists(file.Path)) {
        // In a child: the generator's memory must not count in this process's size.
        const pid_t child = fork();
        if (child == 0)
            std::_Exit(WriteSyntheticMap(file.Path, options, file.Info) ? 0 : 1);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.Path));
            std::exit(1);
        }
        QFile(stamp).open(QIODevice::WriteOnly);
    }
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

// Peak resident memory in bytes of a child process running Work (a forked copy of this one) or
// the given program.
qint64 ChildPeak(pid_t child)
{
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

void BM_Baseline_ReadAndSplitLines(benchmark::State &state)
{
    const TBenchFile &file = BigFile();
    for (auto _ : state) {
        auto lines = NewXStringList();
        lines->SetText(LoadTextFromFile(file.Path));
        benchmark::DoNotOptimize(lines->Count());
    }
    state.counters["MB"] = double(file.Info.Bytes) / 1e6;
}

// The least any reader does: the file's bytes and the positions of its lines.
void BM_Baseline_ReadBytesAndLineViews(benchmark::State &state)
{
    const TBenchFile &file = BigFile();
    for (auto _ : state) {
        QFile input(file.Path);
        input.open(QIODevice::ReadOnly);
        const QByteArray bytes = input.readAll();
        std::vector<QByteArrayView> lines;
        qsizetype start = 0;
        for (qsizetype end; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1)
            lines.emplace_back(bytes.constData() + start, end - start);
        benchmark::DoNotOptimize(lines.size());
    }
}

void BM_Engine_Run(benchmark::State &state)
{
    const TBenchFile &file = BigFile();
    for (auto _ : state) {
        TTreeGridModel grid;
        TMapAnalysis::SetupUnitColumns(grid);
        TMapAnalysis analysis(grid);
        analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
        analysis.Run(file.Path, std::nullopt);
        benchmark::DoNotOptimize(analysis.Symbols().Count());
        state.counters["symbols"] = analysis.Symbols().Count();
    }
}

void BM_Engine_PeakMemory(benchmark::State &state)
{
    const TBenchFile &file = BigFile();
    qint64 peak = 0;
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            TTreeGridModel grid;
            TMapAnalysis::SetupUnitColumns(grid);
            TMapAnalysis analysis(grid);
            analysis.Run(file.Path, std::nullopt);
            std::_Exit(0);
        }
        peak = ChildPeak(child);
    }
    state.counters["peak_MB"] = double(peak) / 1e6;
    state.counters["peak_x_file"] = double(peak) / double(file.Info.Bytes);
}

void BM_Cli_JsonSymbols(benchmark::State &state)
{
    const TBenchFile &file = BigFile();
    const std::string path = file.Path.toStdString();
    const std::string output = QDir::temp().filePath("quillon-bench/out.json").toStdString();
    std::vector<std::string> arguments = {QUILLON_CLI_PATH, "report",    path,       "--format",
                                          "json",           "--symbols", "--output", output};
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
        peak = ChildPeak(child);
    }
    posix_spawn_file_actions_destroy(&actions);
    state.counters["peak_MB"] = double(peak) / 1e6;
    state.counters["peak_x_file"] = double(peak) / double(file.Info.Bytes);
    state.counters["json_MB"] = double(QFileInfo(QString::fromStdString(output)).size()) / 1e6;
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

// The two peak measurements come first: a child's peak includes this process's size when it starts.
BENCHMARK(BM_Engine_PeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Cli_JsonSymbols)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Baseline_ReadAndSplitLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Baseline_ReadBytesAndLineViews)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Engine_Run)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OpenUnit1000_Among15000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenUnit1000_Among1500000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenUnit1000_Among15000_ByName)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenUnit1000_Among1500000_ByName)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenFirstUnit_Among1500000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OpenLastUnit_Among1500000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Prints the usual table and, at the end, the ratios the targets are stated in.
class TRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            FTimes[run.benchmark_name()] = run.GetAdjustedRealTime() * Scale(run.time_unit);
            for (const auto &[name, counter] : run.counters)
                FCounters[run.benchmark_name() + "." + name] = counter.value;
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto time = [this](const char *name) {
            return FTimes[std::string(name) + "/iterations:3/real_time"];
        };
        const double baseline = time("BM_Baseline_ReadAndSplitLines");
        std::printf("\nRatios against the baseline (read + split into lines, %.0f ms):\n", baseline * 1e3);
        std::printf("  engine run               %6.2f x  (target 3)\n", time("BM_Engine_Run") / baseline);
        std::printf("  engine run / bytes and line views only (%.0f ms)  %6.2f x\n",
                    time("BM_Baseline_ReadBytesAndLineViews") * 1e3,
                    time("BM_Engine_Run") / time("BM_Baseline_ReadBytesAndLineViews"));
        std::printf("  cli json --symbols       %6.2f x  (target 5)\n",
                    FTimes["BM_Cli_JsonSymbols/iterations:2/real_time"] / baseline);
        std::printf("  engine peak / file size  %6.2f x  (target 4)\n",
                    FCounters["BM_Engine_PeakMemory/iterations:1/real_time.peak_x_file"]);
        std::printf("  cli peak / file size     %6.2f x  (target 4)\n",
                    FCounters["BM_Cli_JsonSymbols/iterations:2/real_time.peak_x_file"]);
        const double small = FTimes["BM_OpenUnit1000_Among15000/real_time"];
        std::printf("  open 1000 of 1.5M / of 15000  %6.2f x  (target 3)\n",
                    FTimes["BM_OpenUnit1000_Among1500000/real_time"] / small);
        std::printf("  the same, grouped by name     %6.2f x  (target 3)\n",
                    FTimes["BM_OpenUnit1000_Among1500000_ByName/real_time"] /
                        FTimes["BM_OpenUnit1000_Among15000_ByName/real_time"]);
        std::printf("  open last / first unit        %6.2f x\n",
                    FTimes["BM_OpenLastUnit_Among1500000/real_time"] /
                        FTimes["BM_OpenFirstUnit_Among1500000/real_time"]);
    }

private:
    static double Scale(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-9;
        case benchmark::kMicrosecond:
            return 1e-6;
        case benchmark::kMillisecond:
            return 1e-3;
        case benchmark::kSecond:
            return 1;
        }
        return 1;
    }

    std::map<std::string, double> FTimes;
    std::map<std::string, double> FCounters;
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
