// SPDX-License-Identifier: GPL-2.0-or-later
#include "commandline.h"

#include "schemefile.h"

CommandLine parseCommandLine(int argc, const char *const *argv)
{
    CommandLine line;
    if (argc > 1) {
        const char first = argv[1][0];
        if (first < '0' || first > '9') {
            line.usage = true;
            return line;
        }
        line.scheme = first - '0';
    }
    line.demo = argc > 2;
    return line;
}

std::string usageText(const std::string &invocation)
{
    std::string text = "Usage:\n    " + invocation + " [scheme] [d]\n    " + invocation + " --help\n    "
                       + invocation + " -h\n";
    text += " sheme       - work scheme (0-9, 0 default)\n";
    text += "             Schemes:\n";
    for (int n = 0; n < SCHEME_COUNT; ++n)
        text += "              " + std::to_string(n) + ": " + schemeNames[n] + "\n";
    text += " d           - show demo if set\n";
    text += " --help, -h  - display this help\n";
    return text;
}
