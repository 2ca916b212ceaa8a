// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>

// The panel's settings file: 8 bytes, little-endian, no header.
//   0  32-bit  language: 1 Russian, anything else English
//   4  8-bit   sensitivity slider position, 0 to 9
//   5  8-bit   brightness slider value, 0 to 100
//   6  8-bit   "Brightness of backlight" ticked (nonzero)
//   7  8-bit   "Smooth flashing" ticked (nonzero)
constexpr std::size_t SETTINGS_SIZE = 8;

struct glowSettings
{
    int lang = 0;
    unsigned char sens = 6;
    unsigned char bright = 0;
    unsigned char brightOn = 0;
    unsigned char smoothOn = 0;
};

// The settings of a first start; the brightness slider stands at the user's brightness
// (its low byte).
glowSettings defaultSettings(unsigned int userBrightness);

// The settings from the first count bytes of the file (count < 0: nothing could be read).
// Fields the bytes do not reach keep their defaults; values out of range are corrected.
glowSettings decodeSettings(const unsigned char *bytes, long count, unsigned int userBrightness);

void encodeSettings(const glowSettings &settings, unsigned char *bytes);
