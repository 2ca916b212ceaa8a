// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

// ambid's life around the measurement: options, one background copy at a time, detaching with
// a pid file, and the endless cycle that keeps the backlight in step with the light.

constexpr const char *PID_FILE = "/var/run/ambid.pid";

// The pid of another running copy named by the pid file at path, or 0 when there is none: no
// readable file, no number, a number of 0 or less, this very process, or a process that is gone
// or cannot be probed.
int runningCopy(const std::string &path);

// The pid file is written beside its place and renamed into it, so that a link planted at the
// path is replaced rather than followed and no half-written file is ever seen. preparePidFile
// creates the empty temporary file (mode 0644) and returns its descriptor, or -1 with errno;
// publishPidFile writes the pid as bare decimal digits, closes the descriptor and renames the
// file into place: 0, or -1 with errno, the temporary file removed.
int preparePidFile(const std::string &path, std::string *temporary);
int publishPidFile(int fd, const std::string &temporary, const std::string &path, int pid);

// Moves the level on the framebuffer fb from current to target one step at a time. A level
// whose set fails is tried again, at most SET_RETRIES times; then the ramp is given up
// (false) until the next cycle.
constexpr int SET_RETRIES = 3;
bool rampLevel(int fb, int current, int target);

// One cycle after the pause: with the backlight on and its level below 100, measures the light
// and ramps the level to the target.
void adjustBacklight(int fb, int minLevel, int errorLevel);

// The whole program; returns the exit status of a start that ends (the loop never does).
int ambidMain(int argc, char **argv);
