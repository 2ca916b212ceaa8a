// SPDX-License-Identifier: GPL-2.0-or-later
#include "logind.h"

#include "systembus.h"

#include <systemd/sd-bus.h>

bool logindSetBrightness(SystemBus &bus, const char *subsystem, const char *name, unsigned int value)
{
    std::lock_guard<std::mutex> lock(bus.lock());
    // "auto" is logind's name for the caller's session (or its user's display session).
    sd_bus_message *reply =
        bus.call("org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                 "org.freedesktop.login1.Session", "SetBrightness",
                 [&](sd_bus_message *m) { return sd_bus_message_append(m, "ssu", subsystem, name, value); });
    if (!reply)
        return false;
    sd_bus_message_unref(reply);
    return true;
}
