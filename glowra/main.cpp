// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemoncommands.h"
#include "ezxversion.h"
#include "glowgui.h"
#include "glowra.h"
#include "lightguard.h"
#include "lights.h"
#include "phonepath.h"
#include "phonestorage.h"
#include "programstart.h"
#include "terminatesignal.h"
#include "zapplication.h"
#include "zmessagebox.h"

#include <QSocketNotifier>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void printUsage(FILE *out, const char *invocation)
{
    std::fprintf(out,
                 "Usage: %s\n"
                 "The light-show panel: flashes the lights to the microphone, plays and starts"
                 " glowrad's schemes.\n"
                 "Files:\n  %s.conf\n      its settings, saved on leaving by the right soft key\n"
                 "  %sd\n      the daemon it starts\n  %s\n      the user's brightness\n",
                 invocation, invocation, invocation, phonePath(std::string(PHONE_SYSTEM_CONFIG)).c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    // Qt's own options (-platform, -style, ...) pass; the panel has three of its own.
    if (const int status = answerProgramOptions(argc, argv, "glowra", EZX_VERSION, printUsage); status >= 0)
        return status;
    if (refuseWithoutDisplay(argc, argv))
        return 1;
    preparePhoneStorage();
    const bool pathFits = setInvocationPath(argc > 0 ? argv[0] : nullptr);
    // Before any thread: should the panel die while the flasher keeps the display dark, its
    // guard lights it again.
    startLightGuard();
    // A refused start has no lights to restore: the signals keep their default action then.
    const int terminateFd = pathFits ? installTerminateSignal() : -1;

    ZApplication app(argc, argv, 1);

    if (!pathFits) {
        std::fprintf(stderr, "glowra: the path it was started by is too long: %s\n", argc > 0 ? argv[0] : "");
        ZMessageBox::information(nullptr, QPixmap(),
                                 QStringLiteral("The program's path is too long. "
                                                "Start it from a shorter path."),
                                 QStringLiteral("Ok"));
        return 1;
    }

    reportMissingLights();
    glowGUI window;
    app.showMainWidget(&window);

    // SIGINT, SIGTERM, SIGFPE: the flasher stops, the user's brightness comes back, and the
    // panel ends without saving its settings.
    std::unique_ptr<QSocketNotifier> terminateWatch;
    if (terminateFd >= 0) {
        terminateWatch.reset(new QSocketNotifier(terminateFd, QSocketNotifier::Read));
        QObject::connect(terminateWatch.get(), &QSocketNotifier::activated, &app, [&app, &terminateWatch] {
            terminateWatch->setEnabled(false);
            glowO.stop();
            lightRequest(fl_fb, LIGHT_FB_SET_LEVEL, (unsigned long)fbbr);
            app.exit(0);
        });
    }

    return app.exec();
}
