// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon.h"

#include "brightness.h"
#include "lights.h"
#include "phonepath.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int DEFAULT_MIN_LEVEL = 10;
constexpr int DEFAULT_ERROR_LEVEL = 50;
constexpr int LEVEL_LEFT_ALONE = 100;
constexpr int CYCLE_SECONDS = 5;
constexpr useconds_t STEP_PAUSE_US = 100;

const char *const LICENCE_NOTICE =
    "ambid is free software: you can redistribute it and/or modify it under the terms of the\n"
    "GNU General Public License, version 2 or (at your option) any later version.\n"
    "It comes WITHOUT ANY WARRANTY; without even the implied warranty of MERCHANTABILITY or\n"
    "FITNESS FOR A PARTICULAR PURPOSE. See the licence for details.\n";

void printUsage(const char *name)
{
    std::fprintf(stderr,
                 "Usage: %s [-d] [-f] [-m level]\n"
                 "\t-m level\tSet minimal brightness level (0..100)\n"
                 "\t-e level\tSet brightness level on camera open error (0..100)\n"
                 "\t-d\t\tDebug mode\n"
                 "\t-f\t\tRun in foreground\n\n",
                 name);
    std::fputs(LICENCE_NOTICE, stderr);
    std::fprintf(stderr,
                 "\nFiles:\n  %s\n      process id of the background copy\n"
                 "  %s\n      the backlight\n  %s\n      the camera\n",
                 phonePath("/var/run/ambid.pid").c_str(), phonePath("/dev/fb0").c_str(),
                 phonePath("/dev/video0").c_str());
}

void printPidFileError(const std::string &path)
{
    std::fprintf(stderr, "main(): Could not open pid file %s for writing: %s", path.c_str(),
                 std::strerror(errno));
}

bool writeAll(int fd, const char *data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= size_t(written);
    }
    return true;
}

// Tests shorten the cycle with EZX_AMBID_CYCLE_MS (a whole number of milliseconds above 0);
// anything else keeps the daemon's five seconds.
timespec cyclePause()
{
    const char *text = std::getenv("EZX_AMBID_CYCLE_MS");
    if (text && *text) {
        char *end = nullptr;
        errno = 0;
        const long ms = std::strtol(text, &end, 10);
        if (errno == 0 && *end == '\0' && ms > 0)
            return timespec{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    }
    return timespec{CYCLE_SECONDS, 0};
}

// Returns -1 in the background copy, which goes on; otherwise the status the start ends with.
// The starting copy writes the pid file itself, with the background copy's pid, before it
// ends: a failure is then seen on its standard error and in its status, and whoever started
// it finds the pid file in place.
int detach(const std::string &pidPath)
{
    std::string temporary;
    const int pidFd = preparePidFile(pidPath, &temporary);
    if (pidFd < 0) {
        printPidFileError(pidPath);
        return 1;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pidFd);
        ::unlink(temporary.c_str());
        std::fputs("main(): Error while forking\n", stderr);
        return 1;
    }
    if (child > 0) {
        if (publishPidFile(pidFd, temporary, pidPath, child) < 0) {
            printPidFileError(pidPath);
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            return 1;
        }
        return 0;
    }

    ::close(pidFd);
    if (::setsid() < 0) {
        std::fputs("main(): (daemon): Could not set SID\n", stderr);
        return 1;
    }
    if (::chdir("/") < 0) {
        std::fprintf(stderr, "main(): (daemon): Could not chdir to /: %s\n", std::strerror(errno));
        return 1;
    }
    // A stream that cannot be moved stays where it was; the daemon runs on either way.
    int unmoved = !std::freopen("/dev/null", "r", stdin);
    unmoved += !std::freopen("/dev/null", "w", stdout);
    unmoved += !std::freopen("/dev/null", "w", stderr);
    (void)unmoved;
    return -1;
}

}  // namespace

int runningCopy(const std::string &path)
{
    // Only a plain file: a named pipe planted there would block the open for good.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return 0;
    }
    FILE *file = ::fdopen(fd, "r");
    if (!file) {
        ::close(fd);
        return 0;
    }
    int pid = 0;
    const int read = std::fscanf(file, "%d", &pid);
    std::fclose(file);
    // Our own pid can only be a leftover of an earlier life under the same number.
    if (read != 1 || pid <= 0 || pid == ::getpid())
        return 0;
    return ::kill(pid, 0) == 0 ? pid : 0;
}

