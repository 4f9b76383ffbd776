// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ratios between benchmarks of one run, printed after the last benchmark. Any bench/*.cpp
// can register its own; a check whose benchmarks were filtered out is left out.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace huesift::bench {

struct RatioCheck {
  std::string slower;  // numerator: time per iteration of this benchmark ...
  std::string faster;  // ... divided by this one's
  double limit;
  bool atLeast;        // true: the ratio must be >= limit; false: <= limit
  bool target = true;  // false: shown for comparison, with no limit to meet
};

inline std::vector<RatioCheck>& RatioChecks() {
  static std::vector<RatioCheck> checks;
  return checks;
}

// Returns a value so it can initialise a namespace-scope variable.
inline bool AddRatioCheck(std::string slower, std::string faster, double limit, bool atLeast) {
  RatioChecks().push_back({std::move(slower), std::move(faster), limit, atLeast});
  return true;
}

inline bool AddRatioShown(std::string slower, std::string faster) {
  RatioChecks().push_back({std::move(slower), std::move(faster), 0, false, false});
  return true;
}

// Registers a benchmark the way every ratio here is measured: wall time in milliseconds,
// several repetitions reported as aggregates, among them "best", the fastest repetition. On a
// shared machine the best repetition is the one least disturbed by other work, so the ratios
// are taken between best repetitions (the median is reported beside them).
inline benchmark::internal::Benchmark* Timed(benchmark::internal::Benchmark* b,
                                             int repetitions = 5) {
  return b->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Repetitions(repetitions)
      ->ReportAggregatesOnly()
      ->ComputeStatistics("best", [](const std::vector<double>& v) {
        return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
      });
}

}  // namespace huesift::bench
