// SPDX-License-Identifier: GPL-2.0-or-later
#include "rarwriter.h"

#include <array>
#include <cstdint>

namespace {

uint32_t crc32(const QByteArray &bytes)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (char b : bytes)
        c = table[(c ^ uint8_t(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put16(QByteArray &out, uint32_t v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void put32(QByteArray &out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A block is HEAD_CRC (low half of the CRC-32 of the rest of the header) followed by the rest.
QByteArray block(const QByteArray &rest)
{
    QByteArray out;
    put16(out, crc32(rest) & 0xFFFF);
    return out + rest;
}

QByteArray header(uint8_t type, uint16_t flags, const QByteArray &fields)
{
    QByteArray rest;
    rest += char(type);
    put16(rest, flags);
    put16(rest, 2 + 1 + 2 + 2 + fields.size());  // HEAD_SIZE counts the whole header
    return block(rest + fields);
}

}  // namespace

QByteArray rar4Archive(const QList<RarEntry> &entries)
{
    const uint16_t longBlock = 0x8000, dictionaryIsFolder = 0x00E0, lastBlock = 0x4000;
    const uint8_t mainHead = 0x73, fileHead = 0x74, endHead = 0x7B;
    const uint8_t hostMsDos = 0, hostUnix = 3, version20 = 20, methodStore = 0x30;
    const uint32_t dosTime = (29u << 25) | (6u << 21) | (1u << 16) | (12u << 11);  // 2009-06-01 12:00
    const uint32_t attrFolder = 0x10, attrArchive = 0x20, attrUnixLink = 0120777;

    QByteArray out("Rar!\x1a\x07\x00", 7);
    out += header(mainHead, 0, QByteArray(6, '\0'));
    for (const RarEntry &entry : entries) {
        QByteArray name = entry.name;
        name.replace('/', '\\');
        const QByteArray data = entry.folder ? QByteArray() : entry.data;
        QByteArray fields;
        put32(fields, data.size());  // PACK_SIZE
        put32(fields, data.size());  // UNP_SIZE
        fields += char(entry.symlink ? hostUnix : hostMsDos);
        put32(fields, crc32(data));
        put32(fields, dosTime);
        fields += char(version20);
        fields += char(methodStore);
        put16(fields, name.size());
        put32(fields, entry.symlink ? attrUnixLink : entry.folder ? attrFolder : attrArchive);
        fields += name;
        const uint16_t password = entry.encrypted ? 0x0004 : 0;
        out += header(fileHead, longBlock | password | (entry.folder ? dictionaryIsFolder : 0), fields);
        out += data;
    }
    out += header(endHead, lastBlock, QByteArray());
    return out;
}
