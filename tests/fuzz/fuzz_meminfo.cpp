// SPDX-License-Identifier: GPL-2.0-or-later
// The memory view: /proc/meminfo laid out in the rows the view lists.
#include "meminfo.h"
#include "textlines.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromLocal8Bit(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = textLines(text);
    const QStringList rows = memInfoRows(text);
    if (rows.size() > lines.size())
        std::abort();
    // A row is its line, or a figure padded into columns no wider than a long kernel name, the
    // longest number and its size need: never one line's width forced on every other row.
    constexpr qsizetype widestFigure = 32 + 1 + 15 + 3 + 2 + 10;
    qsizetype longestLine = 0;
    for (const QString &line : lines)
        longestLine = std::max(longestLine, line.size());
    for (const QString &row : rows) {
        if (row.size() > std::max(longestLine, widestFigure))
            std::abort();
        for (QChar c : row)
            if (c.category() == QChar::Other_Control)
                std::abort();
    }
    return 0;
}
