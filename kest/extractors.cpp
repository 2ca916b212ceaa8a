// SPDX-License-Identifier: GPL-2.0-or-later
// The extractors: each kind's command lines, the members listing before and the checks after.
#include "extractionjob.h"

#include "shellcommand.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

#include <sys/stat.h>

namespace {

const Extractor extractors[] = {
    {ArchiveKind::TarGz, "tar zxf %1 -C %2", Lister::Tar, "tar ztvf %1"},
    // A .gz holding a tar archive goes through tar like a .tar.gz.
    {ArchiveKind::Gz, "tar zxf %1 -C %2", Lister::Tar, "tar ztvf %1", "gzip -dc %1"},
    {ArchiveKind::Tar, "tar xf %1 -C %2", Lister::Tar, "tar tvf %1"},
    {ArchiveKind::Bz2, "tar jxf %1 -C %2", Lister::Tar, "tar jtvf %1", "bzip2 -dc %1"},
    {ArchiveKind::Bz, "tar jxf %1 -C %2", Lister::Tar, "tar jtvf %1", "bzip2 -dc %1"},
    {ArchiveKind::Zip, "unzip -o %1 -x -d %2", Lister::Zip, "unzip -Z %1"},
    // unrar-free extracts into the target folder itself; -ad changes nothing there.
    {ArchiveKind::Rar, "unrar x -ad %1 %2", Lister::Rar, "unrar l %1"},
    {ArchiveKind::Tgz, "tar zxf %1 -C %2", Lister::Tar, "tar ztvf %1"},
    {ArchiveKind::TarBz2, "tar jxf %1 -C %2", Lister::Tar, "tar jtvf %1"},
    {ArchiveKind::TarXz, "tar Jxf %1 -C %2", Lister::Tar, "tar Jtvf %1"},
    {ArchiveKind::TarZst, "tar --zstd -xf %1 -C %2", Lister::Tar, "tar --zstd -tvf %1"},
    {ArchiveKind::TarLz, "tar --lzip -xf %1 -C %2", Lister::Tar, "tar --lzip -tvf %1"},
    // -spd: the archive name is no wildcard; "--": nor an option.
    {ArchiveKind::SevenZip, "%3 x -y -spd %2 -- %1", Lister::SevenZip, "%3 l -slt -ba -spd -- %1"},
    {ArchiveKind::Xz, "tar Jxf %1 -C %2", Lister::Tar, "tar Jtvf %1", "xz -dc %1"},
    {ArchiveKind::Zst, "tar --zstd -xf %1 -C %2", Lister::Tar, "tar --zstd -tvf %1", "zstd -dcq %1"},
};

}  // namespace

const Extractor &extractorOf(ArchiveKind kind)
{
    return *std::find_if(std::begin(extractors), std::end(extractors),
                         [kind](const Extractor &e) { return e.kind == kind; });
}

namespace {

bool installed(const char *program)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

// A symbolic link on disk that leads out of root (a canonical folder) or to nothing.
bool leadsOut(const QString &root, const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return false;
    const QString resolved = info.canonicalFilePath();
    if (resolved.isEmpty())
        return true;
    return root != QLatin1String("/") && resolved != root && !resolved.startsWith(root + QLatin1Char('/'));
}

// Whether a symbolic link stands anywhere in folder (links not followed).
bool holdsLinks(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileInfo().isSymLink())
            return true;
    }
    return false;
}

QList<QByteArray> linesOf(const QByteArray &output)
{
    QList<QByteArray> lines = output.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// tar names the decompressor it could not start: "tar: xz: Cannot exec: No such file ...".
QString missingHelper(const QByteArray &errors)
{
    static const QRegularExpression cannotExec(QStringLiteral("(\\S+): Cannot exec: No such file"));
    return cannotExec.match(QString::fromUtf8(errors)).captured(1);
}

// "lsar -t" names each member on a line of its own on standard output, "docs/a.txt...
// Checksum failed!", and ends with a count.
QString lsarTestFailure(const ShellResult &tested)
{
    const QString error = lastMeaningfulLine(tested.errors);
    if (!error.isEmpty())
        return error;
    for (const QByteArray &line : linesOf(tested.output))
        if (line.endsWith('!') && !line.trimmed().endsWith("OK."))
            return QString::fromUtf8(line.trimmed());
    return QString();
}

}  // namespace

