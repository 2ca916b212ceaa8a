// SPDX-License-Identifier: GPL-2.0-or-later
// What procwarden makes of a process's cmdline and stat files.
#include "procfs.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString line = QString::fromLocal8Bit(bytes);
    const QString name = cutShortName(line);
    if (name.size() > line.size() || name.contains(QLatin1Char('/')))
        std::abort();
    const qint64 start = startTimeFromStat(bytes);
    if (start < -1)
        std::abort();
    return 0;
}
