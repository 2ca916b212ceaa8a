// SPDX-License-Identifier: GPL-2.0-or-later
#include "procfs.h"

#include "phonepath.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype linePage = 4096;

// The start of a /proc file, up to and including the first newline or up to its end. A scan
// reads two such files for each of thousands of processes, so this stays with plain system
// calls: no file object, no size query, no read past the line. A read that returns less than
// was asked for has reached the end (the kernel hands these files out whole).
QByteArray readFirstLine(const std::string &path)
{
    QByteArray line;
    // Non-blocking and a plain file only: a named pipe planted in the tree must not hang the scan.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return line;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return line;
    }
    char buffer[1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const void *newline = std::memchr(buffer, '\n', size_t(got));
        if (newline) {
            line.append(buffer, static_cast<const char *>(newline) - buffer + 1);
            break;
        }
        line.append(buffer, got);
        // One page at most, as much as the phone's kernel ever gave.
        if (size_t(got) < sizeof buffer || line.size() > linePage)
            break;
    }
    ::close(fd);
    return line;
}

}  // namespace

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
    // Files under /proc claim a size of 0, so the line is read without asking first.
    QByteArray line = readFirstLine(phonePath("/proc/" + pid.toStdString() + "/cmdline"));
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
    const QByteArray stat = readFirstLine(phonePath("/proc/" + std::to_string(pid) + "/stat"));
    return stat.isEmpty() ? -1 : startTimeFromStat(stat);
}
