#pragma once
// The figures of repeated benchmarks: each is the best of its repetitions (the "min" statistic),
// since on a shared machine the others measure its neighbours as well. A benchmark program derives
// its reporter from TBestRunsReporter and prints the figures against its floor when it finalizes.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

double MinOf(const std::vector<double> &values);

// Repeated: the best of Repetitions runs is reported, alone.
void BestOf(benchmark::internal::Benchmark *benchmark, int repetitions);

// A figure a reporter prints: the benchmark that measures it and its target, a ratio to the floor.
struct TTarget
{
    const char *Figure;
    const char *Benchmark;
    double Target;
};

class TBestRunsReporter : public benchmark::ConsoleReporter
{
public:
    // The "min" aggregate of repeated benchmarks, the run itself of single ones.
    void ReportRuns(const std::vector<Run> &runs) override;

protected:
    // Keys are "name/args", "name/" for a benchmark without arguments; -1 when it did not run.
    double Seconds(const std::string &key) const;
    // A benchmark that measured a child process gives its CPU time as the counter "cpu_s".
    double CpuSeconds(const std::string &key) const;
    double Counter(const std::string &key, const std::string &name) const;

private:
    static double Find(const std::map<std::string, double> &values, const std::string &key);

    std::map<std::string, double> FSeconds;
    std::map<std::string, double> FCpuSeconds;
    std::map<std::string, double> FCounters;
};
