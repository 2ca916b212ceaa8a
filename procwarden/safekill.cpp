// SPDX-License-Identifier: GPL-2.0-or-later
#include "safekill.h"

#include "procfs.h"

#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool stillListed(const ListedProcess &listed)
{
    return listed.startTime >= 0 && readStartTime(listed.pid) == listed.startTime
           && readShortName(QString::number(listed.pid)) == listed.name;
}

int pidfdOpen(int pid)
{
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid, 0));
#else
    errno = ENOSYS;
    return -1;
#endif
}

int pidfdKill(int pidfd)
{
#ifdef SYS_pidfd_send_signal
    return int(::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0));
#else
    (void)pidfd;
    errno = ENOSYS;
    return -1;
#endif
}

}  // namespace

int endListedProcess(const ListedProcess &listed, SignalRoute route)
{
    // 0 and negative ids would signal whole process groups.
    if (listed.pid < 1)
        return ESRCH;
    if (route == SignalRoute::PidFd) {
        const int pidfd = pidfdOpen(listed.pid);
        if (pidfd >= 0) {
            // The descriptor holds this very process. Once /proc shows that the id still names
            // the listed process, a reuse of the id can no longer redirect the signal: if the
            // process ends meanwhile, the signal fails instead of reaching a newcomer.
            int result = 0;
            if (!stillListed(listed))
                result = ESRCH;
            else if (pidfdKill(pidfd) != 0)
                result = errno;
            ::close(pidfd);
            return result;
        }
        if (errno == ESRCH)
            return ESRCH;
        // Old kernels answer ENOSYS, some container filters EPERM: without a pidfd, check as
        // late as possible before the signal.
        if (errno != ENOSYS && errno != EPERM)
            return errno;
    }
    if (!stillListed(listed))
        return ESRCH;
    return ::kill(listed.pid, SIGKILL) == 0 ? 0 : errno;
}
