#pragma once

// Ratios that hold on a busy machine: every benchmark runs five repetitions, interleaved in random
// order with the other benchmarks' repetitions so that load that comes and goes falls on all of
// them alike, and the summary divides medians of CPU time per iteration measured in the same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Runs the registered benchmarks as described above (flags given on the command line still win)
// and returns the reporter that holds their medians.
class MedianRatios : public benchmark::ConsoleReporter {
public:
  // Five interleaved repetitions, only their aggregates reported, then argv's own flags.
  static int RunAll(int argc, char** argv, MedianRatios& reporter) {
    std::vector<char*> args = {argv[0], const_cast<char*>("--benchmark_repetitions=5"),
                               const_cast<char*>("--benchmark_enable_random_interleaving=true"),
                               const_cast<char*>("--benchmark_report_aggregates_only=true")};
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      const std::string name = run.run_name.function_name +
                               (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
      times_[name] = run.GetAdjustedCPUTime();
      for (const auto& counter : run.counters) counters_[name + ":" + counter.first] = counter.second;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "what  numerator/denominator  target" from median CPU times; nothing when either
  // benchmark did not run.
  void PrintRatio(const char* what, const std::string& numerator, const std::string& denominator,
                  const char* target) const {
    const auto n = times_.find(numerator), d = times_.find(denominator);
    if (n == times_.end() || d == times_.end() || d->second <= 0) return;
    Print(what, n->second / d->second, target);
  }

  // Prints the median of a benchmark's counter beside its target.
  void PrintCounter(const char* what, const std::string& benchmark, const std::string& counter,
                    const char* target) const {
    const auto c = counters_.find(benchmark + ":" + counter);
    if (c != counters_.end()) Print(what, c->second, target);
  }

  static void PrintHeading(const char* heading) {
    std::printf("\n%-66s %7s  %s\n", heading, "ratio", "target");
  }

private:
  static void Print(const char* what, double ratio, const char* target) {
    std::printf("%-66s %7.3f  %s\n", what, ratio, target);
  }

  std::map<std::string, double> times_;
  std::map<std::string, double> counters_;
};
