#include "BestRuns.h"

#include <algorithm>

double MinOf(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

void BestOf(benchmark::internal::Benchmark *benchmark, int repetitions)
{
    benchmark->Repetitions(repetitions)->ComputeStatistics("min", MinOf)->ReportAggregatesOnly(true);
}

void TBestRunsReporter::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        if (run.run_type == Run::RT_Aggregate ? run.aggregate_name != "min" : run.repetitions > 1)
            continue;
        const std::string key = run.run_name.function_name + "/" + run.run_name.args;
        const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
        FSeconds[key] = run.GetAdjustedRealTime() / unit;
        const auto child = run.counters.find("cpu_s");
        FCpuSeconds[key] =
            child != run.counters.end() ? child->second.value : run.GetAdjustedCPUTime() / unit;
        for (const auto &[name, counter] : run.counters)
            FCounters[key + "." + name] = counter.value;
    }
}

double TBestRunsReporter::Find(const std::map<std::string, double> &values, const std::string &key)
{
    const auto found = values.find(key);
    return found == values.end() ? -1 : found->second;
}

double TBestRunsReporter::Seconds(const std::string &key) const
{
    return Find(FSeconds, key);
}

double TBestRunsReporter::CpuSeconds(const std::string &key) const
{
    return Find(FCpuSeconds, key);
}

double TBestRunsReporter::Counter(const std::string &key, const std::string &name) const
{
    return Find(FCounters, key + "." + name);
}
