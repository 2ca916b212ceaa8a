// SPDX-License-Identifier: GPL-2.0-or-later
// Compression: the items gathered in the temporary folder and packed with tar.
#include "decompressiontool.h"

#include "jobprogress.h"
#include "shellcommand.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>

namespace {

// The name an item gets when copied into a folder: its last path component.
QString lastComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The bytes cp reads for an item: a file's size, or that of every file in a folder (links
// are copied as links).
qint64 bytesOf(const QString &item)
{
    const QFileInfo info(item);
    if (!info.isDir())
        return info.size();
    qint64 total = 0;
    QDirIterator it(item, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (!it.fileInfo().isSymLink())
            total += it.fileInfo().size();
    }
    return total;
}

// An archive that is already there (the user said yes to replacing it) is moved aside, not
// overwritten at once: it comes back when the new one is not made, and goes when it is.
class ArchiveAside
{
public:
    explicit ArchiveAside(const QString &archive) : archive(archive), newName(!existsOrDangles(archive))
    {
        if (!QFileInfo(archive).isFile())
            return;
        const QFileInfo info(archive);
        const QString aside = info.path() + QLatin1String("/.") + info.fileName() + QLatin1Char('.')
                              + QString::number(QRandomGenerator::global()->generate(), 36)
                              + QLatin1String(".old");
        if (QFile::rename(archive, aside))
            asidePath = aside;
    }

    // The result stands: the old archive goes, or comes back in place of what a failed or
    // cancelled tar left. A failed tar leaves no half archive under a name that was free.
    int settle(int result)
    {
        if (result == DecompressionTool::Done) {
            if (!asidePath.isEmpty())
                QFile::remove(asidePath);
            return result;
        }
        if (newName || !asidePath.isEmpty())
            QFile::remove(archive);
        if (!asidePath.isEmpty())
            QFile::rename(asidePath, archive);
        return result;
    }

private:
    QString archive;
    bool newName;
    QString asidePath;
};

int toolResult(const ShellStatus &status)
{
    if (shellCancelled())
        return DecompressionTool::Cancelled;
    // tar's exit status 1 is a warning: the archive was made.
    if (status.exitedWithin(1))
        return DecompressionTool::Done;
    return status.toolMissing() ? DecompressionTool::ToolMissing : DecompressionTool::ToolFailed;
}

}  // namespace

int DecompressionTool::compressFile(QStringList items, QString archiveName, QString saveDir, int viaTempDir)
{
    lastFailure = {};
    const int result = packItems(items, archiveName, saveDir, viaTempDir);
    setJobGauge({});
    if (!shellCancelled())
        return result;
    // After Cancel no command runs any more: the temporary folder goes without the shell
    // (nothing in it is the user's own).
    if (viaTempDir)
        QDir(kestTempFolderPath()).removeRecursively();
    return fail(Cancelled, Failure::Cancelled);
}

int DecompressionTool::packItems(const QStringList &items, const QString &archiveName, const QString &saveDir,
                                 int viaTempDir)
{
    // 1. The name, the folder and at least one item.
    if (archiveName.isNull() || saveDir.isNull())
        return Refused;
    if (items.isEmpty())
        return NoItems;
    QString archive = saveDir + QLatin1Char('/') + archiveName;
    const bool replacing = QFileInfo(archive).isFile() || QFileInfo(archive).isSymLink();
    if (replacing && replaceHook && !replaceHook({archiveName}))
        return fail(NotReplaced, Failure::NotReplaced);

    // 10. Items packed under their paths as given, from the working directory.
    if (!viaTempDir) {
        QString names;
        for (const QString &item : items)
            names += shellQuotePath(item) + QLatin1Char(' ');
        ArchiveAside aside(archive);
        return aside.settle(toolResult(
            runShellCommand(QLatin1String("tar zcf ") + shellQuotePath(archive) + QLatin1Char(' ') + names)));
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
    const QString tempDir = kestTempFolderPath();
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
        return made.toolMissing() ? ToolMissing : NoTempDir;

    // 5. Every copy must succeed, or the archive would silently lack an item. The progress
    // box counts each byte twice: once copied, once packed.
    QList<qint64> sizes;
    qint64 total = 0;
    for (const QString &item : toCopy)
        total += sizes.emplace_back(bytesOf(item));
    qint64 copiedSoFar = 0;
    for (qsizetype i = 0; i < toCopy.size(); ++i) {
        const QString &item = toCopy.at(i);
        if (total > 0)
            setJobGauge({JobGauge::BytesRead, QString(), copiedSoFar, copiedSoFar + sizes.at(i), 2 * total});
        const QString head = QFileInfo(item).isDir() ? QStringLiteral("cp -rf ") : QStringLiteral("cp -f ");
        const ShellStatus copied = runShellCommand(head + shellQuotePath(item) + QLatin1Char(' ') + tempWord);
        if (!copied.exitedWithin(0))
            return finish(copied.toolMissing() ? ToolMissing : CopyFailed);
        copiedSoFar += sizes.at(i);
    }

    // 6. Everything the copies made, hidden entries and symbolic links included.
    const QStringList names = QDir(tempDir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    // Fewer entries than items: a card that ignores case has merged two names.
    if (names.size() < toCopy.size())
        return finish(DuplicateName);

    // 7.-9. tar packs the folder's entries from inside it; the folder goes, whatever happened.
    if (!QDir::setCurrent(tempDir))
        return finish(NoTempDir);
    QString line = QLatin1String("tar zcf ") + shellQuotePath(archive) + QLatin1Char(' ');
    for (const QString &name : names)
        line += shellQuotePath(name) + QLatin1Char(' ');
    if (total > 0)
        setJobGauge({JobGauge::BytesRead, QString(), total, 2 * total, 2 * total});
    ArchiveAside aside(archive);
    const int packed = toolResult(runShellCommand(line));
    return aside.settle(finish(packed));
}
