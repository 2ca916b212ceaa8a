// SPDX-License-Identifier: GPL-2.0-or-later
#include "monotonic.h"

#include <cerrno>
#include <climits>
#include <ctime>

std::int64_t monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * NS_PER_SECOND + now.tv_nsec;
}

int msUntil(std::int64_t deadlineNs)
{
    const std::int64_t left = deadlineNs - monotonicNs();
    if (left <= 0)
        return 0;
    const std::int64_t ms = (left + NS_PER_MS - 1) / NS_PER_MS;
    return ms > INT_MAX ? INT_MAX : int(ms);
}

void sleepUntilNs(std::int64_t deadlineNs)
{
    timespec when{};
    when.tv_sec = time_t(deadlineNs / NS_PER_SECOND);
    when.tv_nsec = long(deadlineNs % NS_PER_SECOND);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr) == EINTR) {}
}
