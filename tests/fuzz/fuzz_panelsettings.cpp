// SPDX-License-Identifier: GPL-2.0-or-later
// The panel's settings file: any length of any bytes gives settings in range, and those
// settings survive a write and a read.
#include "panelsettings.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const unsigned int userBrightness = size > 0 ? data[size - 1] % 101 : 25;
    const glowSettings settings = decodeSettings(data, long(size), userBrightness);
    if ((settings.lang != 0 && settings.lang != 1) || settings.sens > 9 || settings.bright > 100)
        std::abort();
    unsigned char bytes[SETTINGS_SIZE];
    encodeSettings(settings, bytes);
    const glowSettings back = decodeSettings(bytes, SETTINGS_SIZE, userBrightness);
    if (back.lang != settings.lang || back.sens != settings.sens || back.bright != settings.bright
        || back.brightOn != settings.brightOn || back.smoothOn != settings.smoothOn)
        std::abort();
    return 0;
}
