// SPDX-License-Identifier: GPL-3.0-or-later
// Figures shared by the two halves of huesift_window_bench: milliseconds between two clock
// readings, the median of repeated runs, and the runs themselves as one line.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench_timing {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline std::string List(const std::vector<double>& v) {
  std::string out;
  char buffer[32];
  for (double x : v) {
    std::snprintf(buffer, sizeof buffer, "%s%.0f", out.empty() ? "" : " ", x);
    out += buffer;
  }
  return out;
}

}  // namespace bench_timing
