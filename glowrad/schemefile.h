// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The schemes file, little-endian, no magic and no version:
//
//   offset 0, 80 bytes   the index: ten entries of 8 bytes, entry n for scheme n
//                          +0 u32  byte offset of the scheme's first step, from the file's start
//                          +4 u32  number of steps
//   anywhere after       the steps of each scheme one after another, 4 bytes each
//                          +0 u16  duration in milliseconds
//                          +2 u8   backlight: 0 off, 1 the user's brightness, 2-255 that level
//                          +3 u8   keypad light: 0 off, anything else on

constexpr int SCHEME_COUNT = 10;
constexpr std::size_t SCHEME_ENTRY_SIZE = 8;
constexpr std::size_t SCHEME_INDEX_SIZE = SCHEME_COUNT * SCHEME_ENTRY_SIZE;
constexpr std::size_t SCHEME_STEP_SIZE = 4;

// The names of schemes 0 to 9: in the usage text, the schemes source and the panel's English
// menu.
extern const char *const schemeNames[SCHEME_COUNT];

struct SchemeEntry
{
    std::uint32_t offset = 0;
    std::uint32_t steps = 0;
};

struct SchemeStep
{
    std::uint16_t duration = 0;
    std::uint8_t backlight = 0;
    std::uint8_t keypad = 0;
};

// Entry `scheme` of an index of which only `length` bytes could be read; an entry that is not
// wholly there counts as a scheme without steps.
SchemeEntry schemeEntry(const unsigned char *index, std::size_t length, int scheme);
SchemeStep decodeStep(const unsigned char *bytes);

// A schemes file holding `schemes` (at most ten) one after another behind the index; schemes
// past the list have no steps.
std::vector<unsigned char> encodeSchemes(const std::vector<std::vector<SchemeStep>> &schemes);
