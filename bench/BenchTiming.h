// What the benchmarks time with: milliseconds since a start, the median of
// several runs, and the word printed beside a figure and its target.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace px::bench {

using Clock = std::chrono::steady_clock;

inline double Milliseconds(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// 0 for no runs at all.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

inline const char* Verdict(double value, double limit) { return value <= limit ? "PASS" : "MISS"; }

}  // namespace px::bench
