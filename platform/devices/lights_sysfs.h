// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

class SystemBus;

// The lights of an ordinary Linux machine in /sys (through phonePath, so tests give it a tree
// of their own):
//   backlight    a device of /sys/class/backlight: EZX_BACKLIGHT=NAME, else the best by type
//                (firmware, then platform, then raw) and then by name
//   keypad light the LED of /sys/class/leds whose name ends in "kbd_backlight":
//                EZX_KEYLIGHT=NAME picks one, EZX_KEYLIGHT=none gives a keypad light that
//                does nothing (for machines without one)
// Levels 0-100 are spread over 0..max_brightness. Where a file cannot be written, the write
// goes through logind (see logind.h).
struct SysfsDevice
{
    std::string subsystem;  // "backlight" or "leds"
    std::string name;
    std::string folder;  // phone path applied
    long maxBrightness = 0;

    bool valid() const { return maxBrightness > 0; }
};

SysfsDevice findBacklight();
SysfsDevice findKeyboardLight();
// Lower is preferred: firmware, platform, raw, anything else.
int backlightTypeRank(const std::string &type);

// A level 0-100 as a raw brightness and back. A level above 0 never maps onto 0, so it never
// means dark.
long levelToRaw(int level, long maxBrightness);
int rawToLevel(long raw, long maxBrightness);

bool readAttribute(const SysfsDevice &device, const char *attribute, long *value);
// Writes the file, else (brightness only) asks logind through BUS. False with errno set.
bool writeAttribute(const SysfsDevice &device, const char *attribute, long value, SystemBus &bus);

