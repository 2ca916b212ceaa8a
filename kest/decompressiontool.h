// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "archivelisting.h"

#include <QString>
#include <QStringList>

#include <functional>

// The memory card folder a compression gathers its items in.
constexpr char kestTempFolder[] = "/mmc/mmca1/.tartmp";
// kestTempFolder as it is on this machine (through phonePath).
QString kestTempFolderPath();
// Something stands at path: an entry, or a link whose target is gone.
bool existsOrDangles(const QString &path);

// Kest's archive engine. It does no archive work itself: it recognises an archive by its name
// (archivetypes.h), composes one command line for tar, unzip, unrar, 7-Zip or a decompressor
// and has the shell run it. Creating an archive copies the chosen items into a temporary
// folder on the memory card and packs its contents with tar.
//
// Return codes of the operations:
//    1  done (tar, unzip and 7-Zip may have warned: exit status 1)
//   -1  extraction: archive unset, missing or of another type, or the target folder neither
//       exists nor is the default one, or could not be created;
//       compression: archive name or save folder unset
//   -2  compression: no items
//   -3  compression: the temporary folder cannot be created or emptied
//   -4  the shell could not be run or the tool was not found (or is not executable)
//   -5  the tool failed: it reported a fatal error (exit status 2 and more; for unrar any
//       status but 0), was killed by a signal, or reported success while members it listed
//       are missing afterwards; or the archive is damaged or cut short
//   -6  compression: an item could not be copied into the temporary folder; nothing was
//       packed
//   -7  compression: two different items have the same last path component (they would
//       overwrite each other in the temporary folder); nothing was copied
//   -8  extraction: a member would land outside the target folder (a ".." component, a path
//       through a symbolic link of the archive, or through a link in the target folder that
//       leads out of it); nothing was extracted
//   -9  extraction: the archive needs a password and none was given (the password box was
//       cancelled); nothing was done
//  -10  extraction: the password was wrong
//  -11  the job was cancelled (see shellcommand.h): the target folder made for it, or the
//       partial archive and the temporary folder, are gone; what was there before stays
//  -12  the user would not have existing entries (or an existing archive) replaced; nothing
//       was done
//
// A failed extraction removes the target folder again when it was made for that extraction.
struct ShellResult;

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
    static constexpr int NoPassword = -9;
    static constexpr int WrongPassword = -10;
    static constexpr int Cancelled = -11;
    static constexpr int NotReplaced = -12;

    // Why the last operation failed, for the failure box.
    struct Failure
    {
        enum Reason {
            None,
            NotAnArchive,    // unset, missing, or not a name Kest opens
            TargetUnusable,  // the target folder is missing and not the default, or cannot be made
            NotInstalled,    // detail: the program
            ToolMessage,     // detail: the tool's last meaningful error line
            Unreadable,      // the tool failed without a word
            CutShort,        // the archive ends in the middle (a cut-short download)
            MembersMissing,  // detail: the first listed member that is not there
            UnsafeMember,
            PasswordNeeded,  // cancelled
            PasswordWrong,
            Cancelled,
            NotReplaced,
        };
        Reason reason = None;
        QString detail;
    };

    // archivePath is taken only when it exists; targetFolder whenever it is set (not null).
    DecompressionTool(const QString &archivePath, const QString &targetFolder);
    ~DecompressionTool();

    // Accepts an existing path.
    bool setFileName(const QString &path);
    // Accepts an existing folder or the default extraction folder (created on extraction).
    bool setDecomPath(const QString &path);
    // The archive's directory, "/", and its name without its type ending: /mmc/mmca1/music.tar.gz
    // gives /mmc/mmca1/music, linux-6.1.tar.gz gives ./linux-6.1. Null when no archive is set
    // or it has gone.
    QString getDefaultDecomPath();

    // Asked for the password when an archive needs one; false when the user declines.
    using PasswordHook = std::function<bool(QString &password)>;
    void setPasswordHook(PasswordHook hook);
    // Asked once before an extraction would replace entries already in the target folder
    // (relative paths, as listed), or a compression an existing archive; false keeps them and
    // the operation ends with NotReplaced. Without a hook nothing is asked and tools replace
    // as they do.
    using ReplaceHook = std::function<bool(const QStringList &existing)>;
    void setReplaceHook(ReplaceHook hook);

    // Extracts with the extractor of the archive's type: the phone's seven in their order,
    // then the added ones; the first one that takes the archive decides the result.
    int decompressionFile();
    int decompressionFile_targz();
    int decompressionFile_gz();
    int decompressionFile_tar();
    int decompressionFile_bz2();
    int decompressionFile_bz();
    int decompressionFile_zip();
    int decompressionFile_rar();
    int decompressionFile_tgz();
    int decompressionFile_tarbz2();
    int decompressionFile_tarxz();
    int decompressionFile_tarzst();
    int decompressionFile_tarlz();
    int decompressionFile_7z();
    int decompressionFile_xz();
    int decompressionFile_zst();

    // After an operation: why it failed.
    Failure failure() const { return lastFailure; }

    // Packs items into the gzip-compressed tar archive saveDir + "/" + archiveName, each
    // under its last path component when viaTempDir is non-zero (through the temporary folder
    // /mmc/mmca1/.tartmp, emptied first and removed afterwards), else under its path as given.
    // Once the temporary folder was made, "/" is left as the working directory.
    int compressFile(QStringList items, QString archiveName, QString saveDir, int viaTempDir);

private:
    struct Job;

    int packItems(const QStringList &items, const QString &archiveName, const QString &saveDir,
                  int viaTempDir);
    int extractAs(int typeIndex);
    int extractJob(Job &job);
    int listMembers(Job &job);
    int runExtraction(Job &job);
    int extractOneFile(Job &job);
    bool makeTarget(Job &job);
    int extractRarAgain(Job &job);
    QStringList memberFolders(const Job &job) const;
    int checkMembersPresent(const Job &job);
    QStringList entriesReplaced(const Job &job) const;
    int toolFailed(const ShellResult &result);
    int fail(int code, Failure::Reason reason, const QString &detail = QString());

    QString fileName;
    QString decomPath;
    PasswordHook passwordHook;
    ReplaceHook replaceHook;
    Failure lastFailure;
};
