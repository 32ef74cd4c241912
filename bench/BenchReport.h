// What every benchmark shares with tools/bench.sh: a millisecond clock and the result lines the
// script gathers into its closing table. A benchmark prints its own detail as it likes and, for
// each repeat of each work it measures, one result line:
//
//   @result <TAB> work <TAB> floor <TAB> goal <TAB> ratio
//
// work and floor name what was timed against what (no tabs); goal is the highest ratio that
// meets it; ratio is this repeat's time over the floor's time measured beside it. The script
// takes the median and the spread over the repeats of each work, in the order works first
// appear. A check that is not a ratio (a plan, a counter) prints
//
//   @check <TAB> what <TAB> ok|FAIL <TAB> detail
#pragma once

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double nowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Flushed at once: Wine hands the output on through a file, and a benchmark that fails later
// must still leave the repeats it measured.
inline void result(const char* work, const char* floor, double goal, double ratio) {
    std::printf("@result\t%s\t%s\t%.2f\t%.4f\n", work, floor, goal, ratio);
    std::fflush(stdout);
}

inline void check(const char* what, bool ok, const char* detail) {
    std::printf("@check\t%s\t%s\t%s\n", what, ok ? "ok" : "FAIL", detail);
    std::fflush(stdout);
}

// The best of a series of times: other processes on the machine only ever add time.
inline double fastest(const std::vector<double>& times) {
    return times.empty() ? 0 : *std::min_element(times.begin(), times.end());
}

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace bench
