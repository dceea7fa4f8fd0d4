// What reading the executable adds to a report of its MAP file, on a synthetic build of real shape
// (3,000 units, 1.5 M symbols, a MAP file of about 120 MB) with an executable written to match it
// (its code and data sections as long as the MAP's segments, 2,000 resources, 200 imported DLLs).
// Measured in CPU time of the process against the floor taken in the same run: one read of each
// file, the MAP split into lines. The summary gives
//   the report of the MAP / floor, the report with the executable / floor, and
//   what the executable adds / the report of the MAP (target 0.10).

#include "BestRuns.h"
#include "PeBuilder.h"
#include "ReadFloor.h"
#include "SyntheticMap.h"

#include "analysis/MapAnalysis.h"
#include "analysis/WholeFile.h"
#include "tree/TreeGridModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

const QString &MapFile()
{
    static const QString path = [] {
        const QString folder = QDir::temp().filePath("quillon-bench");
        QDir().mkpath(folder);
        const QString map = QDir(folder).filePath("whole-file-3000-1500000.map");
        WriteSyntheticMapOnce(map, TSyntheticMapOptions());
        return map;
    }();
    return path;
}

// The executable beside the MAP file, with sections as long as its segments.
const QString &ExeFile()
{
    static const QString path = [] {
        const QString exe = QString(MapFile()).replace(".map", ".exe");
        const TMapSegments segments = TMapSegments::Parse(TMapText::LoadFromFile(MapFile()));
        TPeBuilder builder;
        for (const TMapSegment &segment : segments.Segments)
            builder.AddSection(segment.Name.toStdString(),
                               std::vector<uint8_t>(size_t(segment.Length), 0x90));
        builder.AddSection(".bss", {}, 0x8000);
        std::vector<TPeBuilder::TImport> imports;
        for (int k = 0; k < 200; ++k)
            imports.push_back(
                {"lib" + std::to_string(k % 150) + ".dll", {"Function" + std::to_string(k), "Other"}});
        builder.AddImports(imports);
        std::vector<TPeBuilder::TResource> resources;
        for (uint32_t k = 0; k < 2000; ++k)
            resources.push_back({k % 2 ? 10u : 3u, k + 1, std::vector<uint8_t>(200 + k % 300, 7)});
        builder.AddResources(resources);
        const std::vector<uint8_t> bytes = builder.Build();
        QFile file(exe);
        file.open(QIODevice::WriteOnly);
        file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
        return exe;
    }();
    return path;
}

size_t ReadWhole(const char *path)
{
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0)
        return 0;
    std::string buffer(size_t(::lseek(fd, 0, SEEK_END)), '\0');
    const ssize_t read = ::pread(fd, buffer.data(), buffer.size(), 0);
    ::close(fd);
    return read > 0 ? size_t(read) : 0;
}

void BM_Baseline_ReadBoth(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAndFindLineStarts(MapFile().toLocal8Bit().constData()) +
                                 ReadWhole(ExeFile().toLocal8Bit().constData()));
}

struct TReport
{
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};
    TReport()
    {
        TMapAnalysis::SetupUnitColumns(Grid);
        Analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
        Analysis.OnProjectFileMissing = [](TMapAnalysis *, const QString &, const QString &) {};
        Analysis.Run(MapFile(), std::nullopt);
    }
};

void BM_Report_Map(benchmark::State &state)
{
    for (auto _ : state) {
        TReport report;
        benchmark::DoNotOptimize(report.Analysis.Symbols().Count());
    }
}

void BM_Report_MapAndExecutable(benchmark::State &state)
{
    uint64_t parts = 0;
    for (auto _ : state) {
        TReport report;
        QString warning;
        const std::optional<TWholeFile> file =
            WholeFileOfMap({}, MapFile(), report.Analysis.Segments(), report.Analysis.FormOwners(), warning);
        if (!file)
            state.SkipWithError(("no whole file: " + warning.toStdString()).c_str());
        parts = file ? file->Root.Children.size() : 0;
        benchmark::DoNotOptimize(parts);
    }
    state.counters["parts"] = double(parts);
}

BENCHMARK(BM_Baseline_ReadBoth)->Unit(benchmark::kMillisecond)->Apply([](auto *b) { BestOf(b, 5); });
BENCHMARK(BM_Report_Map)->Unit(benchmark::kMillisecond)->Iterations(1)->Apply([](auto *b) { BestOf(b, 5); });
BENCHMARK(BM_Report_MapAndExecutable)->Unit(benchmark::kMillisecond)->Iterations(1)->Apply([](auto *b) {
    BestOf(b, 5);
});

class TRatioReporter : public TBestRunsReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double floor = CpuSeconds("BM_Baseline_ReadBoth/");
        const double map = CpuSeconds("BM_Report_Map/");
        const double both = CpuSeconds("BM_Report_MapAndExecutable/");
        std::printf("\nCPU time against the floor (both files read, the MAP split into lines, %.0f ms):\n",
                    floor * 1e3);
        std::printf("  report of the MAP                  %6.2f x\n", map / floor);
        std::printf("  report with the executable         %6.2f x\n", both / floor);
        std::printf("  added by the executable / report   %6.3f    (target 0.10)\n", (both - map) / map);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    ExeFile();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
