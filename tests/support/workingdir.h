// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDir>
#include <QString>

// Runs the rest of a scope in another working directory, for code that takes relative paths.
class WorkingDir
{
public:
    explicit WorkingDir(const QString &path) : previous(QDir::currentPath()) { QDir::setCurrent(path); }
    ~WorkingDir() { QDir::setCurrent(previous); }

private:
    QString previous;
};
