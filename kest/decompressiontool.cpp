// SPDX-License-Identifier: GPL-2.0-or-later
#include "decompressiontool.h"

#include "phonepath.h"
#include "shellcommand.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>

#include <sys/stat.h>

namespace {

const char tempDirPath[] = "/mmc/mmca1/.tartmp";

// The file name without its directory.
QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Everything after the first dot of the name: backup.tar.gz -> tar.gz, my.backup.tar.gz ->
// backup.tar.gz, no dot -> "".
QString completeSuffix(const QString &path)
{
    const QString name = nameOf(path);
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString::fromLatin1("") : name.mid(dot + 1);
}

// The name up to the first dot.
QString baseName(const QString &path)
{
    const QString name = nameOf(path);
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// The directory part as written ("." for a bare name; "" for a name in "/", so that the
// default folder of /a.rar is /a).
QString directoryOf(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral(".") : path.left(slash);
}

// The name an item gets when copied into a folder: its last path component.
QString lastComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return nameOf(path);
}

bool isToolMissing(const ShellStatus &status)
{
    return status.end == ShellStatus::NotRun
           || (status.end == ShellStatus::Exited && (status.code == 126 || status.code == 127));
}

int toolResult(const ShellStatus &status, int worstAccepted)
{
    if (status.exitedWithin(worstAccepted))
        return DecompressionTool::Done;
    return isToolMissing(status) ? DecompressionTool::ToolMissing : DecompressionTool::ToolFailed;
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

bool existsOrDangles(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// One member as the archive's tool lists it.
struct Member
{
    QString name;
    bool link = false;  // symbolic or hard link
};

// Runs a listing command with its standard output in a temporary file (so the progress box
// stays painted while it runs, as for any command) and gives the lines. False when the tool
// could not be run.
bool listingLines(const QString &line, QList<QByteArray> &lines)
{
    QTemporaryFile output;
    if (!output.open())
        return false;
    const ShellStatus status = runShellCommand(line + QLatin1String(" >") + shellQuotePath(output.fileName())
                                               + QLatin1String(" 2>/dev/null"));
    if (isToolMissing(status))
        return false;
    lines = output.readAll().split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return true;
}

// Reads the C-quoted string that starts at text[pos] == '"' (tar's --quoting-style=c).
bool unquoteC(const QByteArray &text, qsizetype pos, QByteArray &out)
{
    static const QByteArray simple = "abfnrtv";
    static const QByteArray meaning = "\a\b\f\n\r\t\v";
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return false;
        const char e = text.at(i);
        if (e >= '0' && e <= '7') {
            int value = 0, digits = 0;
            for (; digits < 3 && i < text.size() && text.at(i) >= '0' && text.at(i) <= '7'; ++digits, ++i)
                value = value * 8 + (text.at(i) - '0');
            --i;
            out += char(value);
        } else if (simple.contains(e)) {
            out += meaning.at(simple.indexOf(e));
        } else {
            out += e;
        }
    }
    return false;
}

// "tar tvf --quoting-style=c": the type letter first, the name the first quoted string.
bool parseTarListing(const QList<QByteArray> &lines, QList<Member> &members)
{
    for (const QByteArray &text : lines) {
        const qsizetype quote = text.indexOf('"');
        QByteArray name;
        if (text.isEmpty() || quote < 0 || !unquoteC(text, quote, name))
            return false;
        members.append({QFile::decodeName(name), text.at(0) == 'l' || text.at(0) == 'h'});
    }
    return true;
}

// "unzip -Z": a header, one line per member ending in its name, a summary.
bool parseZipListing(const QList<QByteArray> &lines, QList<Member> &members)
{
    static const QRegularExpression entry(
        QStringLiteral("^(\\S+)\\s+\\S+\\s+(\\S+)\\s+\\d+\\s+\\S+\\s+\\S+\\s+\\S+\\s+\\S+ (.*)$"));
    static const QRegularExpression count(QStringLiteral("number of entries: (\\d+)"));
    qsizetype expected = -1;
    for (const QByteArray &text : lines) {
        const QString decoded = QFile::decodeName(text);
        const QRegularExpressionMatch header = count.match(decoded);
        if (expected < 0 && header.hasMatch()) {
            expected = header.captured(1).toLongLong();
            continue;
        }
        const QRegularExpressionMatch match = entry.match(decoded);
        if (expected >= 0 && match.hasMatch())
            members.append({match.captured(3), match.captured(1).startsWith(QLatin1Char('l'))
                                                   && match.captured(2) == QLatin1String("unx")});
    }
    // Every member accounted for, or the listing cannot be trusted. No header at all: not a
    // zip archive, which the extraction reports.
    return expected < 0 ? members.isEmpty() : expected == members.size();
}

// "unrar l" of unrar-free: between two rules of dashes, a line " NAME" and a line of figures
// for each member. unrar-free makes no links.
bool parseRarListing(const QList<QByteArray> &lines, QList<Member> &members)
{
    const auto isRule = [](const QByteArray &text) { return text.startsWith("-----"); };
    const auto first = std::find_if(lines.cbegin(), lines.cend(), isRule);
    if (first == lines.cend())
        return true;  // not a rar archive, which the extraction reports
    for (auto at = first + 1; at != lines.cend() && !isRule(*at); at += 2) {
        if (!at->startsWith(' ') || at + 1 == lines.cend())
            return false;
        members.append({QFile::decodeName(at->mid(1)), false});
    }
    return true;
}

QStringList componentsOf(const QString &name, bool backslashes)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    QStringList parts = backslashes ? name.split(separators) : name.split(QLatin1Char('/'));
    parts.removeAll(QString());
    parts.removeAll(QStringLiteral("."));
    return parts;
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

// True when no member can land outside target: none climbs with "..", none goes through a
// link of the archive (the tools hold some such links back, but not all of them, and not in
// every version), and none goes through a link already in the target folder that leads out
// of it (a link left by an earlier archive extracted into the same folder).
bool membersStayInside(const QList<Member> &members, const QString &target, bool backslashes)
{
    QSet<QString> links;
    for (const Member &member : members)
        if (member.link)
            links.insert(componentsOf(member.name, backslashes).join(QLatin1Char('/')));
    const bool onDisk = QFileInfo(target).isDir();
    const QString root = QFileInfo(target).canonicalFilePath();
    QHash<QString, bool> outward;  // each path on disk looked at once, however many members share it
    const auto leadsOutOnDisk = [&](const QString &path) {
        const auto known = outward.constFind(path);
        if (known != outward.constEnd())
            return *known;
        return *outward.insert(path, leadsOut(root, target + QLatin1Char('/') + path));
    };
    for (const Member &member : members) {
        const QStringList parts = componentsOf(member.name, backslashes);
        if (parts.contains(QStringLiteral("..")))
            return false;
        QString path;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            path += (i > 0 ? QStringLiteral("/") : QString()) + parts.at(i);
            const bool last = i == parts.size() - 1;
            if (!last && links.contains(path))
                return false;
            // A link member replaces what it finds; anything else may be written through it.
            if (onDisk && (!last || !member.link) && leadsOutOnDisk(path))
                return false;
        }
    }
    return true;
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

}  // namespace

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
    return directoryOf(fileName) + QLatin1Char('/') + baseName(fileName);
}

