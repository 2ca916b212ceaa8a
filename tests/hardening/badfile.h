// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The ways a file a program reads can be bad, each made at a path for one test row.
enum class BadFile { Missing, Empty, Truncated, Garbage, Huge, Unreadable, Folder, SymlinkLoop, Fifo };

struct BadFileCase
{
    const char *name;
    BadFile kind;
};

// Every case, in table order.
const QList<BadFileCase> &badFileCases();

// Makes the bad form of a file at path; `valid` is what a good file would hold (the truncated
// form is its first half, the huge one starts with it). False when it could not be made.
bool makeBadFile(const QString &path, BadFile kind, const QByteArray &valid);

// The largest size the process has had, in MiB.
long peakMemoryMiB();
