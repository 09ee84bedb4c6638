// Figures the UI benchmarks print: the median of the runs and the process's
// peak working set.
#pragma once
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <vector>

namespace benchfigures {

// Sorts the figures and answers their median.
inline double Median(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    if (n == 0) return 0;
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline double PeakWorkingSetMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

}  // namespace benchfigures
