// The benchmarks' reporter: prints as usual and keeps each benchmark's time for the table
// the benchmark prints at the end.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

// Keeps the time of every finished benchmark: the median when there are repetitions,
// otherwise the single run.
class Collector : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            std::string name = run.benchmark_name();
            if (run.run_type == Run::RT_Aggregate) {
                name = name.substr(0, name.rfind('_'));
            } else if (times.count(name)) {
                continue;  // a repetition: the median follows
            }
            times[name] = run.GetAdjustedRealTime();
        }
    }
    double Time(const std::string& name) const {
        auto found = times.find(name);
        return found == times.end() ? NAN : found->second;
    }

    std::map<std::string, double> times;
};
