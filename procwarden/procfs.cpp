// SPDX-License-Identifier: GPL-2.0-or-later
#include "procfs.h"

#include "phonepath.h"
#include "textlines.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <string>
#include <unistd.h>

namespace {

// The most of a /proc file that is read: a page, as much as the phone's kernel ever gave.
constexpr qsizetype filePage = 4096;

// The start of a /proc file (path relative to the folder dirFd, or AT_FDCWD), read into
// buffer: up to and including the first `stop` byte, or up to its end (stop -1), at most
// `size` bytes. Returns the length read, 0 when the file cannot be read. A scan reads two such
// files for each of thousands of processes, so this stays with plain system calls into a
// buffer of the caller's: no file object, no size query, no allocation. A read that returns
// less than was asked for has reached the end (the kernel hands these files out whole).
qsizetype readStart(int dirFd, const std::string &path, int stop, char *buffer, qsizetype size)
{
    // Non-blocking: a named pipe planted in the tree must hang neither the open nor the read
    // (it reads as empty), and whatever else the name leads to is read no further than the
    // buffer. No check of the file type: that would cost a call per file.
    const int fd = ::openat(dirFd, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    qsizetype length = 0;
    while (length < size) {
        const qsizetype asked = size - length;
        const ssize_t got = ::read(fd, buffer + length, size_t(asked));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const void *found = stop < 0 ? nullptr : std::memchr(buffer + length, stop, size_t(got));
        if (found) {
            length = static_cast<const char *>(found) - buffer + 1;
            break;
        }
        length += got;
        if (got < asked)
            break;
    }
    ::close(fd);
    return length;
}

// "PID (COMM) STATE PPID ..." - the fields after the command name start with field 3; the
// start time is field 22. Digits only; -1 for anything else.
qint64 startTimeIn(const char *stat, qsizetype size)
{
    const char *end = stat + size;
    const char *close = static_cast<const char *>(::memrchr(stat, ')', size_t(size)));
    if (!close)
        return -1;
    auto isBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    int field = 2;
    for (const char *p = close + 1; p < end;) {
        while (p < end && isBlank(*p))
            ++p;
        if (p == end)
            break;
        const char *word = p;
        while (p < end && !isBlank(*p))
            ++p;
        if (++field < 22)
            continue;
        qint64 value = 0;
        for (const char *d = word; d < p; ++d) {
            if (*d < '0' || *d > '9' || value > (std::numeric_limits<qint64>::max() - 9) / 10)
                return -1;
            value = value * 10 + (*d - '0');
        }
        return value;
    }
    return -1;
}

QString shortNameAt(int dirFd, const std::string &path)
{
    // Files under /proc claim a size of 0, so the text is read without asking first; the name
    // needs no more than the first argument.
    char buffer[filePage];
    const qsizetype length = readStart(dirFd, path, 0, buffer, filePage);
    return length > 0 ? cutShortName(QString::fromLocal8Bit(buffer, length)) : QString();
}

qint64 startTimeAt(int dirFd, const std::string &path)
{
    char buffer[1024];
    const qsizetype length = readStart(dirFd, path, '\n', buffer, sizeof buffer);
    return length > 0 ? startTimeIn(buffer, length) : -1;
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
    return shortNameAt(AT_FDCWD, procFile(pid.toStdString(), "cmdline"));
}

QString readCommandLine(int pid)
{
    char buffer[filePage];
    const qsizetype length =
        readStart(AT_FDCWD, procFile(std::to_string(pid), "cmdline"), -1, buffer, filePage);
    return commandLineText(QString::fromLocal8Bit(buffer, length));
}

qint64 startTimeFromStat(const QByteArray &stat)
{
    return startTimeIn(stat.constData(), stat.size());
}

qint64 readStartTime(int pid)
{
    return startTimeAt(AT_FDCWD, procFile(std::to_string(pid), "stat"));
}

QString readShortNameAt(int procFd, const char *pid)
{
    return shortNameAt(procFd, std::string(pid) + "/cmdline");
}

qint64 readStartTimeAt(int procFd, const char *pid)
{
    return startTimeAt(procFd, std::string(pid) + "/stat");
}
