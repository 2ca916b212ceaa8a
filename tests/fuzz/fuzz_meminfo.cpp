// SPDX-License-Identifier: GPL-2.0-or-later
// The memory view: /proc/meminfo cut into the lines the view lists after its summary table.
#include "textlines.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromLocal8Bit(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = textLines(text);
    qsizetype total = 0;
    for (qsizetype i = 3; i < lines.size(); ++i) {
        if (lines.at(i).contains(QLatin1Char('\n')))
            std::abort();
        total += lines.at(i).size();
    }
    if (total > text.size())
        std::abort();
    return 0;
}
