// Timing of the Windows benchmarks: a clock in seconds, and the time of a call as the median
// of several batches, so that one batch slowed by another process on the machine does not move
// the figure.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace Bench {

inline double Now() {
    static const LARGE_INTEGER Frequency = [] {
        LARGE_INTEGER F;
        QueryPerformanceFrequency(&F);
        return F;
    }();
    LARGE_INTEGER T;
    QueryPerformanceCounter(&T);
    return static_cast<double>(T.QuadPart) / static_cast<double>(Frequency.QuadPart);
}

inline double Median(std::vector<double> Values) {
    if (Values.empty()) return 0;
    const auto Middle = Values.begin() + static_cast<std::ptrdiff_t>(Values.size() / 2);
    std::nth_element(Values.begin(), Middle, Values.end());
    return *Middle;
}

// Microseconds per call: the median of seven batches of Calls calls, after one call that warms
// caches and the images' own DCs. Flush waits for the drawing of each call (work that draws to
// a window).
inline double PerCall(int Calls, const std::function<void()>& Work, bool Flush = false) {
    Work();
    std::vector<double> Batches;
    for (int B = 0; B < 7; ++B) {
        const double Start = Now();
        for (int I = 0; I < Calls; ++I) {
            Work();
            if (Flush) GdiFlush();
        }
        Batches.push_back((Now() - Start) * 1e6 / Calls);
    }
    return Median(Batches);
}

} // namespace Bench
