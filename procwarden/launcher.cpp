// SPDX-License-Identifier: GPL-2.0-or-later
#include "launcher.h"

#include "textlines.h"

namespace {

LauncherEntry parseEntry(const QString &line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {line, line};
    return {line.left(colon), line.mid(colon + 1)};
}

}  // namespace

QList<LauncherGroup> parseLauncher(const QString &text)
{
    const QStringList lines = textLines(text);
    QList<LauncherGroup> groups;
    qsizetype next = 0;
    QString header = next < lines.size() ? lines.at(next++) : QString();
    while (next < lines.size()) {
        LauncherGroup group{header.mid(1), {}};
        bool headerMet = false;
        while (next < lines.size() && !headerMet) {
            const QString &line = lines.at(next++);
            if (line.startsWith(QLatin1Char('-'))) {
                header = line;
                headerMet = true;
            } else {
                group.entries.append(parseEntry(line));
            }
        }
        groups.append(group);
    }
    return groups;
}
