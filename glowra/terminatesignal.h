// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// SIGINT, SIGTERM and SIGFPE end the panel: the handler only writes a byte to a pipe, and the
// event loop, watching the pipe's other end, stops the flasher and restores the brightness.

// The handler.
void terminate_signal(int signal);

// Makes the pipe and installs terminate_signal for the three signals. Returns the end to
// watch, or -1 when no pipe could be made (the signals then keep their default action).
int installTerminateSignal();
