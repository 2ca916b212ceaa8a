// SPDX-License-Identifier: GPL-2.0-or-later
// The launcher file, read as procwarden reads it.
#include "launcher.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromLocal8Bit(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<LauncherGroup> groups = parseLauncher(text);
    qsizetype entries = 0;
    for (const LauncherGroup &group : groups)
        entries += group.entries.size();
    if (groups.size() + entries > text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r')) + 1)
        std::abort();  // never more menu lines than file lines
    return 0;
}
