// SPDX-License-Identifier: GPL-2.0-or-later
#include "panelsettings.h"

#include <cstdint>

glowSettings defaultSettings(unsigned int userBrightness)
{
    glowSettings settings;
    settings.bright = static_cast<unsigned char>(userBrightness & 0xff);
    return settings;
}

glowSettings decodeSettings(const unsigned char *bytes, long count, unsigned int userBrightness)
{
    glowSettings settings = defaultSettings(userBrightness);
    if (count >= 4) {
        settings.lang = int(std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8
                            | std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24);
    }
    if (count >= 5)
        settings.sens = bytes[4];
    if (count >= 6)
        settings.bright = bytes[5];
    if (count >= 7)
        settings.brightOn = bytes[6];
    if (count >= 8)
        settings.smoothOn = bytes[7];

    if (settings.lang != 1)
        settings.lang = 0;
    if (settings.sens > 9)
        settings.sens = 6;
    if (settings.bright > 100)
        settings.bright = static_cast<unsigned char>(userBrightness & 0xff);
    return settings;
}

void encodeSettings(const glowSettings &settings, unsigned char *bytes)
{
    const std::uint32_t lang = std::uint32_t(settings.lang);
    bytes[0] = static_cast<unsigned char>(lang & 0xff);
    bytes[1] = static_cast<unsigned char>(lang >> 8 & 0xff);
    bytes[2] = static_cast<unsigned char>(lang >> 16 & 0xff);
    bytes[3] = static_cast<unsigned char>(lang >> 24 & 0xff);
    bytes[4] = settings.sens;
    bytes[5] = settings.bright;
    bytes[6] = settings.brightOn;
    bytes[7] = settings.smoothOn;
}
