// SPDX-License-Identifier: GPL-2.0-or-later
#include "terminatesignal.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int pipeWriteEnd = -1;
}

void terminate_signal(int)
{
    const int savedErrno = errno;
    const char byte = 't';
    // Non-blocking: a pipe full of earlier signals has said it all already.
    const ssize_t written = ::write(pipeWriteEnd, &byte, 1);
    (void)written;
    errno = savedErrno;
}

int installTerminateSignal()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    pipeWriteEnd = ends[1];

    struct sigaction action = {};
    action.sa_handler = &terminate_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A SIGFPE raised by a faulting instruction would come straight back after the handler
    // returns; with the handler used up, that second one ends the process instead of looping.
    action.sa_flags |= SA_RESETHAND;
    sigaction(SIGFPE, &action, nullptr);
    return ends[0];
}
