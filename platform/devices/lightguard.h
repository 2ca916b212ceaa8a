// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "lights_sysfs.h"

#include <vector>

// Nothing left dark: the light-show programs darken the display and play with the keypad
// light, and restore them when they end. Should one die without that clean-up (SIGKILL, a
// crash), its guard, a small process forked from it, puts the lights back as they were
// when the guard began. The guard waits on a socket whose other end only the program holds;
// the program ending in any way closes it. The program disarms the guard while it has no
// lights open, so a clean exit, which closes them after restoring, leaves the guard nothing
// to do.
//
// Starts the guard for the lights of this process; once per process, before any thread is
// started. Does nothing and answers false on backends other than sysfs.
bool startLightGuard();

struct GuardedValue
{
    SysfsDevice device;
    const char *attribute;
    long value;
};

class LightGuard
{
public:
    LightGuard() = default;
    ~LightGuard();
    LightGuard(const LightGuard &) = delete;
    LightGuard &operator=(const LightGuard &) = delete;

    // Forks the guard, which restores SAVED in order unless disarmed when this process ends.
    bool start(const std::vector<GuardedValue> &saved, bool armed);
    void arm(bool armed);
    bool running() const { return socket >= 0; }

private:
    int socket = -1;
};
