// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <functional>

// How Kest hands its command lines to the shell.

// A path as exactly one shell word. Paths of plain characters (ASCII letters, digits and
// "_-./+,:=%@") come back unchanged, so ordinary command lines read as they always did;
// anything else is put in single quotes. A relative path beginning with "-" would be taken
// for an option, and one whose first ":" comes before any "/" for a remote archive by tar:
// both get "./" in front.
QString shellQuotePath(const QString &path);

// How a shell command ended.
struct ShellStatus
{
    enum End {
        NotRun,  // the shell could not be started (or its end was lost)
        Exited,  // code is the shell's exit status: the command's, 127 when it was not found
        Killed,  // code is the signal that ended the shell
    };
    End end = NotRun;
    int code = -1;

    bool exitedWithin(int worstAccepted) const { return end == Exited && code >= 0 && code <= worstAccepted; }
};

// Runs "/bin/sh -c line" with the line in UTF-8, standard input from /dev/null (a tool that
// asks a question reads end of input instead of waiting for an answer nobody can give) and
// standard output and error shared with this process, and waits until it has ended. A line
// holding a NUL character is not run.
ShellStatus runShellCommand(const QString &line);

// While a command runs, hook is called every shellWaitIntervalMs milliseconds (a window keeps
// itself painted that way); an empty hook just waits. The hook must not throw.
void setShellWaitHook(std::function<void()> hook);
constexpr int shellWaitIntervalMs = 20;