QString DecompressionTool::Job::compose(const char *pattern) const
{
    const QString words[] = {archiveWord, targetWord, sevenZip};
    QString line;
    for (const char *c = pattern; *c; ++c) {
        if (c[0] == '%' && c[1] >= '1' && c[1] <= '3')
            line += words[*++c - '1'];
        else
            line += QLatin1Char(*c);
    }
    return line;
}

// Debian 12's 7zip package has 7zz; p7zip-full, and later 7zip packages, have 7z.
QString sevenZipProgram()
{
    return installed("7zz") || !installed("7z") ? QStringLiteral("7zz") : QStringLiteral("7z");
}

// unzip reads "*", "?" and "[" in its archive argument as wildcards, so a[1].zip would
// extract a1.zip instead. Only the last component is matched; there unzip takes "[x]" for x
// and "\\" for a backslash.
QString unzipLiteral(const QString &path)
{
    static const QString wild = QStringLiteral("*?[");
    if (std::none_of(path.begin(), path.end(), [](QChar c) { return wild.contains(c); }))
        return path;
    const int start = path.lastIndexOf(QLatin1Char('/')) + 1;
    QString escaped = path.left(start);
    for (QChar c : QStringView(path).mid(start)) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (wild.contains(c))
            escaped += QLatin1Char('[') + c + QLatin1Char(']');
        else
            escaped += c;
    }
    return escaped;
}

int DecompressionTool::listMembers(Job &job)
{
    const Lister lister = job.extractor->lister;
    // Listing a compressed tar archive unpacks it a whole extra time. tar itself holds back
    // ".." and absolute members and delays the links an archive makes until its files are
    // written; what it lets through are links already in the target folder. So a target
    // folder without links spares that pass, unless the user is to be asked before entries
    // already there are replaced.
    const bool replaceable = job.askReplace && QFileInfo(decomPath).isDir() && !QDir(decomPath).isEmpty();
    // The walk through the target folder comes last: a full folder is listed anyway.
    if (lister == Lister::Tar && job.type->kind != ArchiveKind::Tar && !replaceable && !holdsLinks(decomPath))
        return Done;
    job.listedByLsar = lister == Lister::Rar && installed("lsar");
    ShellJob listing;
    listing.captureOutput = true;
    // (The options after the archive: tar's bundled "tvf" takes the word after it.)
    listing.line = job.listedByLsar        ? QLatin1String("lsar -j ") + job.archiveWord
                   : lister == Lister::Tar ? job.compose(job.extractor->listLine)
                                                 + QLatin1String(" --quoting-style=c --numeric-owner")
                                           : job.compose(job.extractor->listLine);
    ShellResult result = runShellJob(listing);
    // 7-Zip cannot even list an archive whose names are encrypted: ask, and list again.
    if (lister == Lister::SevenZip && !result.status.exitedWithin(0)
        && mentionsPassword(result.errors + result.output)) {
        if (!passwordHook || !passwordHook(job.password))
            return fail(NoPassword, Failure::PasswordNeeded);
        job.hasPassword = job.encrypted = true;
        listing.passwordWay = ShellJob::PasswordOnInput;
        listing.password = job.password;
        result = runShellJob(listing);
        if (!result.status.exitedWithin(0) && mentionsPassword(result.errors + result.output))
            return fail(WrongPassword, Failure::PasswordWrong);
    }
    if (result.status.toolMissing())
        return fail(ToolMissing, Failure::NotInstalled, listing.line.section(QLatin1Char(' '), 0, 0));
    if (!result.status.exitedWithin(lister == Lister::Zip ? 1 : 0)) {
        if (job.listedByLsar)  // its output is JSON, no words
            result.output.clear();
        return toolFailed(result);
    }
    bool understood = false;
    switch (lister) {
    case Lister::Tar: understood = parseTarListing(linesOf(result.output), job.members); break;
    case Lister::Zip: understood = parseZipListing(linesOf(result.output), job.members); break;
    case Lister::SevenZip: understood = parseSevenZipListing(linesOf(result.output), job.members); break;
    case Lister::Rar:
        understood = job.listedByLsar ? parseLsarListing(result.output, job.members)
                                      : parseRarListing(linesOf(result.output), job.members);
        break;
    }
    std::function<bool(const QString &)> outOfTarget;
    if (QFileInfo(decomPath).isDir()) {
        const QString root = QFileInfo(decomPath).canonicalFilePath();
        outOfTarget = [this, root](const QString &path) {
            return leadsOut(root, decomPath + QLatin1Char('/') + path);
        };
    }
    if (!understood || !membersStayInside(job.members, job.backslashes, outOfTarget))
        return fail(UnsafeMember, Failure::UnsafeMember);
    job.encrypted = job.encrypted
                    || std::any_of(job.members.cbegin(), job.members.cend(),
                                   [](const ArchiveMember &member) { return member.encrypted; });
    return Done;
}

