// SPDX-License-Identifier: GPL-2.0-or-later
// Starts COUNT idle processes and keeps them until its standard input ends (or it is told to
// end), then ends them all. Each one also dies with this process, so an interrupted run leaves
// none behind. Prints "ready" once all are running.
//
//   bench-crowd COUNT
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t quit = 0;

void onSignal(int)
{
    quit = 1;
}

}  // namespace

int main(int argc, char **argv)
{
    const int count = argc == 2 ? std::atoi(argv[1]) : 0;
    if (count < 1) {
        std::fputs("usage: bench-crowd COUNT\n", stderr);
        return 2;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // Dies with whoever started it: a killed runner must not leave 2,000 processes behind.
    prctl(PR_SET_PDEATHSIG, SIGTERM);

    const pid_t parent = getpid();
    std::vector<pid_t> children;
    children.reserve(size_t(count));
    for (int i = 0; i < count && !quit; ++i) {
        const pid_t pid = fork();
        if (pid < 0)
            break;
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(0);
            for (;;)
                pause();
        }
        children.push_back(pid);
    }
    std::printf(children.size() == size_t(count) ? "ready\n" : "short\n");
    std::fflush(stdout);

    char byte;
    while (!quit && read(STDIN_FILENO, &byte, 1) > 0) {}
    for (pid_t pid : children)
        kill(pid, SIGKILL);
    for (pid_t pid : children)
        waitpid(pid, nullptr, 0);
    return 0;
}
