#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/ratios.h"

namespace {

// Passes everything on to the console and keeps each benchmark's wall time per iteration,
// in seconds, so the ratios use the numbers just printed.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  explicit RecordingReporter(OutputOptions options) : ConsoleReporter(options) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      // Ratios name benchmarks without the "/real_time" and similar suffixes.
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      seconds_[name].push_back(run.real_accumulated_time / static_cast<double>(run.iterations));
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // The median over repetitions, or nothing when the benchmark did not run.
  bool Seconds(const std::string& name, double& out) const {
    auto it = seconds_.find(name);
    if (it == seconds_.end()) return false;
    std::vector<double> v = it->second;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    out = v[v.size() / 2];
    return true;
  }

 private:
  std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                   : benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);

  bool printedHeader = false;
  int missed = 0;
  for (const auto& check : huesift::bench::RatioChecks()) {
    double slow = 0;
    double fast = 0;
    if (!reporter.Seconds(check.slower, slow) || !reporter.Seconds(check.faster, fast) || fast <= 0)
      continue;
    if (!printedHeader) {
      std::printf("\nRatios of wall time per iteration in this run:\n");
      printedHeader = true;
    }
    const double ratio = slow / fast;
    const bool ok = check.atLeast ? ratio >= check.limit : ratio <= check.limit;
    missed += ok ? 0 : 1;
    std::printf("  %-20s / %-20s = %8.3f   target %s %g   %s\n", check.slower.c_str(),
                check.faster.c_str(), ratio, check.atLeast ? ">=" : "<=", check.limit,
                ok ? "met" : "MISSED");
  }
  if (printedHeader) std::printf("  %d target(s) missed\n", missed);
  benchmark::Shutdown();
  return 0;
}