int DecompressionTool::decompressionFile()
{
    using Extractor = int (DecompressionTool::*)();
    static const Extractor extractors[] = {
        &DecompressionTool::decompressionFile_targz, &DecompressionTool::decompressionFile_gz,
        &DecompressionTool::decompressionFile_tar,   &DecompressionTool::decompressionFile_bz2,
        &DecompressionTool::decompressionFile_bz,    &DecompressionTool::decompressionFile_zip,
        &DecompressionTool::decompressionFile_rar,
    };
    // At most one type matches; the others refuse without doing anything.
    for (Extractor extractor : extractors) {
        const int result = (this->*extractor)();
        if (result != Refused)
            return result;
    }
    return Refused;
}

int DecompressionTool::decompressionFile_targz()
{
    return extract(QStringLiteral("tar.gz"), QStringLiteral("tar zxf "), QStringLiteral(" -C "), Listing::Tar,
                   QStringLiteral("tar ztvf "));
}

// A .gz file is taken for a gzip-compressed tar archive.
int DecompressionTool::decompressionFile_gz()
{
    return extract(QStringLiteral("gz"), QStringLiteral("tar zxf "), QStringLiteral(" -C "), Listing::Tar,
                   QStringLiteral("tar ztvf "));
}

int DecompressionTool::decompressionFile_tar()
{
    return extract(QStringLiteral("tar"), QStringLiteral("tar xf "), QStringLiteral(" -C "), Listing::Tar,
                   QStringLiteral("tar tvf "));
}

