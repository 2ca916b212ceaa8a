// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

// What the measuring programs print: wall time on the monotonic clock and CPU time of the
// process and of every child it has waited for, so that work done by tar or gzip counts too.
struct Stopwatch
{
    static std::int64_t nowNs()
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }

    static std::int64_t cpuNs()
    {
        std::int64_t total = 0;
        for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
            rusage usage{};
            getrusage(who, &usage);
            for (const timeval &t : {usage.ru_utime, usage.ru_stime})
                total += std::int64_t(t.tv_sec) * 1'000'000'000 + std::int64_t(t.tv_usec) * 1000;
        }
        return total;
    }

    std::int64_t wallStart = nowNs();
    std::int64_t cpuStart = cpuNs();

    // "wall_ns cpu_ns" since construction, on one line of standard output.
    void print(const char *extra = "") const
    {
        std::printf("%lld %lld%s\n", static_cast<long long>(nowNs() - wallStart),
                    static_cast<long long>(cpuNs() - cpuStart), extra);
        std::fflush(stdout);
    }
};
