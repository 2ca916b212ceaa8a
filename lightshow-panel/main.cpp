#include "daemoncommands.h"
#include "glowgui.h"
#include "glowra.h"
#include "lights.h"
#include "terminatesignal.h"
#include "zapplication.h"
#include "zmessagebox.h"

#include <QSocketNotifier>
#include <cstdio>

int main(int argc, char **argv)
{
    const int terminateFd = installTerminateSignal();
    const bool pathFits = setInvocationPath(argc > 0 ? argv[0] : nullptr);

    ZApplication app(argc, argv, 1);
    if (!pathFits) {
        std::fprintf(stderr, "glowra: the path it was started by is too long: %s\n",
                     argc > 0 ? argv[0] : "");
        ZMessageBox::information(nullptr, QPixmap(),
                                 QStringLiteral("The program's path is too long. "
                                                "Start it from a shorter path."),
                                 QStringLiteral("Ok"));
        return 1;
    }

    glowGUI window;
    app.showMainWidget(&window);

    // SIGINT, SIGTERM, SIGFPE: the flasher stops, the user's brightness comes back, and the
    // panel ends without saving its settings.
    QSocketNotifier terminateWatch(terminateFd, QSocketNotifier::Read);
    terminateWatch.setEnabled(terminateFd >= 0);
    QObject::connect(&terminateWatch, &QSocketNotifier::activated, &app, [&app] {
        glowO.stop();
        lightRequest(fl_fb, LIGHT_FB_SET_LEVEL, (unsigned long)fbbr);
        app.exit(0);
    });

    return app.exec();
}
