// SPDX-License-Identifier: GPL-2.0-or-later
#include "pidnamespace.h"

#include <climits>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr const char *MARK = "EZX_TEST_PID_NAMESPACE";

// unshare with the options for a plain (root) namespace, then with a user namespace too.
const std::vector<std::vector<const char *>> ways = {
    {"unshare", "--pid", "--fork", "--mount-proc", "--kill-child"},
    {"unshare", "--user", "--map-root-user", "--pid", "--fork", "--mount-proc", "--kill-child"},
};

bool works(std::vector<const char *> command)
{
    command.push_back("true");
    command.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, command[0], nullptr, nullptr, const_cast<char **>(command.data()), environ) != 0)
        return false;
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool usePrivatePidNamespace(char **argv)
{
    if (std::getenv(MARK))
        return inPrivatePidNamespace();
    ::setenv(MARK, "1", 1);
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return false;
    self[length] = '\0';
    for (std::vector<const char *> command : ways) {
        if (!works(command))
            continue;
        command.push_back(self);
        for (char **arg = argv + 1; *arg; ++arg)
            command.push_back(*arg);
        command.push_back(nullptr);
        ::execvp(command[0], const_cast<char **>(command.data()));
    }
    return false;
}

bool inPrivatePidNamespace()
{
    return std::getenv(MARK) && ::getpid() == 1;
}
