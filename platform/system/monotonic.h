// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

// The monotonic clock, for deadlines and pacing: it never jumps with the wall clock.
constexpr std::int64_t NS_PER_MS = 1'000'000;
constexpr std::int64_t NS_PER_SECOND = 1'000'000'000;

std::int64_t monotonicNs();

// Whole milliseconds left until deadlineNs, rounded up; 0 once it has passed.
int msUntil(std::int64_t deadlineNs);

// Sleeps until deadlineNs, through signals.
void sleepUntilNs(std::int64_t deadlineNs);
