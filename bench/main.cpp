// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/ratios.h"

namespace {

struct Times {
  double wall = 0;  // seconds per iteration
  double cpu = 0;
};

// The library keeps its flags to itself, and a program that brings its own reporter gets
// none of --benchmark_format's choice; so the value is read here the way the library reads
// it (the last --benchmark_format=... on the command line, else $BENCHMARK_FORMAT).
std::string FormatFlag(int argc, char** argv) {
  const char* env = std::getenv("BENCHMARK_FORMAT");
  std::string format = env != nullptr ? env : "console";
  const std::string prefix = "--benchmark_format=";
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) format = argv[i] + prefix.size();
  return format;
}

std::unique_ptr<benchmark::BenchmarkReporter> ReporterFor(const std::string& format) {
  if (format == "json") return std::make_unique<benchmark::JSONReporter>();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (format == "csv") return std::make_unique<benchmark::CSVReporter>();
#pragma GCC diagnostic pop
  return std::make_unique<benchmark::ConsoleReporter>(
      isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                            : benchmark::ConsoleReporter::OO_Tabular);
}

// Passes everything on to the reporter the format asks for and keeps each benchmark's times
// per iteration, those of its best repetition when it ran in repetitions (see Timed in
// ratios.h), so the ratios use the numbers just reported.
class RecordingReporter : public benchmark::BenchmarkReporter {
 public:
  explicit RecordingReporter(std::unique_ptr<BenchmarkReporter> shown) : shown_(std::move(shown)) {}

  bool ReportContext(const Context& context) override { return shown_->ReportContext(context); }
  void Finalize() override { shown_->Finalize(); }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool best = run.run_type == Run::RT_Aggregate && run.aggregate_name == "best";
      if (run.error_occurred || (run.run_type != Run::RT_Iteration && !best)) continue;
      // Ratios name benchmarks without the "/real_time" and similar suffixes.
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      const double perSecond = benchmark::GetTimeUnitMultiplier(run.time_unit);
      Times& t = times_[name];
      if (best || !bestSeen_[name]) {
        t = {run.GetAdjustedRealTime() / perSecond, run.GetAdjustedCPUTime() / perSecond};
        bestSeen_[name] = best;
      }
    }
    shown_->ReportRuns(runs);
  }

  bool Get(const std::string& name, Times& out) const {
    auto it = times_.find(name);
    if (it == times_.end()) return false;
    out = it->second;
    return true;
  }

 private:
  std::unique_ptr<BenchmarkReporter> shown_;
  std::map<std::string, Times> times_;
  std::map<std::string, bool> bestSeen_;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string format = FormatFlag(argc, argv);
  // Repetitions of all benchmarks in random order rather than each benchmark's in a row, so
  // a stretch of load from elsewhere on the machine spreads over every benchmark instead of
  // landing on one side of a ratio. --benchmark_enable_random_interleaving=false undoes it.
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args(argv, argv + argc + 1);  // with the closing null pointer
  args.insert(args.begin() + 1, interleave.data());
  argc += 1;
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter(ReporterFor(format));
  // --benchmark_out=FILE is served by the library itself, beside this reporter.
  benchmark::RunSpecifiedBenchmarks(&reporter);

  // The table goes with the console output, and out of the way of JSON or CSV on standard
  // output, which tools read.
  std::FILE* table = format == "console" ? stdout : stderr;
  std::fflush(stdout);

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
      std::fprintf(table,
                   "\nRatios in this run, best repetitions (wall time; CPU time in brackets):\n");
      printedHeader = true;
    }
    const double ratio = slow.wall / fast.wall;
    if (!check.target) {
      std::fprintf(table, "  %-28s / %-25s = %7.3f  (%7.3f)   for comparison\n",
                   check.slower.c_str(), check.faster.c_str(), ratio, slow.cpu / fast.cpu);
      continue;
    }
    const bool ok = check.atLeast ? ratio >= check.limit : ratio <= check.limit;
    missed += ok ? 0 : 1;
    std::fprintf(table, "  %-28s / %-25s = %7.3f  (%7.3f)   target %s %-4g  %s\n",
                 check.slower.c_str(), check.faster.c_str(), ratio, slow.cpu / fast.cpu,
                 check.atLeast ? ">=" : "<=", check.limit, ok ? "met" : "MISSED");
  }
  if (printedHeader) std::fprintf(table, "  %d target(s) missed\n", missed);
  benchmark::Shutdown();
  return 0;
}
