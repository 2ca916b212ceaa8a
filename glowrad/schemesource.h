// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The readable source of the schemes file. One statement a line; "#" starts a comment.
//
//   scheme NAME                          the next scheme, 0 to 9 in order, under its menu name
//   DURATION LIGHT KEYS                  one step
//   ramp DURATION FROM TO COUNT KEYS     COUNT steps of DURATION each, the level going evenly
//                                        from FROM to TO (both 2-255)
//   repeat COUNT ... end                 the steps between, COUNT times (may nest)
//
// DURATION is in milliseconds, 0-65535. LIGHT is off, user (the user's own brightness) or a
// level 2-255 (0 and 1 are accepted as off and user). KEYS is on or off, or a number 0-255
// (0 off, anything else on).

struct SchemeSourceError
{
    int line = 0;  // 0 when the fault is not on one line
    std::string message;
};

// The most steps one scheme may have; guards against a repeat that would blow up the file.
constexpr std::size_t SCHEME_MAX_STEPS = 16384;

// Encodes `source` as a schemes file into `out`. False, with `error` set and `out` untouched,
// when the source cannot be encoded.
bool compileSchemes(const std::string &source, std::vector<unsigned char> &out, SchemeSourceError &error);
