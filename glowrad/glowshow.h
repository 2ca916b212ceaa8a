// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <csignal>
#include <cstdint>
#include <string>

// The daemon's process-wide state, set up before playback begins.
extern std::string argv0;       // path of the schemes file: the invocation path + ".sch"
extern int fb;                  // /dev/fb0, the display backlight
extern int kl;                  // /dev/keylight, the keypad light
extern int fglow;               // the schemes file
extern unsigned int brcurrent;  // the user's backlight brightness, read once at start

// Installs sigexit for SIGTERM and SIGINT. From then on both signals reach the daemon only
// while it sleeps, which it does in a way they cut short.
void installSigexit();

// The handler of SIGTERM and SIGINT: it only notes the request; the playback loop sees it at
// once, prints "Exiting" and restores the lights.
void sigexit(int signal);

// The time playback runs by: the monotonic clock, and a wait of up to ns nanoseconds with
// `mask` as the signal mask, which a signal cuts short. A test may pass a clock of its own.
struct ShowClock
{
    std::int64_t (*nowNs)();
    void (*waitNs)(std::int64_t ns, const sigset_t *mask);
};
extern const ShowClock monotonicShowClock;  // monotonicNs() and ppoll

// Opens the lights and the schemes file, then plays `scheme`: once in demo mode, else while a
// call rings, for as long as the daemon runs. Returns after a demo, a signal or a failure to
// open; every outcome has been reported on standard output.
void glowshow(int scheme, bool demo, const ShowClock &clock = monotonicShowClock);
