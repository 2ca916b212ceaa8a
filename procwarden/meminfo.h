// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The rows of the memory view, made of the text of /proc/meminfo. Today's kernels give one
// figure a line ("MemTotal:       16318412 kB"); the phone's kernel began with a three-line
// summary table ("        total:    used:    free: ..." then "Mem:" and "Swap:") that repeats
// the figures below it, and only that table is dropped. Figures line up in columns for a
// fixed-pitch font: names left, numbers right-aligned, and beside each size in kB the same
// size in MiB, GiB or TiB. A line that is not "name: number [kB]" stays as it stands.
QStringList memInfoRows(const QString &text);

// A size in kB (KiB, as the kernel means it) to three figures in MiB, GiB or TiB: "23.5 GiB",
// "2.00 MiB", "512 MiB"; empty below 1 MiB.
QString binarySize(qint64 kB);
