// SPDX-License-Identifier: GPL-2.0-or-later
// What procwarden makes of a process's cmdline and stat files.
#include "procfs.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool hasControl(const QString &text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString line = QString::fromLocal8Bit(bytes);
    // A row names the program alone: no path, nothing from a later argument, nothing that
    // would draw as a box or break the row.
    const QString name = cutShortName(line);
    const qsizetype program = line.indexOf(QChar(0));
    if (name.size() > (program < 0 ? line.size() : program) || name.contains(QLatin1Char('/'))
        || hasControl(name))
        std::abort();
    const QString shown = commandLineText(line);
    if (shown.size() > line.size() || hasControl(shown))
        std::abort();
    const qint64 start = startTimeFromStat(bytes);
    if (start < -1)
        std::abort();
    return 0;
}
