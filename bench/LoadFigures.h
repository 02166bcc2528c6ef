#pragma once
// What the load programs measure: elapsed times and the percentiles of latencies.
#include <algorithm>
#include <chrono>
#include <vector>

using QxLoadClock = std::chrono::steady_clock;

inline double QxMsSince(QxLoadClock::time_point start) {
    return std::chrono::duration<double, std::milli>(QxLoadClock::now() - start).count();
}

// The p-th percentile (0 to 1) of the values; 0 for none. Sorts them.
inline double QxPercentile(std::vector<double>& values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t at = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}
