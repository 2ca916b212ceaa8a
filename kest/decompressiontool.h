// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Kest's archive engine. It does no archive work itself: it recognises an archive by the
// complete suffix of its name, composes one command line for tar, unzip or unrar and has the
// shell run it. Creating an archive copies the chosen items into a temporary folder on the
// memory card and packs its contents with tar.
//
// Return codes of the operations:
//    1  done (a tool may have warned: tar, unzip or unrar exit status 1)
//   -1  extraction: archive unset, missing or of another type, or the target folder neither
//       exists nor is the default one, or could not be created;
//       compression: archive name or save folder unset
//   -2  compression: no items
//   -3  compression: the temporary folder cannot be created or emptied
//   -4  the shell could not be run or the tool was not found (or is not executable)
//   -5  the tool failed: it reported a fatal error (tar, unzip or unrar exit status 2 and
//       more) or was killed by a signal
//   -6  compression: an item could not be copied into the temporary folder; nothing was
//       packed
//   -7  compression: two different items have the same last path component (they would
//       overwrite each other in the temporary folder); nothing was copied
//   -8  extraction: a member would land outside the target folder (a ".." component, a path
//       through a symbolic link of the archive, or through a link in the target folder that
//       leads out of it); nothing was extracted
class DecompressionTool
{
public:
    static constexpr int Done = 1;
    static constexpr int Refused = -1;
    static constexpr int NoItems = -2;
    static constexpr int NoTempDir = -3;
    static constexpr int ToolMissing = -4;
    static constexpr int ToolFailed = -5;
    static constexpr int CopyFailed = -6;
    static constexpr int DuplicateName = -7;
    static constexpr int UnsafeMember = -8;

    // archivePath is taken only when it exists; targetFolder whenever it is set (not null).
    DecompressionTool(const QString &archivePath, const QString &targetFolder);
    ~DecompressionTool();

    // Accepts an existing path.
    bool setFileName(const QString &path);
    // Accepts an existing folder or the default extraction folder (created on extraction).
    bool setDecomPath(const QString &path);
    // The archive's directory, "/", and its name up to the first dot: /mmc/mmca1/music.tar.gz
    // gives /mmc/mmca1/music. Null when no archive is set or it has gone.
    QString getDefaultDecomPath();

    // Extracts with the extractor of the archive's type: the first one that takes the archive
    // decides the result.
    int decompressionFile();
    int decompressionFile_targz();
    int decompressionFile_gz();
    int decompressionFile_tar();
    int decompressionFile_bz2();
    int decompressionFile_bz();
    int decompressionFile_zip();
    int decompressionFile_rar();

    // Packs items into the gzip-compressed tar archive saveDir + "/" + archiveName, each
    // under its last path component when viaTempDir is non-zero (through the temporary folder
    // /mmc/mmca1/.tartmp, emptied first and removed afterwards), else under its path as given.
    // Once the temporary folder was made, "/" is left as the working directory.
    int compressFile(QStringList items, QString archiveName, QString saveDir, int viaTempDir);

private:
    // How an extractor's tool lists the members before they are written.
    enum class Listing { Tar, Zip, Rar };

    int extract(const QString &type, const QString &lineHead, const QString &lineMiddle, Listing listing,
                const QString &listHead);

    QString fileName;
    QString decomPath;
};