int DecompressionTool::runExtraction(Job &job)
{
    const ArchiveKind kind = job.type->kind;
    // unrar-free takes a password only on its command line, where every user could read it,
    // and writes an encrypted member's bytes out as they are: unar does those.
    if (kind == ArchiveKind::Rar && job.encrypted)
        return extractRarAgain(job);

    ShellJob run;
    run.line = job.compose(job.extractor->line);
    if (job.hasPassword) {
        run.passwordWay =
            kind == ArchiveKind::SevenZip ? ShellJob::PasswordOnInput : ShellJob::PasswordAtTerminal;
        run.password = job.password;
    }
    const ShellResult result = runShellJob(run);
    // Asked again (unzip), or "no files ... bad decryption password" (unzip's 82): whatever
    // else was extracted, the password was wrong.
    const bool exited82 = result.status.end == ShellStatus::Exited && result.status.code == 82;
    if (job.hasPassword && (result.prompts > 1 || exited82))
        return fail(WrongPassword, Failure::PasswordWrong);
    // unrar-free exits 1 for every failure: only 0 is success.
    const int worstAccepted = kind == ArchiveKind::Rar ? 0 : 1;
    if (result.status.exitedWithin(worstAccepted)) {
        // Second opinion on RAR: unrar-free writes damaged members out and says "All OK".
        if (kind == ArchiveKind::Rar && installed("lsar")) {
            ShellJob test;
            test.line = QLatin1String("lsar -t ") + job.archiveWord;
            test.captureOutput = true;
            const ShellResult tested = runShellJob(test);
            if (!tested.status.exitedWithin(0))
                return fail(ToolFailed, Failure::ToolMessage, lsarTestFailure(tested));
        }
        return checkMembersPresent(job);
    }
    if (kind == ArchiveKind::Rar && installed("unar"))
        return extractRarAgain(job);
    if (job.hasPassword && mentionsPassword(result.errors + result.output))
        return fail(WrongPassword, Failure::PasswordWrong);
    if (result.status.toolMissing())
        return fail(ToolMissing, Failure::NotInstalled, run.line.section(QLatin1Char(' '), 0, 0));
    if (const QString helper = missingHelper(result.errors); !helper.isEmpty())
        return fail(ToolMissing, Failure::NotInstalled, helper);
    return toolFailed(result);
}

// unar reads what unrar-free does not (RAR 5, links, encrypted archives, names in other
// codes): the same archive into the same folder, its result the job's.
int DecompressionTool::extractRarAgain(Job &job)
{
    if (!installed("unar"))
        return fail(ToolMissing, Failure::NotInstalled, QStringLiteral("unar"));
    ShellJob run;
    run.line = QLatin1String("unar -f -D -nr -o ") + job.targetWord + QLatin1Char(' ') + job.archiveWord;
    if (job.hasPassword) {
        run.passwordWay = ShellJob::PasswordAtTerminal;
        run.password = job.password;
    }
    const ShellResult result = runShellJob(run);
    if (result.status.exitedWithin(0))
        return checkMembersPresent(job);
    if (job.hasPassword && (result.prompts > 1 || mentionsPassword(result.errors + result.output)))
        return fail(WrongPassword, Failure::PasswordWrong);
    return toolFailed(result);
}

// The tool's own words on standard error, else on its output; some say nothing at all.
int DecompressionTool::toolFailed(const ShellResult &result)
{
    QString line = lastMeaningfulLine(result.errors);
    if (line.isEmpty())
        line = lastMeaningfulLine(result.output);
    return line.isEmpty() ? fail(ToolFailed, Failure::Unreadable)
                          : fail(ToolFailed, Failure::ToolMessage, line);
}

