// SPDX-License-Identifier: GPL-2.0-or-later
#include "meminfo.h"

#include "textlines.h"

#include <algorithm>

namespace {

// A kernel's names are short; a longer name or number is not a figure and must not widen
// every other row.
constexpr qsizetype longestName = 32;
constexpr qsizetype longestNumber = 15;  // 1 EiB in kB

struct Figure
{
    QString name;  // with its ":"
    QString number;
    bool inKB = false;
};

bool isDigits(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// "MemTotal:       16318412 kB" or "HugePages_Total:       0".
bool parseFigure(const QString &line, Figure &figure)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 1 || colon >= longestName)
        return false;
    figure.name = line.left(colon + 1);
    if (figure.name.contains(QLatin1Char(' ')))
        return false;
    QString value = line.mid(colon + 1).trimmed();
    figure.inKB = value.endsWith(QLatin1String(" kB"));
    if (figure.inKB)
        value.chop(3);
    figure.number = value.trimmed();
    return figure.number.size() <= longestNumber && isDigits(figure.number);
}

}  // namespace

QString binarySize(qint64 kB)
{
    // Below a MiB the kB figure says it all.
    if (kB < 1024)
        return QString();
    static const char *const units[] = {"MiB", "GiB", "TiB"};
    double value = double(kB) / 1024;
    int unit = 0;
    // 999.5 and above would round to four figures.
    while (value >= 999.5 && unit < 2) {
        value /= 1024;
        ++unit;
    }
    const int decimals = value < 9.995 ? 2 : value < 99.95 ? 1 : 0;
    return QString::number(value, 'f', decimals) + QLatin1Char(' ') + QLatin1String(units[unit]);
}

QStringList memInfoRows(const QString &text)
{
    QStringList lines = textLines(text);
    if (!lines.isEmpty() && lines.constFirst().trimmed().startsWith(QLatin1String("total:")))
        lines.remove(0, std::min<qsizetype>(3, lines.size()));

    QList<Figure> figures(lines.size());
    QList<bool> isFigure(lines.size());
    // Numbers end where the longest name and number together end, as the kernel lays them
    // out, so that a long name with a short number needs no wider column.
    qsizetype numberEnd = 0;
    qsizetype sizeWidth = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        isFigure[i] = parseFigure(lines.at(i), figures[i]);
        if (!isFigure[i])
            continue;
        numberEnd = std::max(numberEnd, figures[i].name.size() + 1 + figures[i].number.size());
        if (figures[i].inKB)
            sizeWidth = std::max(sizeWidth, binarySize(figures[i].number.toLongLong()).size());
    }

    QStringList rows;
    rows.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isFigure[i]) {
            rows.append(printable(lines.at(i)));
            continue;
        }
        const Figure &f = figures[i];
        QString row = f.name.leftJustified(numberEnd - f.number.size()) + f.number;
        if (f.inKB) {
            row += QLatin1String(" kB");
            const QString size = binarySize(f.number.toLongLong());
            if (!size.isEmpty())
                row += QLatin1String("  ") + size.rightJustified(sizeWidth);
        }
        rows.append(printable(row));
    }
    return rows;
}
