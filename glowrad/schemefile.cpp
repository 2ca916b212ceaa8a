// SPDX-License-Identifier: GPL-2.0-or-later
#include "schemefile.h"

const char *const schemeNames[SCHEME_COUNT] = {
    "Funky", "Pulse", "Rhytmic", "Flicker", "Energized", "Beats", "Mania", "Alien", "Elemental", "Sonic",
};

namespace {

std::uint32_t readU32(const unsigned char *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
           | std::uint32_t(p[3]) << 24;
}

void appendU32(std::vector<unsigned char> &out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void appendStep(std::vector<unsigned char> &out, const SchemeStep &step)
{
    out.push_back(static_cast<unsigned char>(step.duration));
    out.push_back(static_cast<unsigned char>(step.duration >> 8));
    out.push_back(step.backlight);
    out.push_back(step.keypad);
}

}  // namespace

SchemeEntry schemeEntry(const unsigned char *index, std::size_t length, int scheme)
{
    SchemeEntry entry;
    if (scheme < 0 || scheme >= SCHEME_COUNT)
        return entry;
    const std::size_t start = std::size_t(scheme) * SCHEME_ENTRY_SIZE;
    if (length < start + SCHEME_ENTRY_SIZE)
        return entry;
    entry.offset = readU32(index + start);
    entry.steps = readU32(index + start + 4);
    return entry;
}

SchemeStep decodeStep(const unsigned char *bytes)
{
    SchemeStep step;
    step.duration = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    step.backlight = bytes[2];
    step.keypad = bytes[3];
    return step;
}

std::vector<unsigned char> encodeSchemes(const std::vector<std::vector<SchemeStep>> &schemes)
{
    std::vector<unsigned char> out;
    std::uint32_t offset = SCHEME_INDEX_SIZE;
    for (int n = 0; n < SCHEME_COUNT; ++n) {
        const std::size_t steps = std::size_t(n) < schemes.size() ? schemes[n].size() : 0;
        appendU32(out, offset);
        appendU32(out, static_cast<std::uint32_t>(steps));
        offset += static_cast<std::uint32_t>(steps * SCHEME_STEP_SIZE);
    }
    for (const auto &scheme : schemes)
        for (const SchemeStep &step : scheme)
            appendStep(out, step);
    return out;
}
