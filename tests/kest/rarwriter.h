// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// Writes RAR 4 archives for the tests: every entry stored without compression, names in the
// archive with backslash separators as DOS and Windows archivers write them.
struct RarEntry
{
    QByteArray name;  // "/" or "\" separated, ASCII
    QByteArray data;
    bool folder = false;
    bool symlink = false;    // data is the target; written as a Unix archiver writes links
    bool encrypted = false;  // marked so; the data is stored as it is (garbage to a reader)
};

QByteArray rar4Archive(const QList<RarEntry> &entries);
