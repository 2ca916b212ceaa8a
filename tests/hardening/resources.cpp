// SPDX-License-Identifier: GPL-2.0-or-later
#include "resources.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <cstddef>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define EZX_SANITIZER_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define EZX_SANITIZER_HEAP 1
#endif
#endif
#ifdef EZX_SANITIZER_HEAP
// From the sanitizer runtime (gcc ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

QString Resources::describe() const
{
    return QStringLiteral("%1 descriptors, %2 threads, %3 KiB heap")
        .arg(descriptors)
        .arg(threads)
        .arg(heapBytes / 1024);
}

Resources resourcesNow()
{
    Resources now;
    now.descriptors = int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("Threads:"))
                now.threads = line.mid(8).trimmed().toInt();
#ifdef EZX_SANITIZER_HEAP
    now.heapBytes = (long long)__sanitizer_get_current_allocated_bytes();
#else
    now.heapBytes = (long long)mallinfo2().uordblks;
#endif
    return now;
}

Resources resourcesSettled(const Resources &early)
{
    Resources now = resourcesNow();
    for (int tries = 0; tries < 200 && now.threads > early.threads; ++tries) {
        QThread::msleep(10);
        now = resourcesNow();
    }
    return now;
}

bool staysFlat(const Resources &early, const Resources &late, long long slackBytes)
{
    return late.descriptors <= early.descriptors && late.threads <= early.threads
           && late.heapBytes - early.heapBytes <= slackBytes;
}
