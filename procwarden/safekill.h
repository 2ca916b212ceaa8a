// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// A process as a row of the list showed it: its id, the short name on the row and its start
// time (-1 when it could not be read).
struct ListedProcess
{
    int pid = 0;
    QString name;
    qint64 startTime = -1;
};

enum class SignalRoute {
    PidFd,      // hold the process by a pidfd while checking it, signal through the pidfd
    PlainKill,  // check, then kill() by id (what kernels without pidfds allow)
};

// Ends the listed process with signal 9, but only if its id still belongs to the process that
// was listed: an id read seconds ago may have been given to another process since. Returns 0
// when the signal was sent, otherwise an errno value: ESRCH when the process has gone or the
// id now names another process (nothing is signalled then), EPERM when we may not signal it.
// PidFd falls back to PlainKill where the kernel offers no pidfds.
int endListedProcess(const ListedProcess &listed, SignalRoute route = SignalRoute::PidFd);
