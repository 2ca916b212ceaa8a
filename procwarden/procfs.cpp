#include "procfs.h"

#include "phonepath.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 cmdlinePage = 4096;

} // namespace

QString cutShortName(const QString &line)
{
    const qsizetype length = line.size();
    qsizetype start = 0;
    qsizetype i = 0;
    bool stopped = false;
    while (i < length && !stopped) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('/')) {
            start = i + 1;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char(':')) {
            if (start == i)
                start = i + 1;
            else
                stopped = true;
        }
        ++i;
    }
    // i has moved past the last character looked at, which is dropped.
    const qsizetype nameLength = i - start - 1;
    if (nameLength < 0 || start >= length)
        return QString();
    return line.mid(start, nameLength);
}

QString readShortName(const QString &pid)
{
    // Files under /proc claim a size of 0 and report their end before the first read, so the
    // line is read without asking first.
    // A plain file only (a named pipe would block the open), and one page at most, as much as
    // the phone's kernel ever gave.
    QFile file(phonePath(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline")));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray line = file.readLine(cmdlinePage + 1);
    if (line.endsWith('\n'))
        line.chop(1);
    return cutShortName(QString::fromLocal8Bit(line));
}

qint64 startTimeFromStat(const QByteArray &stat)
{
    // "PID (COMM) STATE PPID ..." - the fields after the command name start with field 3.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    constexpr int startTimeIndex = 22 - 3;
    if (fields.size() <= startTimeIndex)
        return -1;
    bool ok = false;
    const qint64 value = fields.at(startTimeIndex).toLongLong(&ok);
    return ok && value >= 0 ? value : -1;
}

qint64 readStartTime(int pid)
{
    QFile file(phonePath(QStringLiteral("/proc/%1/stat").arg(pid)));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return startTimeFromStat(file.readAll());
}
