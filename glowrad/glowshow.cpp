// SPDX-License-Identifier: GPL-2.0-or-later
#include "glowshow.h"

#include "callstatus.h"
#include "lights.h"
#include "monotonic.h"
#include "schemefile.h"
#include "setupsetmanager.h"
#include "stepclock.h"
#include "systemconfig.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

std::string argv0;
int fb = -1;
int kl = -1;
int fglow = -1;
unsigned int brcurrent = 25;

namespace {

volatile std::sig_atomic_t exitRequested = 0;

// The signal mask while sleeping: the one the daemon started with, with SIGTERM and SIGINT let
// through. Outside the sleeps both stay blocked, so one that comes just before a sleep is held
// back and cuts that sleep short the moment it begins, instead of being missed.
sigset_t sleepMask;

struct LightFlags
{
    bool keypadOn = false;
    bool backlightOn = true;
    bool brightnessChanged = false;
};

void say(const char *message)
{
    std::printf("%s\n", message);
    std::fflush(stdout);
}

const ShowClock *showClock = &monotonicShowClock;

void waitInPpoll(std::int64_t ns, const sigset_t *mask)
{
    timespec wait{};
    wait.tv_sec = time_t(ns / NS_PER_SECOND);
    wait.tv_nsec = long(ns % NS_PER_SECOND);
    ppoll(nullptr, 0, &wait, mask);
}

// False, at once, when the daemon is asked to end.
bool sleepUntil(std::int64_t deadlineNs)
{
    for (;;) {
        if (exitRequested)
            return false;
        const std::int64_t left = deadlineNs - showClock->nowNs();
        if (left <= 0)
            return true;
        showClock->waitNs(left, &sleepMask);
    }
}

bool sleepFor(unsigned int ms)
{
    return sleepUntil(showClock->nowNs() + std::int64_t(ms) * NS_PER_MS);
}

// Fewer than `length` bytes only at the end of the file or on an error.
std::size_t readFully(int fd, unsigned char *buffer, std::size_t length)
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::read(fd, buffer + done, length - done);
        if (got > 0)
            done += std::size_t(got);
        else if (got < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return done;
}

void setLevel(unsigned long level)
{
    lightRequest(fb, LIGHT_FB_SET_LEVEL, level);
}

// Keypad light first, then unblank, backlight switch and brightness.
void showStep(const SchemeStep &step, LightFlags &lit)
{
    lit.keypadOn = step.keypad != 0;
    lightRequest(kl, lit.keypadOn ? LIGHT_KEYPAD_ON : LIGHT_KEYPAD_OFF, 0ul);
    if (step.backlight == 0) {
        // Off keeps the level: the next step that lights up again decides it.
        lightRequest(fb, LIGHT_FB_BACKLIGHT, 0ul);
        lit.backlightOn = false;
        return;
    }
    lightRequest(fb, LIGHT_FB_BLANK, 0ul);
    lightRequest(fb, LIGHT_FB_BACKLIGHT, 1ul);
    lit.backlightOn = true;
    if (step.backlight == 1) {
        setLevel(brcurrent);
        lit.brightnessChanged = false;
    } else {
        setLevel(step.backlight);
        lit.brightnessChanged = true;
    }
}

// Between calls: undo only what the scheme changed.
void restoreIdle(LightFlags &lit)
{
    if (!lit.backlightOn) {
        lightRequest(fb, LIGHT_FB_BACKLIGHT, 1ul);
        lit.backlightOn = true;
    }
    if (lit.brightnessChanged) {
        setLevel(brcurrent);
        lit.brightnessChanged = false;
    }
    if (lit.keypadOn) {
        lightRequest(kl, LIGHT_KEYPAD_OFF, 0ul);
        lit.keypadOn = false;
    }
}

void restoreAndClose()
{
    lightRequest(fb, LIGHT_FB_BACKLIGHT, 1ul);
    setLevel(brcurrent);
    lightRequest(kl, LIGHT_KEYPAD_OFF, 0ul);
    ::close(fglow);
    lightClose(fb);
    lightClose(kl);
}

// Plays the scheme once in demo mode, else pass after pass while a call rings. False when the
// daemon was asked to end.
bool play(const SchemeEntry &scheme, bool demo)
{
    LightFlags lit;
    StepClock clock;
    for (;;) {
        // 1. A pass starts at the scheme's first step.
        ::lseek(fglow, off_t(scheme.offset), SEEK_SET);
        std::uint32_t next = 0;
        bool paced = false;  // this pass has taken time: a step of some duration or an idle second
        while (next < scheme.steps) {
            if (exitRequested)
                return false;
            // 2. A call rings (or a demo plays): the next step.
            if (UTIL_GetIncomingCallStatus() != 0 || demo) {
                unsigned char bytes[SCHEME_STEP_SIZE];
                if (readFully(fglow, bytes, sizeof bytes) != sizeof bytes)
                    break;  // the file ends inside the scheme: so does the scheme
                const SchemeStep step = decodeStep(bytes);
                showStep(step, lit);
                if (!sleepUntil(clock.next(showClock->nowNs(), step.duration)))
                    return false;
                paced = paced || step.duration > 0;
                ++next;
                continue;
            }
            // 3. No call: normal lights, look again in a second. A call that ended mid-scheme
            // starts the next one from the first step.
            restoreIdle(lit);
            clock.stop();
            if (!sleepFor(1000))
                return false;
            paced = true;
            if (next > 0)
                break;
        }
        if (demo)
            return true;
        // 4. Nothing to show, or nothing that lasts: keep to the idle pace instead of spinning.
        if (!paced) {
            clock.stop();
            if (!sleepFor(1000))
                return false;
        }
    }
}

}  // namespace