int preparePidFile(const std::string &path, std::string *temporary)
{
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fchmod(fd, 0644) < 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.data());
        errno = error;
        return -1;
    }
    *temporary = name.data();
    return fd;
}

int publishPidFile(int fd, const std::string &temporary, const std::string &path, int pid)
{
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%d", pid);
    bool done = writeAll(fd, digits, size_t(length)) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) < 0 && done) {
        done = false;
        error = errno;
    }
    if (done && ::rename(temporary.c_str(), path.c_str()) == 0)
        return 0;
    if (done)
        error = errno;
    ::unlink(temporary.c_str());
    errno = error;
    return -1;
}

bool rampLevel(int fb, int current, int target)
{
    const int step = target > current ? 1 : -1;
    for (int level = current; level != target;) {
        level += step;
        int failures = 0;
        int result;
        while ((result = lightRequest(fb, LIGHT_FB_SET_LEVEL, static_cast<unsigned long>(level))) < 0) {
            std::fprintf(stderr, "main(): Could not change brightness: %d\n", result);
            if (++failures > SET_RETRIES)
                return false;
        }
        ::usleep(STEP_PAUSE_US);
    }
    return true;
}

void adjustBacklight(int fb, int minLevel, int errorLevel)
{
    unsigned char backlight = 0;
    int result = lightRequest(fb, LIGHT_FB_GET_BACKLIGHT, &backlight);
    if (result < 0) {
        std::fprintf(stderr, "Could not get backliht state: %d\n", result);
        return;
    }
    // Nothing is measured while the backlight is off.
    if (backlight == 0)
        return;
    int current = 0;
    result = lightRequest(fb, LIGHT_FB_GET_LEVEL, &current);
    if (result < 0) {
        std::fprintf(stderr, "Could not get brightness level: %d\n", result);
        return;
    }
    // Full brightness is the user's choice: left alone, and the camera stays closed.
    if (current == LEVEL_LEFT_ALONE)
        return;
    const int target = targetLevel(measureBrightness(), minLevel, errorLevel);
    if (target != current)
        rampLevel(fb, current, target);
}

int ambidMain(int argc, char **argv)
{
    const char *name = argc > 0 && argv[0] ? argv[0] : "ambid";
    int foreground = 0;
    [[maybe_unused]] int debug = 0;
    int minLevel = DEFAULT_MIN_LEVEL;
    int errorLevel = DEFAULT_ERROR_LEVEL;

    // 1. Options; getopt itself complains about unknown ones and missing arguments.
    int option;
    while ((option = ::getopt(argc, argv, "fdhm:e:")) != -1) {
        switch (option) {
        case 'f': foreground = 1; break;
        case 'd': debug = 1; break;
        case 'm': minLevel = std::atoi(optarg); break;
        case 'e': errorLevel = std::atoi(optarg); break;
        default: printUsage(name); return 1;
        }
    }

    // 2. One background copy at a time.
    const std::string pidPath = phonePath(PID_FILE);
    if (const int other = runningCopy(pidPath)) {
        std::fprintf(stderr, "main(): %s is already running (pid %d)\n", name, other);
        return 2;
    }

    // 3. The framebuffer stays open for the daemon's whole life.
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDWR);
    if (fb < 0) {
        std::fprintf(stderr, "main(): Could not open framebuffer device %s: %s\n",
                     phonePath(LIGHT_NODE_FB).c_str(), std::strerror(errno));
        const std::string hint = lightsHint(true, false);
        if (!hint.empty())
            std::fprintf(stderr, "main(): hint: %s\n", hint.c_str());
        return 1;
    }

    // 4. Into the background, unless asked not to or started by the first process.
    if (::getppid() != 1 && !foreground) {
        const int status = detach(pidPath);
        if (status >= 0)
            return status;
    }

    // 5. Pause, then measure and step the level toward the target, forever.
    const timespec pause = cyclePause();
    for (;;) {
        ::nanosleep(&pause, nullptr);
        adjustBacklight(fb, minLevel, errorLevel);
    }
}
