// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// Writes tar and zip archives member by member, names exactly as given ("../x", "/abs",
// "link/file"), so tests can hand the tools archives no archiver would make.
struct HostileMember
{
    enum Kind { File, Symlink, Hardlink };
    QByteArray name;
    QByteArray data;  // file contents, or the link's target
    Kind kind = File;
};

QByteArray tarArchive(const QList<HostileMember> &members);
// Made on a Unix host, so unzip restores symbolic links.
QByteArray zipArchive(const QList<HostileMember> &members);
