// SPDX-License-Identifier: GPL-2.0-or-later
#include "backlightstart.h"

#include <atomic>

namespace {

// Constant-initialised: the lights may be made while other files' statics are built.
std::atomic<int> startLevel{-1};

}  // namespace

void recordBacklightLevelAtStart(int level)
{
    startLevel.store(level, std::memory_order_relaxed);
}

bool backlightLevelAtStart(unsigned int *level)
{
    const int known = startLevel.load(std::memory_order_relaxed);
    if (known < 0)
        return false;
    *level = unsigned(known);
    return true;
}
