// SPDX-License-Identifier: GPL-2.0-or-later
#include "archivelisting.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

// Reads the C-quoted string that starts at text[pos] == '"' (tar's --quoting-style=c).
bool unquoteC(const QByteArray &text, qsizetype pos, QByteArray &out)
{
    static const QByteArray simple = "abfnrtv";
    static const QByteArray meaning = "\a\b\f\n\r\t\v";
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return false;
        const char e = text.at(i);
        if (e >= '0' && e <= '7') {
            int value = 0, digits = 0;
            for (; digits < 3 && i < text.size() && text.at(i) >= '0' && text.at(i) <= '7'; ++digits, ++i)
                value = value * 8 + (text.at(i) - '0');
            --i;
            out += char(value);
        } else if (simple.contains(e)) {
            out += meaning.at(simple.indexOf(e));
        } else {
            out += e;
        }
    }
    return false;
}

}  // namespace

bool parseTarListing(const QList<QByteArray> &lines, QList<ArchiveMember> &members)
{
    for (const QByteArray &text : lines) {
        const qsizetype quote = text.indexOf('"');
        QByteArray name;
        if (text.isEmpty() || quote < 0 || !unquoteC(text, quote, name))
            return false;
        ArchiveMember member;
        member.name = QFile::decodeName(name);
        member.link = text.at(0) == 'l' || text.at(0) == 'h';
        member.folder = text.at(0) == 'd';
        members.append(member);
    }
    return true;
}

bool parseZipListing(const QList<QByteArray> &lines, QList<ArchiveMember> &members)
{
    // mode, version, system, size, flags ("tx": text, not encrypted; "TX": encrypted), method,
    // date, time, name.
    static const QRegularExpression entry(
        QStringLiteral("^(\\S+)\\s+\\S+\\s+(\\S+)\\s+\\d+\\s+(\\S+)\\s+\\S+\\s+\\S+\\s+\\S+ (.*)$"));
    static const QRegularExpression count(QStringLiteral("number of entries: (\\d+)"));
    qsizetype expected = -1;
    for (const QByteArray &text : lines) {
        const QString decoded = QFile::decodeName(text);
        const QRegularExpressionMatch header = count.match(decoded);
        if (expected < 0 && header.hasMatch()) {
            expected = header.captured(1).toLongLong();
            continue;
        }
        const QRegularExpressionMatch match = entry.match(decoded);
        if (expected < 0 || !match.hasMatch())
            continue;
        ArchiveMember member;
        member.name = match.captured(4);
        member.link =
            match.captured(1).startsWith(QLatin1Char('l')) && match.captured(2) == QLatin1String("unx");
        member.folder = member.name.endsWith(QLatin1Char('/'));
        member.encrypted = match.captured(3).at(0).isUpper();
        members.append(member);
    }
    // Every member accounted for, or the listing cannot be trusted.
    return expected < 0 ? members.isEmpty() : expected == members.size();
}

bool parseRarListing(const QList<QByteArray> &lines, QList<ArchiveMember> &members)
{
    const auto isRule = [](const QByteArray &text) { return text.startsWith("-----"); };
    const auto first = std::find_if(lines.cbegin(), lines.cend(), isRule);
    if (first == lines.cend())
        return true;  // not a rar archive, which the extraction reports
    for (auto at = first + 1; at != lines.cend() && !isRule(*at); at += 2) {
        if (!at->startsWith(' ') || at + 1 == lines.cend())
            return false;
        ArchiveMember member;
        member.name = QFile::decodeName(at->mid(1));
        member.folder = (at + 1)->contains(" .D");  // attributes ".D...."
        members.append(member);
    }
    return true;
}

bool parseSevenZipListing(const QList<QByteArray> &lines, QList<ArchiveMember> &members)
{
    bool inMember = false;
    for (const QByteArray &text : lines) {
        const qsizetype equals = text.indexOf(" = ");
        if (equals < 0)
            continue;
        const QByteArray key = text.left(equals);
        const QByteArray value = text.mid(equals + 3);
        if (key == "Path") {
            members.append({QFile::decodeName(value), false, false, false});
            inMember = true;
        } else if (!inMember) {
            return false;
        } else if (key == "Folder") {
            members.last().folder = value == "+";
        } else if (key == "Attributes") {
            // "D drwxr-xr-x", "A lrwxrwxrwx": DOS letters, then the Unix mode when stored.
            members.last().folder = members.last().folder || value.startsWith('D');
            members.last().link = value.contains(" l");
        } else if (key == "Encrypted") {
            members.last().encrypted = value == "+";
        }
    }
    return true;
}

bool parseLsarListing(const QByteArray &json, QList<ArchiveMember> &members)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonValue contents = document.object().value(QLatin1String("lsarContents"));
    if (!contents.isArray())
        return false;
    for (const QJsonValue &value : contents.toArray()) {
        const QJsonObject entry = value.toObject();
        const QJsonValue name = entry.value(QLatin1String("XADFileName"));
        if (!name.isString())
            return false;
        const auto flag = [&entry](const char *key) { return entry.value(QLatin1String(key)).toInt() != 0; };
        members.append({name.toString(), flag("XADIsLink") || flag("XADIsHardLink"), flag("XADIsDirectory"),
                        flag("XADIsEncrypted")});
    }
    return true;
}

QStringList memberComponents(const QString &name, bool backslashes)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    QStringList parts = backslashes ? name.split(separators) : name.split(QLatin1Char('/'));
    parts.removeAll(QString());
    parts.removeAll(QStringLiteral("."));
    return parts;
}

bool membersStayInside(const QList<ArchiveMember> &members, bool backslashes,
                       const std::function<bool(const QString &)> &leadsOut)
{
    QSet<QString> links;
    for (const ArchiveMember &member : members)
        if (member.link)
            links.insert(memberComponents(member.name, backslashes).join(QLatin1Char('/')));
    QHash<QString, bool> outward;  // each path asked once, however many members share it
    const auto leadsOutOnDisk = [&](const QString &path) {
        if (!leadsOut)
            return false;
        const auto known = outward.constFind(path);
        if (known != outward.constEnd())
            return *known;
        return *outward.insert(path, leadsOut(path));
    };
    for (const ArchiveMember &member : members) {
        const QStringList parts = memberComponents(member.name, backslashes);
        if (parts.contains(QStringLiteral("..")))
            return false;
        QString path;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            path += (i > 0 ? QStringLiteral("/") : QString()) + parts.at(i);
            const bool last = i == parts.size() - 1;
            if (!last && links.contains(path))
                return false;
            // A link member replaces what it finds; anything else may be written through it.
            if ((!last || !member.link) && leadsOutOnDisk(path))
                return false;
        }
    }
    return true;
}

QString lastMeaningfulLine(const QByteArray &errors)
{
    // Rules, advice, counts, prompts, and tar's closing words after the real error.
    static const QRegularExpression noise(
        QStringLiteral(
            "^([-=*_ ]+|Try [`'].*--help.*|(Sub items |Archives with )?(Errors|Warnings): \\d+"
            "|ERRORS:|WARNINGS:|.*password.*:|tar: Error is not recoverable: exiting now"
            "|tar: Child returned status \\d+|tar: Exiting with failure status due to previous errors)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression breaks(QStringLiteral("[\r\n]"));
    const QStringList lines = QString::fromUtf8(errors).split(breaks);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QString text = line->simplified();
        if (!text.isEmpty() && !noise.match(text).hasMatch())
            return text;
    }
    return QString();
}

bool mentionsPassword(const QByteArray &text)
{
    return text.contains("password") || text.contains("Password");
}
