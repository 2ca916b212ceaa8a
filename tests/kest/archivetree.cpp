// SPDX-License-Identifier: GPL-2.0-or-later
#include "archivetree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

const QByteArray folderMark = "<folder>";

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

void writeTree(const QString &root, const Tree &tree)
{
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        if (it.value() == folderMark)
            QDir().mkpath(root + "/" + it.key());
        else
            writeFile(root + "/" + it.key(), it.value());
    }
}

Tree readTree(const QString &root)
{
    Tree tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        if (it.fileInfo().isDir()) {
            tree.insert(relative, folderMark);
        } else {
            QFile file(path);
            tree.insert(relative,
                        file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
        }
    }
    return tree;
}

Tree sampleTree()
{
    QByteArray binary;
    for (int n = 0; n < 70000; ++n)
        binary += char(n * 7 % 251);
    return {{"top.txt", "top\n"},         {"docs", folderMark},     {"docs/readme.txt", "read me\n"},
            {"docs/.hidden", "hidden\n"}, {"docs/sub", folderMark}, {"docs/sub/deep.bin", binary}};
}

bool runTool(const QString &program, const QStringList &arguments, const QString &workingDir)
{
    QProcess process;
    process.setWorkingDirectory(workingDir);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}
