#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/ratios.h"

namespace {

struct Times {
  double wall = 0;  // seconds per iteration
  double cpu = 0;
};

// Passes everything on to the console and keeps each benchmark's times per iteration, the
// median when it ran in repetitions, so the ratios use the numbers just printed.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  explicit RecordingReporter(OutputOptions options) : ConsoleReporter(options) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.error_occurred || (run.run_type != Run::RT_Iteration && !median)) continue;
      // Ratios name benchmarks without the "/real_time" and similar suffixes.
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      const double perSecond = benchmark::GetTimeUnitMultiplier(run.time_unit);
      Times& t = times_[name];
      if (median || !medianSeen_[name]) {
        t = {run.GetAdjustedRealTime() / perSecond, run.GetAdjustedCPUTime() / perSecond};
        medianSeen_[name] = median;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  bool Get(const std::string& name, Times& out) const {
    auto it = times_.find(name);
    if (it == times_.end()) return false;
    out = it->second;
    return true;
  }

 private:
  std::map<std::string, Times> times_;
  std::map<std::string, bool> medianSeen_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                   : benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);

  // Wall time decides the targets. CPU time is shown beside it because this machine may be
  // shared: time spent waiting for the processor counts only in the wall time (and the
  // library comparisons may use several threads, whose CPU times add up).
  bool printedHeader = false;
  int missed = 0;
  for (const auto& check : huesift::bench::RatioChecks()) {
    Times slow;
    Times fast;
    if (!reporter.Get(check.slower, slow) || !reporter.Get(check.faster, fast) || fast.wall <= 0 ||
        fast.cpu <= 0)
      continue;
    if (!printedHeader) {
      std::printf("\nRatios in this run (wall time; CPU time in brackets):\n");
      printedHeader = true;
    }
    const double ratio = slow.wall / fast.wall;
    const bool ok = check.atLeast ? ratio >= check.limit : ratio <= check.limit;
    missed += ok ? 0 : 1;
    std::printf("  %-20s / %-20s = %8.3f  (%8.3f)   target %s %g   %s\n", check.slower.c_str(),
                check.faster.c_str(), ratio, slow.cpu / fast.cpu,
                check.atLeast ? ">=" : "<=", check.limit, ok ? "met" : "MISSED");
  }
  if (printedHeader) std::printf("  %d target(s) missed\n", missed);
  benchmark::Shutdown();
  return 0;
}