int DecompressionTool::decompressionFile_bz2()
{
    return extract(QStringLiteral("bz2"), QStringLiteral("tar jxf "), QStringLiteral(" -C "), Listing::Tar,
                   QStringLiteral("tar jtvf "));
}

int DecompressionTool::decompressionFile_bz()
{
    return extract(QStringLiteral("bz"), QStringLiteral("tar jxf "), QStringLiteral(" -C "), Listing::Tar,
                   QStringLiteral("tar jtvf "));
}

int DecompressionTool::decompressionFile_zip()
{
    return extract(QStringLiteral("zip"), QStringLiteral("unzip -o "), QStringLiteral(" -x -d "),
                   Listing::Zip, QStringLiteral("unzip -Z "));
}

int DecompressionTool::decompressionFile_rar()
{
    return extract(QStringLiteral("rar"), QStringLiteral("unrar x -ad "), QStringLiteral(" "), Listing::Rar,
                   QStringLiteral("unrar l "));
}

int DecompressionTool::extract(const QString &type, const QString &lineHead, const QString &lineMiddle,
                               Listing listing, const QString &listHead)
{
    // 1. An archive that is there, 2. of this type.
    if (fileName.isNull() || !QFileInfo::exists(fileName))
        return Refused;
    if (completeSuffix(fileName) != type)
        return Refused;
    // 3. An existing target folder, or the default one.
    const bool targetExists = QFileInfo(decomPath).isDir();
    if (!targetExists && decomPath != getDefaultDecomPath())
        return Refused;

    // Before anything is written: the members as the tool itself reads them. A listing that
    // cannot be understood refuses as well; a tool that cannot be run at all is reported by
    // the extraction below.
    const QString archive = type == QLatin1String("zip") ? unzipLiteral(fileName) : fileName;
    // (After the archive: tar's bundled "tvf" takes the word after it for the archive.)
    const QString options =
        listing == Listing::Tar ? QStringLiteral(" --quoting-style=c --numeric-owner") : QString();
    // Listing a compressed tar archive unpacks it a whole extra time. tar itself holds back
    // ".." and absolute members and delays the links an archive makes until its files are
    // written; what it lets through are links already in the target folder. So a target
    // folder without links spares that pass.
    const bool compressedTar = listing == Listing::Tar && type != QLatin1String("tar");
    const bool needsListing = !compressedTar || holdsLinks(decomPath);
    QList<QByteArray> lines;
    if (needsListing && listingLines(listHead + shellQuotePath(archive) + options, lines)) {
        QList<Member> members;
        bool understood = false;
        switch (listing) {
        case Listing::Tar: understood = parseTarListing(lines, members); break;
        case Listing::Zip: understood = parseZipListing(lines, members); break;
        case Listing::Rar: understood = parseRarListing(lines, members); break;
        }
        if (!understood || !membersStayInside(members, decomPath, listing != Listing::Tar))
            return UnsafeMember;
    }

    // The default folder is made here. A folder that could not be made refuses: some unrar
    // versions extract nothing into a missing one and say "All OK".
    if (!targetExists) {
        ::mkdir(QFile::encodeName(decomPath).constData(), 0777);
        if (!QFileInfo(decomPath).isDir())
            return Refused;
    }
    // 4.-6. Warnings (exit status 1 of tar, unzip and unrar) still leave the archive extracted.
    const QString line = lineHead + shellQuotePath(archive) + lineMiddle + shellQuotePath(decomPath);
    return toolResult(runShellCommand(line), 1);
}

