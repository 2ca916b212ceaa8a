// SPDX-License-Identifier: GPL-2.0-or-later
// Compression: the items gathered in the temporary folder and packed with tar.
#include "decompressiontool.h"

#include "shellcommand.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

// The name an item gets when copied into a folder: its last path component.
QString lastComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool existsOrDangles(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

int toolResult(const ShellStatus &status)
{
    // tar's exit status 1 is a warning: the archive was made.
    if (status.exitedWithin(1))
        return DecompressionTool::Done;
    return status.toolMissing() ? DecompressionTool::ToolMissing : DecompressionTool::ToolFailed;
}

}  // namespace

int DecompressionTool::compressFile(QStringList items, QString archiveName, QString saveDir, int viaTempDir)
{
    // 1. The name, the folder and at least one item.
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
            runShellCommand(QLatin1String("tar zcf ") + shellQuotePath(archive) + QLatin1Char(' ') + names));
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

    // 5. Every copy must succeed, or the archive would silently lack an item.
    for (const QString &item : toCopy) {
        const QString head = QFileInfo(item).isDir() ? QStringLiteral("cp -rf ") : QStringLiteral("cp -f ");
        const ShellStatus copied = runShellCommand(head + shellQuotePath(item) + QLatin1Char(' ') + tempWord);
        if (!copied.exitedWithin(0))
            return finish(copied.toolMissing() ? ToolMissing : CopyFailed);
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
    return finish(toolResult(runShellCommand(line)));
}
