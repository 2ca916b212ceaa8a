// SPDX-License-Identifier: GPL-2.0-or-later
#include "textlines.h"

#include <QIODevice>
#include <QTextStream>

QStringList textLines(const QString &text)
{
    QStringList lines;
    QString source = text;
    QTextStream in(&source, QIODevice::ReadOnly);
    while (!in.atEnd())
        lines.append(in.readLine());
    return lines;
}

QString printable(QString text)
{
    for (QChar &c : text)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    return text;
}
