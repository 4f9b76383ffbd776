// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ratios between benchmarks of one run, printed after the last benchmark. Any bench/*.cpp
// can register its own; a check whose benchmarks were filtered out is left out.

#include <string>
#include <vector>

namespace huesift::bench {

struct RatioCheck {
  std::string slower;  // numerator: time per iteration of this benchmark ...
  std::string faster;  // ... divided by this one's
  double limit;
  bool atLeast;  // true: the ratio must be >= limit; false: <= limit
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

}  // namespace huesift::bench