int DecompressionTool::compressFile(QStringList items, QString archiveName, QString saveDir, int viaTempDir)
{
    // 1.
    if (archiveName.isNull() || saveDir.isNull())
        return Refused;
    if (items.isEmpty())
        return NoItems;
    QString archive = saveDir + QLatin1Char('/') + archiveName;

    // 10. Items packed under their paths as given, from the working directory.
    if (!viaTempDir) {
        QString names;
        for (const QString &item : items)
            names += shellQuotePath(item) + QLatin1Char(' ');
        return toolResult(
            runShellCommand(QLatin1String("tar zcf ") + shellQuotePath(archive) + QLatin1Char(' ') + names),
            1);
    }

    // tar runs inside the temporary folder: a relative archive path would land there and be
    // removed with it.
    if (QFileInfo(archive).isRelative())
        archive = QDir::currentPath() + QLatin1Char('/') + archive;

    // Items meet in one folder under their last path components: two different items under
    // one name would overwrite each other. The same item chosen twice is copied once.
    QStringList toCopy;
    QHash<QString, QString> itemByName;
    for (const QString &item : items) {
        const QString name = lastComponent(item);
        const QString identity = QDir::cleanPath(QFileInfo(item).absoluteFilePath());
        const auto known = itemByName.constFind(name);
        if (known != itemByName.constEnd()) {
            if (*known != identity)
                return DuplicateName;
            continue;
        }
        itemByName.insert(name, identity);
        toCopy << item;
    }

    // 3.-4. A fresh, empty temporary folder: one left by an interrupted run holds old items.
    const QString tempDir = phonePath(QString::fromLatin1(tempDirPath));
    const QString tempWord = shellQuotePath(tempDir);
    const QString removeTemp = QLatin1String("rm -rf ") + tempWord;
    const auto finish = [&](int result) {
        QDir::setCurrent(QStringLiteral("/"));
        runShellCommand(removeTemp);
        return result;
    };
    if (existsOrDangles(tempDir))
        runShellCommand(removeTemp);
    if (existsOrDangles(tempDir))
        return NoTempDir;
    const ShellStatus made = runShellCommand(QLatin1String("mkdir ") + tempWord);
    runShellCommand(QLatin1String("chmod 777 ") + tempWord);
    if (!QFileInfo(tempDir).isDir())
        return isToolMissing(made) ? ToolMissing : NoTempDir;

    // 5. Every copy must succeed, or the archive would silently lack an item.
    for (const QString &item : toCopy) {
        const QString head = QFileInfo(item).isDir() ? QStringLiteral("cp -rf ") : QStringLiteral("cp -f ");
        const ShellStatus copied = runShellCommand(head + shellQuotePath(item) + QLatin1Char(' ') + tempWord);
        if (!copied.exitedWithin(0))
            return finish(isToolMissing(copied) ? ToolMissing : CopyFailed);
    }

    // 6. Everything the copies made, hidden entries and symbolic links included.
    const QStringList names = QDir(tempDir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    // Fewer entries than items: a card that ignores case has merged two names.
    if (names.size() < toCopy.size())
        return finish(DuplicateName);

    // 7.-9.
    if (!QDir::setCurrent(tempDir))
        return finish(NoTempDir);
    QString line = QLatin1String("tar zcf ") + shellQuotePath(archive) + QLatin1Char(' ');
    for (const QString &name : names)
        line += shellQuotePath(name) + QLatin1Char(' ');
    return finish(toolResult(runShellCommand(line), 1));
}
