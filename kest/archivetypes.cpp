// SPDX-License-Identifier: GPL-2.0-or-later
#include "archivetypes.h"

#include <QtEndian>

namespace {

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Everything after the first dot of the name: backup.tar.gz -> tar.gz, no dot -> "".
QString completeSuffix(const QString &name)
{
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

struct Match
{
    int type = -1;
    qsizetype ending = 0;  // length of the ending that matched
};

Match matchOf(const QString &path)
{
    const QString name = nameOf(path);
    const QList<ArchiveType> &types = archiveTypes();
    const QString suffix = completeSuffix(name);
    for (int i = 0; i < types.size(); ++i)
        if (!types.at(i).suffix.isEmpty() && suffix == types.at(i).suffix)
            return {i, suffix.size() + 1};
    Match best;
    for (int i = 0; i < types.size(); ++i)
        for (const QString &ending : types.at(i).endings)
            if (ending.size() > best.ending && name.endsWith(ending, Qt::CaseInsensitive))
                best = {i, ending.size()};
    return best;
}

QStringList list(std::initializer_list<const char *> endings)
{
    QStringList result;
    for (const char *ending : endings)
        result << QString::fromLatin1(ending);
    return result;
}

}  // namespace

const QList<ArchiveType> &archiveTypes()
{
    using K = ArchiveKind;
    static const QList<ArchiveType> types{
        {K::TarGz, QStringLiteral("tar.gz"), list({".tar.gz"}), false},
        {K::Gz, QStringLiteral("gz"), list({".gz"}), true},
        // .gtar and .gem (a Ruby package) are plain tar archives under other names.
        {K::Tar, QStringLiteral("tar"), list({".tar", ".gtar", ".gem"}), false},
        {K::Bz2, QStringLiteral("bz2"), list({".bz2"}), true},
        {K::Bz, QStringLiteral("bz"), list({".bz"}), true},
        {K::Zip, QStringLiteral("zip"), list({".zip"}), false},
        {K::Rar, QStringLiteral("rar"), list({".rar"}), false},
        {K::Tgz, QString(), list({".tgz"}), false},
        {K::TarBz2, QString(), list({".tar.bz2", ".tar.bz", ".tbz2", ".tbz", ".tb2"}), false},
        {K::TarXz, QString(), list({".tar.xz", ".txz"}), false},
        {K::TarZst, QString(), list({".tar.zst", ".tzst"}), false},
        {K::TarLz, QString(), list({".tar.lz"}), false},
        // .zipx uses methods (LZMA, PPMd, xz) that unzip does not read; 7-Zip does. .7z.001 is
        // the first part of a split archive, the others lying beside it.
        {K::SevenZip, QString(), list({".7z", ".7z.001", ".zipx"}), false},
        {K::Xz, QString(), list({".xz"}), true},
        {K::Zst, QString(), list({".zst"}), true},
    };
    return types;
}

int archiveTypeOf(const QString &path)
{
    return matchOf(path).type;
}

QString nameWithoutType(const QString &path)
{
    const QString name = nameOf(path);
    const Match match = matchOf(path);
    if (match.type < 0) {
        const int dot = name.indexOf(QLatin1Char('.'));
        return dot < 0 ? name : name.left(dot);
    }
    return name.left(name.size() - match.ending);
}

QString compressionFileName(const QString &typed)
{
    const QString lower = typed.toLower();
    const bool named = (lower.endsWith(QLatin1String(".tar.gz")) && lower.size() > 7)
                       || (lower.endsWith(QLatin1String(".tgz")) && lower.size() > 4);
    return named ? typed : typed + QLatin1String(".tar.gz");
}

QStringList archivePickerFilters()
{
    QStringList filters{QStringLiteral("*.tar.gz"), QStringLiteral("*.tar"), QStringLiteral("*.gz"),
                        QStringLiteral("*.rar"), QStringLiteral("*.zip")};
    for (const ArchiveType &type : archiveTypes())
        for (const QString &ending : type.endings)
            if (!filters.contains(QLatin1Char('*') + ending))
                filters << QLatin1Char('*') + ending;
    return filters;
}

bool isTarHeader(const QByteArray &block)
{
    if (block.size() < 512)
        return false;
    const QByteArray field = block.mid(148, 8);
    bool ok = false;
    const qint64 stored = field.trimmed().split('\0').value(0).trimmed().toLongLong(&ok, 8);
    if (!ok)
        return false;
    qint64 unsignedSum = 0, signedSum = 0;
    for (int i = 0; i < 512; ++i) {
        const char c = i >= 148 && i < 156 ? ' ' : block.at(i);
        unsignedSum += static_cast<unsigned char>(c);
        signedSum += static_cast<signed char>(c);
    }
    return stored == unsignedSum || stored == signedSum;
}

RarChain walkRar4Chain(qint64 fileSize, const std::function<QByteArray(qint64, int)> &read)
{
    // A block: HEAD_CRC (2), HEAD_TYPE (1), HEAD_FLAGS (2), HEAD_SIZE (2), and, with flag
    // 0x8000, ADD_SIZE (4): the data after the header. In a file header (type 0x74, and 0x7A
    // for newer service headers) that is PACK_SIZE, with HIGH_PACK_SIZE at 32 when flag 0x100
    // is set. Type 0x7B ends the archive.
    static const QByteArray signature("Rar!\x1a\x07\x00", 7);
    if (read(0, signature.size()) != signature)
        return RarChain::NotRar4;
    qint64 at = signature.size();
    while (at < fileSize) {
        const QByteArray head = read(at, 36);
        if (head.size() < 7)
            return RarChain::CutShort;
        const auto *bytes = reinterpret_cast<const uchar *>(head.constData());
        const uint type = bytes[2];
        const uint flags = qFromLittleEndian<quint16>(bytes + 3);
        const qint64 headSize = qFromLittleEndian<quint16>(bytes + 5);
        if (headSize < 7)
            return RarChain::CutShort;
        qint64 data = 0;
        if (flags & 0x8000) {
            if (head.size() < 11)
                return RarChain::CutShort;
            data = qFromLittleEndian<quint32>(bytes + 7);
            if ((type == 0x74 || type == 0x7A) && (flags & 0x100)) {
                if (head.size() < 36)
                    return RarChain::CutShort;
                data += qint64(qFromLittleEndian<quint32>(bytes + 32)) << 32;
            }
        }
        if (at + headSize + data > fileSize)
            return RarChain::CutShort;
        if (type == 0x7B)
            return RarChain::Complete;
        at += headSize + data;
    }
    // Archivers before RAR 3 wrote no end block: ending on a block boundary is complete.
    return RarChain::Complete;
}
