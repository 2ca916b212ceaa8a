// SPDX-License-Identifier: GPL-2.0-or-later
// The group/key/value reader: any bytes parse, every entry reads back, and what is written
// parses to the same text again.
#include "zconfig.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    ZConfig config(QStringLiteral("/nonexistent/fuzz.cfg"));
    config.parse(text);
    QStringList groups;
    config.getGroupsKeyList(groups);
    for (const QString &group : groups)
        for (const QString &key : config.getKeyList(group))
            if (!config.hasEntry(group, key))
                std::abort();  // a listed key must be there

    const QByteArray written = config.serialize();
    ZConfig again(QStringLiteral("/nonexistent/fuzz-again.cfg"));
    again.parse(written);
    if (again.serialize() != written)
        std::abort();

    // A changed value goes through the quoting writer and has to read back unchanged.
    if (!groups.isEmpty()) {
        const QString value = QString::fromUtf8(text.left(64));
        config.writeEntry(groups.first(), QStringLiteral("k"), value);
        ZConfig reread(QStringLiteral("/nonexistent/fuzz-reread.cfg"));
        reread.parse(config.serialize());
        if (reread.readEntry(groups.first(), QStringLiteral("k")) != value)
            std::abort();
    }
    return 0;
}
