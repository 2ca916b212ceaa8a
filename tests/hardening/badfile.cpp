// SPDX-License-Identifier: GPL-2.0-or-later
#include "badfile.h"

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

const QList<BadFileCase> &badFileCases()
{
    static const QList<BadFileCase> cases{
        {"missing", BadFile::Missing},     {"empty", BadFile::Empty},
        {"truncated", BadFile::Truncated}, {"garbage", BadFile::Garbage},
        {"100 MB", BadFile::Huge},         {"unreadable", BadFile::Unreadable},
        {"folder", BadFile::Folder},       {"symlink loop", BadFile::SymlinkLoop},
        {"named pipe", BadFile::Fifo},
    };
    return cases;
}

namespace {

QByteArray garbage()
{
    QByteArray bytes;
    unsigned state = 12345;
    for (int n = 0; n < 4096; ++n) {
        state = state * 1103515245u + 12345u;
        bytes += char(state >> 16);
    }
    return bytes;
}

bool write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

}  // namespace

bool makeBadFile(const QString &path, BadFile kind, const QByteArray &valid)
{
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray native = QFile::encodeName(path);
    switch (kind) {
    case BadFile::Missing: return !QFileInfo::exists(path);
    case BadFile::Empty: return write(path, QByteArray());
    case BadFile::Truncated: return write(path, valid.left(valid.size() / 2));
    case BadFile::Garbage: return write(path, garbage());
    case BadFile::Huge:
        // Sparse: 100 MB to whoever reads it, nothing on the disk.
        return write(path, valid) && ::truncate(native.constData(), 100 << 20) == 0;
    case BadFile::Unreadable:
        // root reads it all the same: then it is garbage.
        return write(path, garbage()) && ::chmod(native.constData(), 0) == 0;
    case BadFile::Folder: return QDir().mkpath(path);
    case BadFile::SymlinkLoop:
        return QFile::link(path + ".other", path) && QFile::link(path, path + ".other");
    case BadFile::Fifo: return ::mkfifo(native.constData(), 0644) == 0;
    }
    return false;
}

long peakMemoryMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}
