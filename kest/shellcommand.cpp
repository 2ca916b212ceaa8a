// SPDX-License-Identifier: GPL-2.0-or-later
#include "shellcommand.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

std::function<void()> &waitHook()
{
    static std::function<void()> hook;
    return hook;
}

bool isPlain(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')
           || QStringView(u"_-./+,:=%@").contains(c);
}

bool needsDotSlash(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return false;
    if (path.startsWith(QLatin1Char('-')))
        return true;
    const int colon = path.indexOf(QLatin1Char(':'));
    const int slash = path.indexOf(QLatin1Char('/'));
    return colon >= 0 && (slash < 0 || colon < slash);
}

// Waits for pid, calling the hook every shellWaitIntervalMs. Looks start 1 ms apart and grow
// to the interval, so a short command (one cp of many) does not wait out a whole interval.
// False when the child cannot be waited for.
bool waitFor(pid_t pid, int &status)
{
    using Clock = std::chrono::steady_clock;
    const std::function<void()> hook = waitHook();
    const auto interval = std::chrono::milliseconds(shellWaitIntervalMs);
    auto pause = std::chrono::milliseconds(1);
    auto lastHook = Clock::now();
    for (;;) {
        const pid_t done = waitpid(pid, &status, hook ? WNOHANG : 0);
        if (done == pid)
            return true;
        if (done < 0 && errno != EINTR)
            return false;
        if (done == 0) {
            if (Clock::now() - lastHook >= interval) {
                hook();
                lastHook = Clock::now();
            }
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, interval);
        }
    }
}

}  // namespace

QString shellQuotePath(const QString &path)
{
    const QString word = needsDotSlash(path) ? QLatin1String("./") + path : path;
    if (!word.isEmpty() && std::all_of(word.begin(), word.end(), isPlain))
        return word;
    QString quoted = QStringLiteral("'");
    for (QChar c : word) {
        if (c == QLatin1Char('\''))
            quoted += QLatin1String("'\\''");
        else
            quoted += c;
    }
    quoted += QLatin1Char('\'');
    return quoted;
}

ShellStatus runShellCommand(const QString &line)
{
    ShellStatus result;
    QByteArray command = line.toUtf8();
    if (command.contains('\0'))
        return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The shell starts with nothing blocked and every signal at its default, whatever the
    // program does with its own.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    char shell[] = "/bin/sh", dashC[] = "-c";
    char *argv[] = {shell, dashC, command.data(), nullptr};
    pid_t pid = -1;
    const int error = posix_spawn(&pid, shell, &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return result;

    int status = 0;
    if (!waitFor(pid, status))
        return result;
    if (WIFEXITED(status)) {
        result.end = ShellStatus::Exited;
        result.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.end = ShellStatus::Killed;
        result.code = WTERMSIG(status);
    }
    return result;
}

void setShellWaitHook(std::function<void()> hook)
{
    waitHook() = std::move(hook);
}
