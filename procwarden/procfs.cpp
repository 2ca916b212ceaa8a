// SPDX-License-Identifier: GPL-2.0-or-later
#include "procfs.h"

#include "phonepath.h"
#include "textlines.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The most of a /proc file that is read: a page, as much as the phone's kernel ever gave.
constexpr qsizetype filePage = 4096;

// The start of a /proc file: up to and including the first `stop` byte, or up to its end (a
// page at most; stop -1 reads that much). A scan reads two such files for each of thousands of
// processes, so this stays with plain system calls: no file object, no size query, no read
// past what is needed. A read that returns less than was asked for has reached the end (the
// kernel hands these files out whole).
QByteArray readStart(const std::string &path, int stop)
{
    QByteArray text;
    // Non-blocking and a plain file only: a named pipe planted in the tree must not hang the scan.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return text;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return text;
    }
    char buffer[1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const void *found = stop < 0 ? nullptr : std::memchr(buffer, stop, size_t(got));
        if (found) {
            text.append(buffer, static_cast<const char *>(found) - buffer + 1);
            break;
        }
        text.append(buffer, got);
        if (size_t(got) < sizeof buffer || text.size() >= filePage)
            break;
    }
    ::close(fd);
    return text;
}

std::string procFile(const std::string &pid, const char *file)
{
    return phonePath("/proc/" + pid + '/' + file);
}

bool isStopper(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char(':');
}

}  // namespace

QString cutShortName(const QString &commandLine)
{
    qsizetype end = commandLine.indexOf(QChar(0));
    if (end < 0)
        end = commandLine.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = commandLine.at(i);
        if (c == QLatin1Char('/')) {
            start = i + 1;
        } else if (isStopper(c)) {
            // Stoppers where the name would begin are skipped ("-sh", "/x/ -tool"); one inside
            // the name ends it.
            if (start == i)
                start = i + 1;
            else
                end = i;
        }
    }
    return start < end ? printable(commandLine.mid(start, end - start)) : QString();
}

QString commandLineText(const QString &commandLine)
{
    QStringList arguments = commandLine.split(QChar(0));
    while (!arguments.isEmpty() && arguments.constLast().isEmpty())
        arguments.removeLast();
    return printable(arguments.join(QLatin1Char(' ')));
}

QString readShortName(const QString &pid)
{
    // Files under /proc claim a size of 0, so the text is read without asking first; the name
    // needs no more than the first argument.
    const QByteArray program = readStart(procFile(pid.toStdString(), "cmdline"), 0);
    return cutShortName(QString::fromLocal8Bit(program));
}

QString readCommandLine(int pid)
{
    return commandLineText(QString::fromLocal8Bit(readStart(procFile(std::to_string(pid), "cmdline"), -1)));
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
    const QByteArray stat = readStart(procFile(std::to_string(pid), "stat"), '\n');
    return stat.isEmpty() ? -1 : startTimeFromStat(stat);
}
