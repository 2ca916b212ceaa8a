// SPDX-License-Identifier: GPL-2.0-or-later
#include "ezxversion.h"
#include "mainwindow.h"
#include "phonepath.h"
#include "programstart.h"
#include "zapplication.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string workingFolder()
{
    char here[4096];
    return getcwd(here, sizeof here) ? here : ".";
}

// The folder of the running program, as the window finds it (Qt's applicationDirPath).
std::string programFolder()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    const std::string exe(path, std::size_t(length));
    const std::size_t slash = exe.rfind('/');
    return slash == 0 ? "/" : exe.substr(0, slash);
}

bool isFile(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The file the window will read for NAME: the working folder's, else the program folder's.
std::string foundFile(const char *name)
{
    if (isFile(name))
        return workingFolder() + "/" + name;
    const std::string beside = programFolder() + "/" + name;
    return isFile(beside) ? beside : "none found";
}

void printUsage(FILE *out, const char *invocation)
{
    std::fprintf(out,
                 "Usage: %s\nThe process manager with a launcher menu.\n"
                 "Files, from the working directory (now %s) or, when that has none, from the\n"
                 "program's folder (%s):\n"
                 "  applist.txt\n      the launcher menu; now %s\n"
                 "  alert.png\n      the icon of its boxes; now %s\n"
                 "Processes and memory figures: %s\n",
                 invocation, workingFolder().c_str(), programFolder().c_str(),
                 foundFile("applist.txt").c_str(), foundFile("alert.png").c_str(),
                 phonePath(std::string("/proc")).c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    // Qt's own options (-platform, -style, ...) pass; the window has three of its own.
    if (const int status = answerProgramOptions(argc, argv, "procwarden", EZX_VERSION, printUsage);
        status >= 0)
        return status;
    if (refuseWithoutDisplay(argc, argv))
        return 1;
    ZApplication app(argc, argv, 1);
    auto *window = new MainWindow;
    app.showMainWidget(window);
    const int status = app.exec();
    delete window;
    return status;
}
