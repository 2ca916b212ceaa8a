// SPDX-License-Identifier: GPL-2.0-or-later
#include "commandline.h"
#include "glowshow.h"
#include "lightguard.h"
#include "phonepath.h"
#include "phonestorage.h"

#include <cstdio>

int main(int argc, char **argv)
{
    installSigexit();

    const CommandLine line = parseCommandLine(argc, argv);
    const std::string invocation = argc > 0 && argv[0] ? argv[0] : "";
    if (line.usage) {
        std::fputs(usageText(invocation).c_str(), stdout);
        // Standard output keeps the usage text alone.
        std::fprintf(stderr,
                     "Files:\n  %s.sch\n      the light schemes\n"
                     "  %s\n      the user's brightness (%s in %s)\n"
                     "  %s, %s\n      the lights\n",
                     invocation.c_str(), phonePath(std::string(PHONE_SYSTEM_CONFIG)).c_str(),
                     SYSTEM_CONFIG_BRIGHTNESS, SYSTEM_CONFIG_GROUP,
                     phonePath(std::string("/dev/fb0")).c_str(),
                     phonePath(std::string("/dev/keylight")).c_str());
        return 0;
    }
    preparePhoneStorage();

    // Should the daemon be killed mid-scheme, its guard brings the lights back.
    startLightGuard();
    argv0 = invocation + ".sch";
    glowshow(line.scheme, line.demo);
    return 0;
}