// Where an extraction puts the members: the target folder, or for RAR with an unrar that
// honours -ad (unrar-free does not), the subfolder named after the archive.
QStringList DecompressionTool::memberFolders(const Job &job) const
{
    QStringList folders{decomPath};
    if (job.extractor->kind == ArchiveKind::Rar && !nameWithoutType(fileName).isEmpty())
        folders << decomPath + QLatin1Char('/') + nameWithoutType(fileName);
    return folders;
}

// What the tool said it did, checked: every listed member is there, in the one folder of
// memberFolders() that holds the first of them.
int DecompressionTool::checkMembersPresent(const Job &job)
{
    QStringList paths;
    for (const ArchiveMember &member : job.members) {
        // A name the listing could not give in this system's code cannot be looked for.
        if (member.name.contains(QChar::ReplacementCharacter))
            continue;
        const QString path = memberComponents(member.name, job.backslashes).join(QLatin1Char('/'));
        if (!path.isEmpty())
            paths << path;
    }
    if (paths.isEmpty())
        return Done;
    QString root = decomPath;
    for (const QString &folder : memberFolders(job))
        if (existsOrDangles(folder + QLatin1Char('/') + paths.first())) {
            root = folder;
            break;
        }
    for (qsizetype n = 0; n < paths.size(); ++n)
        if (!existsOrDangles(root + QLatin1Char('/') + paths.at(n)))
            return fail(ToolFailed, Failure::MembersMissing, paths.at(n));
    return Done;
}

// The members that would take the place of an entry where the extraction puts them. A
// folder member over a folder only adds to it.
QStringList DecompressionTool::entriesReplaced(const Job &job) const
{
    QStringList replaced;
    const QStringList folders = memberFolders(job);
    for (const ArchiveMember &member : job.members) {
        const QString path = memberComponents(member.name, job.backslashes).join(QLatin1Char('/'));
        if (path.isEmpty() || replaced.contains(path))
            continue;
        const bool folder = member.folder || member.name.endsWith(QLatin1Char('/'))
                            || (job.backslashes && member.name.endsWith(QLatin1Char('\\')));
        for (const QString &where : folders) {
            const QFileInfo there(where + QLatin1Char('/') + path);
            if ((!there.exists() && !there.isSymLink()) || (folder && there.isDir() && !there.isSymLink()))
                continue;
            replaced << path;
            break;
        }
    }
    return replaced;
}

// One compressed file: decompressed into the target folder under the archive's name without
// its ending (readme.gz gives readme), through a hidden file that takes the name only when
// complete, so a failure never leaves half a file or spoils one that was there.
int DecompressionTool::extractOneFile(Job &job)
{
    QString name = nameWithoutType(fileName);
    if (name.isEmpty())
        name = QFileInfo(fileName).fileName() + QLatin1String(".out");
    if (!makeTarget(job))
        return fail(Refused, Failure::TargetUnusable);
    const QString final = decomPath + QLatin1Char('/') + name;
    if (job.askReplace && !job.createdTarget && existsOrDangles(final) && !replaceHook({name}))
        return fail(NotReplaced, Failure::NotReplaced);
    const QString part = decomPath + QLatin1String("/.") + name + QLatin1Char('.')
                         + QString::number(QRandomGenerator::global()->generate(), 36)
                         + QLatin1String(".part");
    ShellJob run;
    run.line = job.compose(job.extractor->decompress);
    run.outputFile = part;
    const ShellResult result = runShellJob(run);
    job.members = {{name, false, false, false}};
    if (!result.status.exitedWithin(0)) {
        QFile::remove(part);
        if (result.status.toolMissing())
            return fail(ToolMissing, Failure::NotInstalled, run.line.section(QLatin1Char(' '), 0, 0));
        // Not run at all: the folder takes no new file.
        if (result.status.end == ShellStatus::NotRun)
            return fail(Refused, Failure::TargetUnusable);
        return toolFailed(result);
    }
    // Made 0600 on the way; now as any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(part).constData(), 0666 & ~mask);
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(final).constData()) != 0) {
        QFile::remove(part);
        return fail(Refused, Failure::TargetUnusable);
    }
    return Done;
}
