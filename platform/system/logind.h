// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class SystemBus;

// Sets a backlight or LED brightness through systemd-logind, which lets the user of the
// active session do it without write access to /sys: Session.SetBrightness on the caller's
// own session. SUBSYSTEM is "backlight" or "leds", NAME the device's name in that class,
// VALUE the raw brightness. False when logind is missing or refused.
bool logindSetBrightness(SystemBus &bus, const char *subsystem, const char *name, unsigned int value);
