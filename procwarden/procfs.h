// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Reading the process file system. Every path goes through phonePath("/proc"), so a test can
// give the program a /proc tree of its own.

// The short program name cut out of the first line of a cmdline file. The NUL bytes between
// the arguments are ordinary characters here: one left-to-right scan moves the start past
// every "/" and past blanks, "-" and ":" met at the start of the name, and stops after the
// first such stopper inside the name; the last character looked at is dropped (the stopper,
// or the NUL that ends a plain command line). "/usr/bin/foo\0" gives "foo", "-sh\0" gives
// "sh", "/opt/x/\0" gives nothing.
QString cutShortName(const QString &line);

// The short name of a running process, cut from the first line of /proc/PID/cmdline decoded
// in the locale's encoding; empty when the file cannot be read or is empty (the process has
// ended, or it is a kernel thread).
QString readShortName(const QString &pid);

// The start time (field 22 of /proc/PID/stat, clock ticks after boot), -1 when the text is
// not a stat line. The command name in field 2 may itself hold blanks and ")".
qint64 startTimeFromStat(const QByteArray &stat);
qint64 readStartTime(int pid);
