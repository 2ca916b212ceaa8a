// SPDX-License-Identifier: GPL-2.0-or-later
#include "hostilearchive.h"

#include <QtEndian>

#include <cstdint>

namespace {

quint32 crc32Of(const QByteArray &bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (char b : bytes) {
        c ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

QByteArray octal(quint64 value, int width)
{
    QByteArray digits = QByteArray::number(value, 8).rightJustified(width - 1, '0');
    return digits + '\0';
}

template <typename T> void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

}  // namespace

QByteArray tarArchive(const QList<HostileMember> &members)
{
    QByteArray out;
    for (const HostileMember &member : members) {
        QByteArray header(512, '\0');
        const bool file = member.kind == HostileMember::File;
        header.replace(0, qMin<qsizetype>(member.name.size(), 100), member.name.left(100));
        header.replace(100, 8, octal(file ? 0644 : 0777, 8));
        header.replace(108, 8, octal(0, 8));
        header.replace(116, 8, octal(0, 8));
        header.replace(124, 12, octal(file ? member.data.size() : 0, 12));
        header.replace(136, 12, octal(0, 12));
        header[156] = file ? '0' : member.kind == HostileMember::Symlink ? '2' : '1';
        if (!file)
            header.replace(157, qMin<qsizetype>(member.data.size(), 100), member.data.left(100));
        header.replace(257, 8,
                       QByteArray("ustar\0"
                                  "00",
                                  8));
        header.replace(148, 8, QByteArray(8, ' '));
        unsigned sum = 0;
        for (char c : header)
            sum += static_cast<unsigned char>(c);
        header.replace(148, 8, octal(sum, 7) + ' ');
        out += header;
        if (file) {
            out += member.data;
            out += QByteArray((512 - member.data.size() % 512) % 512, '\0');
        }
    }
    return out + QByteArray(1024, '\0');
}

QByteArray zipArchive(const QList<HostileMember> &members)
{
    QByteArray out, directory;
    for (const HostileMember &member : members) {
        const quint32 crc = crc32Of(member.data);
        const quint32 mode = member.kind == HostileMember::Symlink ? 0120777 : 0100644;
        const quint32 offset = quint32(out.size());
        QByteArray common;
        put<quint16>(common, 10);  // version needed
        put<quint16>(common, 0);   // flags
        put<quint16>(common, 0);   // stored
        put<quint32>(common, 0);   // time and date
        put<quint32>(common, crc);
        put<quint32>(common, quint32(member.data.size()));
        put<quint32>(common, quint32(member.data.size()));
        put<quint16>(common, quint16(member.name.size()));
        put<quint16>(common, 0);  // extra field

        put<quint32>(out, 0x04034b50);
        out += common + member.name + member.data;

        put<quint32>(directory, 0x02014b50);
        put<quint16>(directory, 3 << 8 | 30);  // made on Unix
        directory += common;
        put<quint16>(directory, 0);  // comment
        put<quint16>(directory, 0);  // disk
        put<quint16>(directory, 0);  // internal attributes
        put<quint32>(directory, mode << 16);
        put<quint32>(directory, offset);
        directory += member.name;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    put<quint32>(out, 0x06054b50);
    put<quint16>(out, 0);
    put<quint16>(out, 0);
    put<quint16>(out, quint16(members.size()));
    put<quint16>(out, quint16(members.size()));
    put<quint32>(out, quint32(directory.size()));
    put<quint32>(out, directoryOffset);
    put<quint16>(out, 0);
    return out;
}
