// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemoncommands.h"

#include "shellquote.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

char sfsname[PATH_BUFFER];
char sfdname[PATH_BUFFER];
char sfdsname[PATH_BUFFER];

// The phone's "kill `ps -eo pid,ucmd | grep glowrad` > /dev/null 2> /dev/null" handed kill the
// names beside the numbers: dash's kill gives up at the first name, so only the first daemon
// ended, and any name holding "glowrad" (glowrad-schemec) was listed too. The awk stage keeps
// the numbers of the processes named exactly glowrad that belong to the user.
const char *const stopDaemonCommand =
    "kill `ps -eo pid,ucmd,euid | grep glowrad"
    " | awk -v me=\"$(id -u)\" 'NF == 3 && $2 == \"glowrad\" && $3 == me { print $1 }'`"
    " > /dev/null 2> /dev/null";

namespace {

ShellRunner shellRunner = &std::system;

// The command formats go through printf: a '%' of the path must come out as itself.
std::string formatEscaped(const std::string &text)
{
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == '%')
            escaped += '%';
    }
    return escaped;
}

bool copyFitting(char *buffer, const std::string &text)
{
    if (text.size() >= std::size_t(PATH_BUFFER))
        return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

}  // namespace

std::string daemonProgramPath = "glowrad";

bool setInvocationPath(const char *path)
{
    sfsname[0] = sfdname[0] = sfdsname[0] = '\0';
    const std::string panel = path ? path : "";
    daemonProgramPath = panel + "d";
    const std::string daemon = formatEscaped(shellQuote(panel + "d"));
    if (!copyFitting(sfsname, panel + ".conf") || !copyFitting(sfdname, daemon + " %d d &")
        || !copyFitting(sfdsname, daemon + " %d &")) {
        sfsname[0] = sfdname[0] = sfdsname[0] = '\0';
        return false;
    }
    return true;
}

std::string daemonCommand(const char *format, int scheme)
{
    // A formatted command is never longer than its format: "%%" becomes one character and
    // "%d" one digit.
    char command[PATH_BUFFER];
    std::snprintf(command, sizeof command, format, scheme);
    return command;
}

int runShell(const char *command)
{
    return shellRunner(command);
}

ShellRunner setShellRunner(ShellRunner runner)
{
    ShellRunner previous = shellRunner;
    shellRunner = runner ? runner : &std::system;
    return previous;
}
