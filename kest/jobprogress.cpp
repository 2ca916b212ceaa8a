// SPDX-License-Identifier: GPL-2.0-or-later
#include "jobprogress.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The start of a small file below the folder dirFd: these files are a line or a few, and
// claim a size of 0, so they are read without asking.
QByteArray readSmall(int dirFd, const char *path)
{
    const int fd = ::openat(dirFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    char buffer[1024];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return got > 0 ? QByteArray(buffer, int(got)) : QByteArray();
}

// The number after "key" at the start of a line ("pos:\t4096", "rchar: 123").
qint64 numberAfter(const QByteArray &text, const QByteArray &key)
{
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype end = text.indexOf('\n', at);
        const QByteArray line = text.mid(at, end < 0 ? -1 : end - at);
        if (line.startsWith(key)) {
            bool ok = false;
            const qint64 value = line.mid(key.size()).trimmed().toLongLong(&ok);
            return ok && value >= 0 ? value : -1;
        }
        if (end < 0)
            break;
        at = end + 1;
    }
    return -1;
}

bool isNumber(const char *name)
{
    if (!*name)
        return false;
    for (const char *c = name; *c; ++c)
        if (*c < '0' || *c > '9')
            return false;
    return true;
}

JobGauge &currentGauge()
{
    static JobGauge gauge;
    return gauge;
}

}  // namespace

bool isZombieStat(const QByteArray &stat)
{
    const qsizetype close = stat.lastIndexOf(')');
    const QByteArray state = close < 0 ? QByteArray() : stat.mid(close + 1).trimmed().left(1);
    return state == "Z" || state == "X";
}

qint64 sessionOfStat(const QByteArray &stat)
{
    // The command name in parentheses may hold spaces and ")" itself: the fields start after
    // the last ")". After it: state ppid pgrp session.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    if (fields.size() < 4)
        return -1;
    bool ok = false;
    const qint64 session = fields.at(3).toLongLong(&ok);
    return ok ? session : -1;
}

qint64 positionOfFdinfo(const QByteArray &fdinfo)
{
    return numberAfter(fdinfo, "pos:");
}

qint64 readCharsOfIo(const QByteArray &io)
{
    return numberAfter(io, "rchar:");
}

ProcReader::ProcReader(const QString &root) : root(QFile::encodeName(root)) {}

QList<int> ProcReader::sessionMembers(int session) const
{
    QList<int> members;
    DIR *dir = ::opendir(root.constData());
    if (!dir)
        return members;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (!isNumber(entry->d_name))
            continue;
        char path[300];
        std::snprintf(path, sizeof path, "%s/stat", entry->d_name);
        const QByteArray stat = readSmall(dirFd, path);
        if (sessionOfStat(stat) == session && !isZombieStat(stat))
            members.append(std::atoi(entry->d_name));
    }
    ::closedir(dir);
    return members;
}

QList<int> ProcReader::jobTree(int leader) const
{
    const QByteArray leaderTask = root + '/' + QByteArray::number(leader) + "/task";
    if (::access(leaderTask.constData(), F_OK) != 0)
        return sessionMembers(leader);
    QList<int> tree{leader};
    for (qsizetype next = 0; next < tree.size() && tree.size() < 4096; ++next) {
        const QByteArray tasks = root + '/' + QByteArray::number(tree.at(next)) + "/task";
        DIR *dir = ::opendir(tasks.constData());
        if (!dir)
            continue;
        const int dirFd = ::dirfd(dir);
        while (const dirent *entry = ::readdir(dir)) {
            if (!isNumber(entry->d_name))
                continue;
            char path[300];
            std::snprintf(path, sizeof path, "%s/children", entry->d_name);
            // A children file can be longer than one small read: read it whole.
            const int fd = ::openat(dirFd, path, O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            QByteArray text;
            char buffer[1024];
            for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
                text.append(buffer, int(got));
            ::close(fd);
            for (const QByteArray &word : text.simplified().split(' '))
                if (const int pid = word.toInt(); pid > 0 && !tree.contains(pid))
                    tree.append(pid);
        }
        ::closedir(dir);
    }
    return tree;
}

qint64 ProcReader::filePosition(int pid, dev_t device, ino_t inode) const
{
    const QByteArray base = root + '/' + QByteArray::number(pid);
    DIR *dir = ::opendir((base + "/fd").constData());
    if (!dir)
        return -1;
    const int dirFd = ::dirfd(dir);
    qint64 furthest = -1;
    while (const dirent *entry = ::readdir(dir)) {
        if (!isNumber(entry->d_name))
            continue;
        struct stat file
        {};
        if (::fstatat(dirFd, entry->d_name, &file, 0) != 0 || file.st_dev != device || file.st_ino != inode)
            continue;
        const QByteArray info = base + "/fdinfo/" + entry->d_name;
        furthest = std::max(furthest, positionOfFdinfo(readSmall(AT_FDCWD, info.constData())));
    }
    ::closedir(dir);
    return furthest;
}

qint64 ProcReader::readChars(int pid) const
{
    const QByteArray path = root + '/' + QByteArray::number(pid) + "/io";
    return readCharsOfIo(readSmall(AT_FDCWD, path.constData()));
}

void setJobGauge(const JobGauge &gauge)
{
    currentGauge() = gauge;
}

JobGauge jobGauge()
{
    return currentGauge();
}

double measureJob(const ProcReader &reader, const JobGauge &gauge, int session)
{
    switch (gauge.kind) {
    case JobGauge::Nothing: return -1;
    case JobGauge::FileRead:
    case JobGauge::FileReadChars: {
        struct stat file
        {};
        if (::stat(QFile::encodeName(gauge.file).constData(), &file) != 0 || file.st_size <= 0)
            return -1;
        qint64 furthest = -1;
        for (int pid : reader.jobTree(session)) {
            const qint64 at = reader.filePosition(pid, file.st_dev, file.st_ino);
            if (at >= 0)
                furthest = std::max(furthest, gauge.kind == JobGauge::FileRead ? at : reader.readChars(pid));
        }
        // Nobody has it open: not yet, or no more.
        return furthest < 0 ? -1 : std::min(1.0, double(furthest) / double(file.st_size));
    }
    case JobGauge::BytesRead: {
        if (gauge.total <= 0)
            return -1;
        qint64 most = 0;
        for (int pid : reader.jobTree(session))
            most = std::max(most, reader.readChars(pid));
        const qint64 done = std::min(gauge.before + most, std::max(gauge.before, gauge.upTo));
        return std::clamp(double(done) / double(gauge.total), 0.0, 1.0);
    }
    }
    return -1;
}

JobMeter::JobMeter(const QString &root, int intervalMs) : reader(root), intervalMs(intervalMs) {}

double JobMeter::sample(int session)
{
    if (session == lastSession && lastLook.isValid() && lastLook.elapsed() < intervalMs)
        return last;
    if (session != lastSession)
        last = -1;
    lastSession = session;
    lastLook.start();
    // A job's bar never goes back: its tool closes the archive before it ends, and a
    // decompressor reads ahead of the tool that seeks.
    last = std::max(last, measureJob(reader, jobGauge(), session));
    return last;
}
