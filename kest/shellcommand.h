// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// How Kest hands its command lines to the shell: the one place that starts a tool and waits
// for it.

// A path as exactly one shell word (shellQuote of the platform). A relative path beginning
// with "-" would be taken for an option, and one whose first ":" comes before any "/" for a
// remote archive by tar: both get "./" in front.
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
    // The shell found no such program (127) or could not execute it (126). A job that never
    // ran (its output file could not be made, or it came after a Cancel) is not a missing tool.
    bool toolMissing() const { return end == Exited && (code == 126 || code == 127); }
};

// One job: "/bin/sh -c line" in a session (and process group) of its own, without a
// controlling terminal, standard input from /dev/null unless a password is passed.
struct ShellJob
{
    // How a password reaches the tool without being on its command line (which every user
    // can read in /proc).
    enum PasswordWay {
        NoPassword,
        PasswordOnInput,  // one line on standard input (a pipe): 7-Zip
        // Typed at the tool's own prompt on a pseudo-terminal (unzip, unar), which is its
        // standard input and output.
        PasswordAtTerminal,
    };

    QString line;
    PasswordWay passwordWay = NoPassword;
    QString password;
    // Standard output is kept in ShellResult::output (else it is Kest's own). With a limit
    // (bytes, > 0), the job is stopped once that much has come.
    bool captureOutput = false;
    qsizetype outputLimit = 0;
    // Not empty: standard output goes into this file, which must not exist yet (mode 0600).
    QString outputFile;
};

struct ShellResult
{
    ShellStatus status;
    QByteArray output;       // when captured
    QByteArray errors;       // the last 64 KiB of standard error, which still reaches Kest's own
    int prompts = 0;         // password prompts seen at the terminal: a second one means a wrong password
    bool stopped = false;    // ended by the output limit
    bool cancelled = false;  // stopped by the watch, or not started after such a stop
};

ShellResult runShellJob(const ShellJob &job);

// Runs line as above and waits until it has ended. A line holding a NUL character is not run.
ShellStatus runShellCommand(const QString &line);

// While a command runs, hook is called every shellWaitIntervalMs milliseconds (a window keeps
// itself painted that way); an empty hook just waits. The hook must not throw.
void setShellWaitHook(std::function<void()> hook);
constexpr int shellWaitIntervalMs = 20;

// The same with the running job's shell pid (also its session and process group). When the
// watch returns true, the job is cancelled: its whole process group gets SIGTERM, and SIGKILL
// when anything of it is still there 100 ms later; runShellJob returns once the shell is
// reaped and the group is gone, so what the job wrote can be removed safely.
using ShellWatch = std::function<bool(int job)>;
void setShellWatch(ShellWatch watch);

// True once a job was cancelled: every later job is then refused (not started, marked
// cancelled), so an operation of many commands stops at its next one. Setting a hook or a
// watch starts afresh.
bool shellCancelled();
