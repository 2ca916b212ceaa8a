// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdio>

// What the window programs check before they build their application object: Qt ends a
// program with an abort when it finds no display, and takes its own options from the command
// line, which the programs' option checks must let through.

// The line a window program prints, alone, when there is no display to open.
extern const char *const noDisplayMessage;

// Whether a window can be opened, judged from the environment (DISPLAY, WAYLAND_DISPLAY,
// QT_QPA_PLATFORM) and "-platform NAME" or "-display X" on the command line. An X display on this machine
// is tried by connecting to its socket; one elsewhere is taken on trust.
bool displayAvailable(int argc, char *const *argv);

// Prints noDisplayMessage on standard error and returns true when displayAvailable() is false.
bool refuseWithoutDisplay(int argc, char *const *argv);

// Of Qt's own command-line options: 1 when ARG is one that takes the next argument as its
// value (-platform, -style, ...), 0 when it is one that stands alone (-reverse, ...), -1
// when Qt does not know it.
int qtOptionArgumentCount(const char *arg);

// The first argument after the program's name that starts with '-' and is not one of Qt's
// options nor the value of one; nullptr when there is none. A lone "-" is no option.
const char *firstProgramOption(int argc, char *const *argv);

// The answer of a window program to its own options, before any window: -h and --help print
// the usage on standard output (status 0), --version "PROGRAM VERSION" (status 0), anything
// else "PROGRAM: unknown option 'X'" and the usage on standard error (status 2). Returns -1
// when there is no option of the program's own and it should go on.
int answerProgramOptions(int argc, char *const *argv, const char *program, const char *version,
                         void (*printUsage)(std::FILE *out, const char *invocation));
