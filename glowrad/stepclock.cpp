// SPDX-License-Identifier: GPL-2.0-or-later
#include "stepclock.h"

#include "monotonic.h"

std::int64_t StepClock::next(std::int64_t nowNs, unsigned int durationMs)
{
    if (!running || nowNs - deadline > maxLateNs)
        deadline = nowNs;
    running = true;
    deadline += std::int64_t(durationMs) * NS_PER_MS;
    return deadline;
}

void StepClock::stop()
{
    running = false;
}
