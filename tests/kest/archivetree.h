// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// A folder tree as a map: relative path -> content, folderMark for folders.
using Tree = QMap<QString, QByteArray>;
extern const QByteArray folderMark;

void writeFile(const QString &path, const QByteArray &content);
void writeTree(const QString &root, const Tree &tree);
// Everything under root, hidden entries included, links not followed.
Tree readTree(const QString &root);
// What the test archives hold: files, folders, a hidden file and a 70 kB binary.
Tree sampleTree();
// Runs program in workingDir; true when it exited with status 0.
bool runTool(const QString &program, const QStringList &arguments, const QString &workingDir);
