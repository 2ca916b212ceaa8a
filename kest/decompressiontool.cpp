// SPDX-License-Identifier: GPL-2.0-or-later
// The engine's state and its per-type operations; the extractors are in extractors.cpp.
#include "extractionjob.h"

#include "archivetypes.h"
#include "jobprogress.h"
#include "phonepath.h"
#include "shellcommand.h"
#include "shellquote.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// The directory part as written ("." for a bare name; "" for a name in "/", so that the
// default folder of /a.rar is /a).
QString directoryOf(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral(".") : path.left(slash);
}

}  // namespace

QString kestTempFolderPath()
{
    return phonePath(QString::fromLatin1(kestTempFolder));
}

bool existsOrDangles(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

DecompressionTool::DecompressionTool(const QString &archivePath, const QString &targetFolder)
{
    if (!archivePath.isNull() && QFileInfo::exists(archivePath))
        fileName = archivePath;
    if (!targetFolder.isNull())
        decomPath = targetFolder;
}

DecompressionTool::~DecompressionTool() = default;

bool DecompressionTool::setFileName(const QString &path)
{
    if (path.isNull() || !QFileInfo::exists(path))
        return false;
    fileName = path;
    return true;
}

bool DecompressionTool::setDecomPath(const QString &path)
{
    if (path.isNull())
        return false;
    const QString defaultPath = getDefaultDecomPath();
    if (!QFileInfo(path).isDir() && (defaultPath.isNull() || path != defaultPath))
        return false;
    decomPath = path;
    return true;
}

QString DecompressionTool::getDefaultDecomPath()
{
    if (fileName.isNull() || !QFileInfo::exists(fileName))
        return QString();
    return directoryOf(fileName) + QLatin1Char('/') + nameWithoutType(fileName);
}

void DecompressionTool::setPasswordHook(PasswordHook hook)
{
    passwordHook = std::move(hook);
}

void DecompressionTool::setReplaceHook(ReplaceHook hook)
{
    replaceHook = std::move(hook);
}

int DecompressionTool::decompressionFile()
{
    using Extraction = int (DecompressionTool::*)();
    // The phone's seven first, in its order; at most one type takes the archive, the others
    // refuse without doing anything.
    static const Extraction extractions[] = {
        &DecompressionTool::decompressionFile_targz,  &DecompressionTool::decompressionFile_gz,
        &DecompressionTool::decompressionFile_tar,    &DecompressionTool::decompressionFile_bz2,
        &DecompressionTool::decompressionFile_bz,     &DecompressionTool::decompressionFile_zip,
        &DecompressionTool::decompressionFile_rar,    &DecompressionTool::decompressionFile_tgz,
        &DecompressionTool::decompressionFile_tarbz2, &DecompressionTool::decompressionFile_tarxz,
        &DecompressionTool::decompressionFile_tarzst, &DecompressionTool::decompressionFile_tarlz,
        &DecompressionTool::decompressionFile_7z,     &DecompressionTool::decompressionFile_xz,
        &DecompressionTool::decompressionFile_zst,
    };
    for (Extraction extraction : extractions) {
        const int result = (this->*extraction)();
        if (result != Refused || lastFailure.reason != Failure::NotAnArchive)
            return result;
    }
    return Refused;
}

int DecompressionTool::decompressionFile_targz()
{
    return extractAs(0);
}
int DecompressionTool::decompressionFile_gz()
{
    return extractAs(1);
}
int DecompressionTool::decompressionFile_tar()
{
    return extractAs(2);
}
int DecompressionTool::decompressionFile_bz2()
{
    return extractAs(3);
}
int DecompressionTool::decompressionFile_bz()
{
    return extractAs(4);
}
int DecompressionTool::decompressionFile_zip()
{
    return extractAs(5);
}
int DecompressionTool::decompressionFile_rar()
{
    return extractAs(6);
}
int DecompressionTool::decompressionFile_tgz()
{
    return extractAs(7);
}
int DecompressionTool::decompressionFile_tarbz2()
{
    return extractAs(8);
}
int DecompressionTool::decompressionFile_tarxz()
{
    return extractAs(9);
}
int DecompressionTool::decompressionFile_tarzst()
{
    return extractAs(10);
}
int DecompressionTool::decompressionFile_tarlz()
{
    return extractAs(11);
}
int DecompressionTool::decompressionFile_7z()
{
    return extractAs(12);
}
int DecompressionTool::decompressionFile_xz()
{
    return extractAs(13);
}
int DecompressionTool::decompressionFile_zst()
{
    return extractAs(14);
}

int DecompressionTool::fail(int code, Failure::Reason reason, const QString &detail)
{
    lastFailure = {reason, detail};
    return code;
}

int DecompressionTool::extractAs(int typeIndex)
{
    lastFailure = {};
    // 1. An archive that is there, a file (a pipe would hold the window in its open), 2. of
    // this type.
    if (fileName.isNull() || !QFileInfo(fileName).isFile() || archiveTypeOf(fileName) != typeIndex)
        return fail(Refused, Failure::NotAnArchive);
    // 3. An existing target folder, or the default one (made once the archive was looked at).
    if (!QFileInfo(decomPath).isDir() && decomPath != getDefaultDecomPath())
        return fail(Refused, Failure::TargetUnusable);

    Job job;
    job.type = &archiveTypes().at(typeIndex);
    job.extractor = &extractorOf(job.type->kind);
    const bool zip = job.type->kind == ArchiveKind::Zip;
    job.archiveWord = shellQuotePath(zip ? unzipLiteral(fileName) : fileName);
    job.targetWord = job.type->kind == ArchiveKind::SevenZip
                         ? QString::fromStdString(shellQuote("-o" + decomPath.toStdString()))
                         : shellQuotePath(decomPath);
    job.sevenZip = sevenZipProgram();
    job.backslashes = job.extractor->lister != Lister::Tar;
    job.askReplace = bool(replaceHook);
    // tar (or the decompressor it starts) reads the archive from its start to its end; the
    // others jump to its index first.
    setJobGauge(
        {job.extractor->lister == Lister::Tar ? JobGauge::FileRead : JobGauge::FileReadChars, fileName});
    int result = extractJob(job);
    setJobGauge({});
    if (shellCancelled())
        result = fail(Cancelled, Failure::Cancelled);
    // A failed job leaves no folder it made behind; all that is in it came from the job.
    if (result != Done && job.createdTarget)
        QDir(decomPath).removeRecursively();
    return result;
}

int DecompressionTool::extractJob(Job &job)
{
    // 4. A RAR 1.5-4 archive whose chain of blocks stops in the middle is cut short, whatever
    // a tool makes of it (unrar-free extracts the members before the cut and says "All OK").
    if (job.type->kind == ArchiveKind::Rar) {
        QFile archive(fileName);
        if (archive.open(QIODevice::ReadOnly)
            && walkRar4Chain(archive.size(), [&archive](qint64 at, int length) {
                   return archive.seek(at) ? archive.read(length) : QByteArray();
               }) == RarChain::CutShort)
            return fail(ToolFailed, Failure::CutShort);
    }
    // 5. A compressed file that need not be a tar: the start of its content decides. When
    // that cannot even be decompressed, the tar line runs and tar says what is wrong.
    if (job.type->maybeOneFile) {
        ShellJob head;
        head.line = job.compose(job.extractor->decompress) + QLatin1String(" 2>/dev/null");
        head.captureOutput = true;
        head.outputLimit = 512;
        const ShellResult start = runShellJob(head);
        if ((start.stopped || start.status.exitedWithin(0)) && !isTarHeader(start.output.left(512)))
            return extractOneFile(job);
    }
    // 6. The members as the tool itself reads them, before anything is written.
    if (const int listed = listMembers(job); listed != Done)
        return listed;
    // 7. Entries of the target folder the archive would replace: only with the user's yes.
    if (job.askReplace && QFileInfo(decomPath).isDir()) {
        const QStringList replaced = entriesReplaced(job);
        if (!replaced.isEmpty() && !replaceHook(replaced))
            return fail(NotReplaced, Failure::NotReplaced);
    }
    // 8. An encrypted archive: the password, before anything is made. Declined: nothing done.
    if (job.encrypted && !job.hasPassword) {
        if (!passwordHook || !passwordHook(job.password))
            return fail(NoPassword, Failure::PasswordNeeded);
        job.hasPassword = true;
    }
    // 9. The default folder is made here (one level). A folder that could not be made refuses:
    // some unrar versions extract nothing into a missing one and say "All OK".
    if (!makeTarget(job))
        return fail(Refused, Failure::TargetUnusable);
    // 10. The tool's run.
    return runExtraction(job);
}

// The target folder, made (one level) when it is not there yet; false when it cannot be.
bool DecompressionTool::makeTarget(Job &job)
{
    if (QFileInfo(decomPath).isDir())
        return true;
    ::mkdir(QFile::encodeName(decomPath).constData(), 0777);
    job.createdTarget = QFileInfo(decomPath).isDir();
    return job.createdTarget;
}
