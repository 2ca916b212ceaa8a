// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

// The end times of the steps on the monotonic clock (monotonic.h), in nanoseconds. Each step ends its duration after the end
// of the one before, so the time the requests and wake-ups take does not pile up over a long
// scheme. After a stall (the daemon stopped, the phone asleep) the chain starts afresh instead
// of racing through the steps it missed.
class StepClock
{
public:
    // Later than this behind the chain counts as a stall.
    static constexpr std::int64_t maxLateNs = 100'000'000;

    // The deadline of a step of `durationMs` that begins at `nowNs`.
    std::int64_t next(std::int64_t nowNs, unsigned int durationMs);
    // Playback paused: the next step is timed from its own beginning.
    void stop();

private:
    std::int64_t deadline = 0;
    bool running = false;
};
