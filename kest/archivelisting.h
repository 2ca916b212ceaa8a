// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// What the archiving tools say about an archive, read from their output: the members an
// archive holds, whether they stay inside the folder they are extracted into, and the line of
// a tool's error output worth showing. Nothing here touches a file.

// One member as the archive's tool lists it.
struct ArchiveMember
{
    QString name;
    bool link = false;       // symbolic or hard link
    bool folder = false;     // known to be a folder (not every listing says)
    bool encrypted = false;  // its data needs a password
};

// Each parser takes the tool's standard output, split in lines, and gives false when the
// listing cannot be trusted to name every member.

// "tar tvf ... --quoting-style=c": the type letter first, the name the first quoted string.
bool parseTarListing(const QList<QByteArray> &lines, QList<ArchiveMember> &members);
// "unzip -Z": a header, one line per member ending in its name, a summary. Not a zip archive
// at all (no header): true with no members, the extraction reports it.
bool parseZipListing(const QList<QByteArray> &lines, QList<ArchiveMember> &members);
// "unrar l" of unrar-free: between two rules of dashes, a line " NAME" and a line of figures
// for each member. unrar-free makes no links.
bool parseRarListing(const QList<QByteArray> &lines, QList<ArchiveMember> &members);
// "7zz l -slt -ba": blocks of "Key = value" lines, one block per member.
bool parseSevenZipListing(const QList<QByteArray> &lines, QList<ArchiveMember> &members);
// "lsar -j" (the unar package): a JSON object whose "lsarContents" lists the members.
bool parseLsarListing(const QByteArray &json, QList<ArchiveMember> &members);

// The parts of a member name that lead somewhere: "a//./b/" gives a, b. With backslashes,
// "\" separates too (names written by DOS and Windows archivers).
QStringList memberComponents(const QString &name, bool backslashes);

// True when no member can land outside the target folder: none climbs with "..", none goes
// through a link of the archive, and none goes through a path that leadsOut says is, on disk,
// a link out of the target folder (left there by an earlier archive). leadsOut is asked with
// paths relative to the target folder, each at most once; without a target folder on disk,
// pass an empty function.
bool membersStayInside(const QList<ArchiveMember> &members, bool backslashes,
                       const std::function<bool(const QString &)> &leadsOut);

// The line of a tool's standard error worth showing to the user: the last one that says
// something (not blank, not a rule, not the "Try ... --help" advice, not a summary such as
// "Errors: 1"). Empty when there is none.
QString lastMeaningfulLine(const QByteArray &errors);

// Whether a tool's words mean that the archive needs a password, or that the one given was
// wrong (unzip, 7-Zip and unar each say it their own way).
bool mentionsPassword(const QByteArray &text);
