#include "commandline.h"
#include "glowshow.h"
#include "lightguard.h"

#include <cstdio>

int main(int argc, char **argv)
{
    installSigexit();

    const CommandLine line = parseCommandLine(argc, argv);
    const std::string invocation = argc > 0 && argv[0] ? argv[0] : "";
    if (line.usage) {
        std::fputs(usageText(invocation).c_str(), stdout);
        return 0;
    }

    // Should the daemon be killed mid-scheme, its guard brings the lights back.
    startLightGuard();
    argv0 = invocation + ".sch";
    glowshow(line.scheme, line.demo);
    return 0;
}
