// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QString>

// The launcher file "applist.txt":
//
//   -Tools              the first line titles the first group (its first character, whatever
//   Files:files         it is, is dropped); every later line starting with "-" titles the
//   Notes:notes         next group; any other line is an entry: the label before the first
//   -Games              ":", the command after it (further colons belong to the command). A
//   Chess:chess         line without ":" is both label and command.
//
// A group needs at least one line after its header: a header on the last line titles
// nothing. A header right after a header gives an empty group.

struct LauncherEntry
{
    QString label;
    QString command;
};

struct LauncherGroup
{
    QString title;
    QList<LauncherEntry> entries;
};

QList<LauncherGroup> parseLauncher(const QString &text);
