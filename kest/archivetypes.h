// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Which archives Kest opens, told by their names alone (no file is looked at here).
//
// The phone's rule comes first: the complete suffix of the name (everything after its first
// dot) compared exactly, case included, with "tar.gz", "gz", "tar", "bz2", "bz", "zip",
// "rar", in that order. Only when it matches none does the name's ending decide: the longest
// ending of the table below that the name ends in, compared without case, so that
// linux-6.1.tar.gz is a tar.gz (not a gz) and PHOTOS.ZIP a zip.
enum class ArchiveKind {
    // The phone's seven, in their order.
    TarGz,
    Gz,  // a tar inside, or one compressed file
    Tar,
    Bz2,  // a tar inside, or one compressed file
    Bz,   // a tar inside, or one compressed file
    Zip,
    Rar,
    // Tried only when the seven decline.
    Tgz,
    TarBz2,
    TarXz,
    TarZst,
    TarLz,
    SevenZip,
    Xz,   // a tar inside, or one compressed file
    Zst,  // a tar inside, or one compressed file
};

struct ArchiveType
{
    ArchiveKind kind;
    QString suffix;       // the phone's complete suffix; empty for the added types
    QStringList endings;  // lower case, with their dot: ".tar.gz"
    bool maybeOneFile;    // a compressed file that need not hold a tar archive
};

// The phone's seven in their order, then the others.
const QList<ArchiveType> &archiveTypes();

// What the name (a path; only its last component counts) is, as an index into
// archiveTypes(); -1 when Kest does not open it.
int archiveTypeOf(const QString &path);

// The name (last component) without the ending that made it a type: linux-6.1.tar.gz gives
// linux-6.1, music.tar.gz gives music. A name Kest does not open is cut before its first dot,
// as the phone always did (a.b.c gives a).
QString nameWithoutType(const QString &path);

// The file name a compression writes for the name typed: it packs a gzip-compressed tar, so a
// name that does not end in .tar.gz or .tgz (any case) gets ".tar.gz": "my backup" gives
// "my backup.tar.gz", and "photos.zip" gives "photos.zip.tar.gz", not a tar named as a zip.
QString compressionFileName(const QString &typed);

// The picker's filters: "*.tar.gz", "*.tar", "*.gz", "*.rar", "*.zip" first, as the phone had
// them, then every other ending Kest opens. The picker compares them without case.
QStringList archivePickerFilters();

// True when block holds a tar header: 512 bytes whose checksum field (octal, at 148) equals
// the sum of the header's bytes with that field counted as blanks (as unsigned or, as some
// old tars wrote it, signed bytes). An all-zero block is no header.
bool isTarHeader(const QByteArray &block);

// RAR 1.5 to 4 archives are a chain of blocks from the signature on. Cut short: a block runs
// past the end of the file, or the chain stops in the middle of a header. Only the headers are
// read, through read(offset, length), which gives fewer bytes at the end of the file.
enum class RarChain { NotRar4, Complete, CutShort };
RarChain walkRar4Chain(qint64 fileSize, const std::function<QByteArray(qint64, int)> &read);
