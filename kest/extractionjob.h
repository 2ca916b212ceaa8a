// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Shared by the extraction's two files: the table of extractors and what one job carries.
#include "archivetypes.h"
#include "decompressiontool.h"

enum class Lister { Tar, Zip, Rar, SevenZip };

// How each kind is extracted. In the lines, %1 is the archive and %2 the target folder, each
// one shell word; %3 is the 7-Zip program. decompress is the one-file line (standard output).
struct Extractor
{
    ArchiveKind kind;
    const char *line;
    Lister lister;
    const char *listLine;
    const char *decompress = nullptr;
};

const Extractor &extractorOf(ArchiveKind kind);
// The 7-Zip program this system has.
QString sevenZipProgram();
// The archive path as unzip must see it to take it literally.
QString unzipLiteral(const QString &path);

// Everything one extraction knows on its way.
struct DecompressionTool::Job
{
    const Extractor *extractor = nullptr;
    const ArchiveType *type = nullptr;
    QString archiveWord, targetWord, sevenZip;
    bool backslashes = false;
    bool createdTarget = false;
    bool askReplace = false;  // a replace hook is set: a target folder with entries is listed
    QList<ArchiveMember> members;
    bool listedByLsar = false;
    bool encrypted = false;
    bool hasPassword = false;
    QString password;

    // The pattern with %1, %2 and %3 put in, in one pass (a path may hold "%2" itself).
    QString compose(const char *pattern) const;
};
