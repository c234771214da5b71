// Side-by-side timing: every benchmark measures its subject and a baseline in the same run
// and prints the ratio against its target, so results do not depend on the machine.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The value below which the fraction p of the values lie.
inline double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size())));
    return values[index];
}

// Median wall time of fn over the given repetitions, in milliseconds.
inline double medianMs(const std::function<void()> &fn, int repetitions = 5)
{
    std::vector<double> times;
    times.reserve(size_t(repetitions));
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Prints "name: subject X ms, baseline Y ms, ratio R (target <= T) ok|MISSED".
inline bool reportRatio(const std::string &name, double subjectMs, double baselineMs, double target)
{
    const double ratio = baselineMs > 0 ? subjectMs / baselineMs : 0;
    const bool ok = ratio <= target;
    std::printf("%-48s subject %9.3f ms  baseline %9.3f ms  ratio %6.2f  (target <= %.2f) %s\n",
                name.c_str(), subjectMs, baselineMs, ratio, target, ok ? "ok" : "MISSED");
    std::fflush(stdout);
    return ok;
}

inline void reportValue(const std::string &name, double value, const char *unit, double target = 0)
{
    if (target > 0)
        std::printf("%-48s %9.3f %s  (target <= %.3f) %s\n", name.c_str(), value, unit, target,
                    value <= target ? "ok" : "MISSED");
    else
        std::printf("%-48s %9.3f %s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

} // namespace bench
