// SPDX-License-Identifier: GPL-2.0-or-later
// What Kest reads of an archive from the wild before it extracts: the tools' member listings
// (names chosen by whoever made the archive), the members-stay-inside rule on them, the
// reason line of the tools' errors, the tar header check and the RAR 4 block chain. The first
// byte chooses the listing format.
#include "archivelisting.h"
#include "archivetypes.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray text(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const QList<QByteArray> lines = text.split('\n');
    QList<ArchiveMember> members;
    bool understood = false;
    switch (data[0] % 5) {
    case 0: understood = parseTarListing(lines, members); break;
    case 1: understood = parseZipListing(lines, members); break;
    case 2: understood = parseRarListing(lines, members); break;
    case 3: understood = parseSevenZipListing(lines, members); break;
    default: understood = parseLsarListing(text, members); break;
    }
    if (understood) {
        const bool inside = membersStayInside(members, data[0] & 0x80, nullptr);
        // A member that climbs is never inside.
        for (const ArchiveMember &member : members)
            if (inside && memberComponents(member.name, data[0] & 0x80).contains(QStringLiteral("..")))
                std::abort();
    }
    if (lastMeaningfulLine(text).contains(QLatin1Char('\n')))
        std::abort();
    isTarHeader(text);
    const auto read = [&text](qint64 at, int length) { return text.mid(at, length); };
    walkRar4Chain(text.size(), read);
    return 0;
}
