// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

// glowrad [scheme] [d] | glowrad --help | glowrad -h
struct CommandLine
{
    bool usage = false;  // print the usage text and end
    int scheme = 0;
    bool demo = false;
};

// Only the first character of the first argument counts ("12" is scheme 1); anything but a
// digit there asks for the usage text. Any second argument, whatever it says, means demo.
CommandLine parseCommandLine(int argc, const char *const *argv);

// The usage text, with the program's invocation path where it names itself.
std::string usageText(const std::string &invocation);
