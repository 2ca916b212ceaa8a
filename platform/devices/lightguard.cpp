// SPDX-License-Identifier: GPL-2.0-or-later
#include "lightguard.h"

#include "lights.h"
#include "systembus.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char ARM = 'a';
constexpr char DISARM = 'd';

// The guard's whole life: wait until the program's end closes the socket, then restore.
[[noreturn]] void guard(int socket, const std::vector<GuardedValue> &saved, bool armed)
{
    // Named apart from the program, so that what ends the program by its name
    // ("kill `ps ... | grep glowrad`") spares the guard; deaf to the terminal's signals and
    // to a plain kill, which end the program, not its guard.
    prctl(PR_SET_NAME, "lightguard", 0, 0, 0);
    for (int ignored : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU})
        std::signal(ignored, SIG_IGN);
    setsid();
    // The working folder stays: EZX_ROOT may be relative to it.
    // Keep nothing of the program's: its files, pipes and bus connection are not ours. The
    // socket moves to 3, standard input and output to /dev/null.
    if (socket < 3)
        socket = fcntl(socket, F_DUPFD, 3);
    const int quiet = ::open("/dev/null", O_RDWR);
    for (int standard = 0; standard < 3; ++standard)
        dup2(quiet, standard);
    if (socket != 3)
        dup2(socket, 3);
    socket = 3;
    if (close_range(4, ~0U, 0) != 0) {
        for (int fd = 4; fd < 65536; ++fd)
            ::close(fd);
    }

    for (;;) {
        char message = 0;
        const ssize_t got = ::recv(socket, &message, 1, 0);
        if (got == 1) {
            armed = message == ARM ? true : message == DISARM ? false : armed;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        break;
    }
    if (armed) {
        SystemBus bus;  // the program's connection stays the program's
        for (const GuardedValue &value : saved)
            writeAttribute(value.device, value.attribute, value.value, bus);
    }
    _exit(0);
}

}  // namespace

bool startLightGuard()
{
    return lights().startGuard();
}

LightGuard::~LightGuard()
{
    if (socket >= 0)
        ::close(socket);
}

bool LightGuard::start(const std::vector<GuardedValue> &saved, bool armed)
{
    if (socket >= 0)
        return true;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return false;
    }
    if (child == 0) {
        ::close(ends[0]);
        guard(ends[1], saved, armed);
    }
    ::close(ends[1]);
    socket = ends[0];
    return true;
}

void LightGuard::arm(bool armed)
{
    if (socket < 0)
        return;
    const char message = armed ? ARM : DISARM;
    // A guard that is gone must not take the program with it: no SIGPIPE.
    while (::send(socket, &message, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {}
}
