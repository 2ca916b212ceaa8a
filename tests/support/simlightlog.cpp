// SPDX-License-Identifier: GPL-2.0-or-later
#include "simlightlog.h"

#include <QFile>

SimLightLog::SimLightLog(const QString &path) : file(path) {}

QString SimLightLog::path() const
{
    return file;
}

QStringList SimLightLog::lines() const
{
    QFile log(file);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
}

QList<int> SimLightLog::levelsSet() const
{
    QList<int> levels;
    for (const QString &line : lines())
        if (line.startsWith(QLatin1String("/dev/fb0 0x461b ")) && !line.endsWith(QLatin1String(" failed")))
            levels << line.section(' ', 2, 2).toInt();
    return levels;
}

QList<int> SimLightLog::steps(int from, int to)
{
    QList<int> levels;
    for (int level = from; level != to;)
        levels << (level += from < to ? 1 : -1);
    return levels;
}
