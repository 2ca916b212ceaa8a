// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainwindow.h"
#include "phonepath.h"
#include "zapplication.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        char here[4096];
        std::printf("Usage: %s\nThe process manager with a launcher menu.\n"
                    "Files, in the working directory (now %s):\n"
                    "  applist.txt\n      the launcher menu\n"
                    "  alert.png\n      the icon of its boxes\n"
                    "Processes and memory figures: %s\n",
                    argv[0], getcwd(here, sizeof here) ? here : ".", phonePath(std::string("/proc")).c_str());
        return 0;
    }
    ZApplication app(argc, argv, 1);
    auto *window = new MainWindow;
    app.showMainWidget(window);
    const int status = app.exec();
    delete window;
    return status;
}
