// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Reading the process file system. Every path goes through phonePath("/proc"), so a test can
// give the program a /proc tree of its own.

// The short program name of a command line (a cmdline file decoded: the arguments, each ended
// by a NUL). The name comes from the program's own path, the text before the first NUL; the
// other arguments never count. One left-to-right scan moves the start past every "/" and past
// blanks, "-" and ":" met at the start of the name, and stops at the first such stopper inside
// the name. "/usr/bin/foo\0" gives "foo", "-sh\0" gives "sh", "/bin/app --opt" gives "app",
// "/opt/x/\0" gives nothing. Control characters show as "?".
QString cutShortName(const QString &commandLine);

// A command line as one line of text: the arguments joined by blanks (trailing empty ones,
// the padding of a rewritten title, dropped), control characters shown as "?".
QString commandLineText(const QString &commandLine);

// The short name of a running process, cut from /proc/PID/cmdline decoded in the locale's
// encoding; empty when the file cannot be read or is empty (the process has ended, or it is a
// kernel thread).
QString readShortName(const QString &pid);

// The command line of a running process for showing (see commandLineText), at most its first
// few kilobytes; empty when it cannot be read.
QString readCommandLine(int pid);

// The start time (field 22 of /proc/PID/stat, clock ticks after boot), -1 when the text is
// not a stat line. The command name in field 2 may itself hold blanks and ")".
qint64 startTimeFromStat(const QByteArray &stat);
qint64 readStartTime(int pid);

// readShortName and readStartTime for a scan: pid is the entry's name in the /proc folder
// opened as procFd, so each file costs no lookup of "/proc" itself.
QString readShortNameAt(int procFd, const char *pid);
qint64 readStartTimeAt(int procFd, const char *pid);
