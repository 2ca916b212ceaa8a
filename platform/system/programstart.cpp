// SPDX-License-Identifier: GPL-2.0-or-later
#include "programstart.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

const char *const noDisplayMessage =
    "no display: set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen";

namespace {

bool isSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

// Qt takes "-platform" and "--platform" alike, as it does its other options.
const char *withOneDash(const char *arg)
{
    return arg[0] == '-' && arg[1] == '-' ? arg + 1 : arg;
}

// The value Qt takes for OPTION: the command line's wins over the environment's.
const char *chosen(int argc, char *const *argv, const char *option, const char *variable)
{
    const char *value = std::getenv(variable);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(withOneDash(argv[i]), option) == 0)
            value = argv[++i];
    }
    return value ? value : "";
}

bool connectsTo(const std::string &path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size());
    // Without blocking: a server too busy to take the connection now is still there.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), length) == 0
                           || errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return connected;
}

// DISPLAY is [host]:number[.screen]. A local server listens on /tmp/.X11-unix/X<number>, on
// Linux also under the same name in the abstract namespace; a remote one cannot be tried
// cheaply and is left to Qt.
bool xDisplayReachable(const char *display)
{
    if (!display || !*display)
        return false;
    const std::string value(display);
    const std::size_t colon = value.rfind(':');
    if (colon == std::string::npos)
        return true;
    const std::string host = value.substr(0, colon);
    if (!host.empty() && host != "unix")
        return true;
    const std::string number = value.substr(colon + 1, value.find('.', colon) - colon - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const std::string socketPath = "/tmp/.X11-unix/X" + number;
    return connectsTo(socketPath, true) || connectsTo(socketPath, false);
}

}  // namespace

bool displayAvailable(int argc, char *const *argv)
{
    const std::string platform = chosen(argc, argv, "-platform", "QT_QPA_PLATFORM");
    const char *display = chosen(argc, argv, "-display", "DISPLAY");
    // xcb, or Qt's own choice outside a Wayland session, needs the X server.
    if (platform.compare(0, 3, "xcb") == 0)
        return xDisplayReachable(display);
    if (!platform.empty() || isSet("WAYLAND_DISPLAY"))
        return true;
    return xDisplayReachable(display);
}

bool refuseWithoutDisplay(int argc, char *const *argv)
{
    if (displayAvailable(argc, argv))
        return false;
    std::fprintf(stderr, "%s\n", noDisplayMessage);
    return true;
}

int qtOptionArgumentCount(const char *arg)
{
    // QGuiApplication's, QApplication's and the X11 platform's options.
    static const char *const withValue[] = {"-platform",        "-platformpluginpath",
                                            "-platformtheme",   "-plugin",
                                            "-qwindowgeometry", "-qwindowicon",
                                            "-qwindowtitle",    "-style",
                                            "-stylesheet",      "-session",
                                            "-display",         "-name",
                                            "-title",           "-geometry"};
    static const char *const alone[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync", "-visual"};
    const char *option = withOneDash(arg);
    for (const char *known : withValue) {
        if (std::strcmp(option, known) == 0)
            return 1;
    }
    for (const char *known : alone) {
        if (std::strcmp(option, known) == 0)
            return 0;
    }
    // Qt also reads "-style=NAME" and "-stylesheet=FILE" in one word, and the QML debugger's.
    if (std::strncmp(option, "-style=", 7) == 0 || std::strncmp(option, "-stylesheet=", 12) == 0
        || std::strncmp(option, "-qmljsdebugger=", 15) == 0)
        return 0;
    return -1;
}

const char *firstProgramOption(int argc, char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (arg[0] != '-' || arg[1] == '\0')
            continue;
        const int count = qtOptionArgumentCount(arg);
        if (count < 0)
            return arg;
        i += count;
    }
    return nullptr;
}

int answerProgramOptions(int argc, char *const *argv, const char *program, const char *version,
                         void (*printUsage)(std::FILE *out, const char *invocation))
{
    const char *option = firstProgramOption(argc, argv);
    if (!option)
        return -1;
    if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
        printUsage(stdout, argv[0]);
        return 0;
    }
    if (std::strcmp(option, "--version") == 0) {
        std::printf("%s %s\n", program, version);
        return 0;
    }
    std::fprintf(stderr, "%s: unknown option '%s'\n", program, option);
    printUsage(stderr, argv[0]);
    return 2;
}