void sigexit(int)
{
    exitRequested = 1;
}

void installSigexit()
{
    struct sigaction action = {};
    action.sa_handler = sigexit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the signal has to end the sleep it arrives in
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A message to a reader that has gone must not kill the daemon before it restores the lights.
    std::signal(SIGPIPE, SIG_IGN);

    sigset_t ours;
    sigemptyset(&ours);
    sigaddset(&ours, SIGTERM);
    sigaddset(&ours, SIGINT);
    sigprocmask(SIG_BLOCK, &ours, &sleepMask);
    sigdelset(&sleepMask, SIGTERM);
    sigdelset(&sleepMask, SIGINT);
}

const ShowClock monotonicShowClock = {monotonicNs, waitInPpoll};

void glowshow(int scheme, bool demo, const ShowClock &clock)
{
    showClock = &clock;
    fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
    kl = lightOpen(LIGHT_NODE_KEYPAD, O_RDONLY | O_NONBLOCK);
    // Non-blocking: a named pipe in the schemes file's place would hold the open forever.
    fglow = ::open(argv0.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fb < 0 || kl < 0 || fglow < 0) {
        if (fb < 0)
            say("Can't open /dev/fb0");
        if (kl < 0)
            say("Can't open /dev/keylight");
        if (fglow < 0)
            say("Can't open schemes file");
        return;
    }

    SETUP_SET_Manager settings(AM_Global::APP_LIGHTSHOW, false);
    settings.getSettingInfo(QString::fromLatin1(SYSTEM_CONFIG_GROUP),
                            QString::fromLatin1(SYSTEM_CONFIG_BRIGHTNESS), brcurrent, 25);

    unsigned char index[SCHEME_INDEX_SIZE];
    const std::size_t indexLength = readFully(fglow, index, sizeof index);

    say(demo ? "Showing demo" : "Running daemon");
    const bool done = play(schemeEntry(index, indexLength, scheme), demo);
    if (!done)
        say("Exiting");
    restoreAndClose();
    if (done)
        say("Done");
}
