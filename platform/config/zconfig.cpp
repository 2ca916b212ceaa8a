// SPDX-License-Identifier: GPL-2.0-or-later
#include "zconfig.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Only ASCII blanks: a caption may well end in an ideographic space that must stay.
QString trimBlanks(const QString &text)
{
    int begin = 0, end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

// What a raw key or value cannot carry: blanks at either end (they are trimmed), control
// characters (a line break would end the line), a leading quote (it would be unquoted).
bool needsQuotes(const QString &text)
{
    if (text.isEmpty())
        return false;
    if (text.front() == QLatin1Char('"') || isBlank(text.front()) || isBlank(text.back()))
        return true;
    for (QChar c : text)
        if (isControl(c))
            return true;
    return false;
}

QString quote(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (isControl(c))
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Reads a quoted string starting at text[pos] == '"'. On success pos is just past the closing
// quote.
bool unquote(const QString &text, int &pos, QString &out)
{
    out.clear();
    int i = pos + 1;
    while (i < text.size()) {
        QChar c = text.at(i);
        if (c == QLatin1Char('"')) {
            pos = i + 1;
            return true;
        }
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            QChar e = text.at(i + 1);
            i += 2;
            switch (e.unicode()) {
            case 'n': out += QLatin1Char('\n'); break;
            case 'r': out += QLatin1Char('\r'); break;
            case 't': out += QLatin1Char('\t'); break;
            case '\\': out += QLatin1Char('\\'); break;
            case '"': out += QLatin1Char('"'); break;
            case 'x':
                if (i + 1 < text.size() && hexDigit(text.at(i)) >= 0 && hexDigit(text.at(i + 1)) >= 0) {
                    out += QChar(ushort(hexDigit(text.at(i)) * 16 + hexDigit(text.at(i + 1))));
                    i += 2;
                } else {
                    out += QLatin1String("\\x");
                }
                break;
            default: out += QLatin1Char('\\'); out += e;
            }
            continue;
        }
        out += c;
        ++i;
    }
    return false;
}

QString written(const QString &text)
{
    return needsQuotes(text) ? quote(text) : text;
}

QString writtenKey(const QString &key)
{
    if (key.isEmpty() || needsQuotes(key) || key.contains(QLatin1Char('='))
        || key.startsWith(QLatin1Char('[')) || key.startsWith(QLatin1Char('#'))
        || key.startsWith(QLatin1Char(';')))
        return quote(key);
    return key;
}

QString writtenGroup(const QString &group)
{
    if (group.isEmpty() || needsQuotes(group) || group.contains(QLatin1Char(']')))
        return QLatin1Char('[') + quote(group) + QLatin1Char(']');
    return QLatin1Char('[') + group + QLatin1Char(']');
}

// A value after "=": quoted when it is one whole quoted string, otherwise as it stands.
QString readValue(const QString &text)
{
    const QString value = trimBlanks(text);
    if (value.startsWith(QLatin1Char('"'))) {
        int pos = 0;
        QString inner;
        if (unquote(value, pos, inner) && pos == value.size())
            return inner;
    }
    if (value.isEmpty())
        return QString::fromLatin1("");  // present but empty: never a null string
    return value;
}

}  // namespace

ZConfig::ZConfig(const QString &path, bool) : filePath(path)
{
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        loaded = true;
        return;
    }
    QFile file(path);
    if (!info.isFile() || info.size() > maxFileSize || !file.open(QIODevice::ReadOnly)) {
        writable = false;
        return;
    }
    const QByteArray text = file.read(maxFileSize + 1);
    if (text.size() > maxFileSize) {
        writable = false;
        return;
    }
    parse(text);
    loaded = true;
}

ZConfig::~ZConfig()
{
    flush();
}

void ZConfig::parse(const QByteArray &text)
{
    prologue.clear();
    sections.clear();
    const QList<QByteArray> rawLines = text.split('\n');
    const int count = text.endsWith('\n') ? rawLines.size() - 1 : rawLines.size();
    for (int n = 0; n < count; ++n) {
        // Each line is kept with its own ending and the first with its byte-order mark, so the
        // file goes back out as it came in: dropping them here would take one more "\r" of
        // "\r\r\n", or one more mark of a doubled one, on every save.
        const QByteArray raw = rawLines.at(n);
        QByteArray content = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (n == 0 && content.startsWith("\xEF\xBB\xBF"))
            content.remove(0, 3);
        const QString line = trimBlanks(QString::fromUtf8(content));
        Line parsed;
        parsed.raw = raw;

        if (line.startsWith(QLatin1Char('['))) {
            QString name;
            bool ok = false;
            if (line.size() > 1 && line.at(1) == QLatin1Char('"')) {
                int pos = 1;
                ok = unquote(line, pos, name) && trimBlanks(line.mid(pos)) == QLatin1String("]");
            } else if (line.endsWith(QLatin1Char(']'))) {
                name = trimBlanks(line.mid(1, line.size() - 2));
                ok = true;
            }
            if (ok) {
                Section section;
                section.name = name;
                section.rawHeader = raw;
                sections.push_back(section);
                continue;
            }
        } else if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')) && !line.startsWith(QLatin1Char(';'))
                   && !sections.empty()) {
            if (line.startsWith(QLatin1Char('"'))) {
                int pos = 0;
                QString key;
                if (unquote(line, pos, key)) {
                    const QString rest = trimBlanks(line.mid(pos));
                    if (rest.startsWith(QLatin1Char('='))) {
                        parsed.isEntry = true;
                        parsed.key = key;
                        parsed.value = readValue(rest.mid(1));
                    }
                }
            } else {
                const int eq = line.indexOf(QLatin1Char('='));
                if (eq >= 0) {
                    parsed.isEntry = true;
                    parsed.key = trimBlanks(line.left(eq));
                    parsed.value = readValue(line.mid(eq + 1));
                }
            }
        }
        // Comments, blank lines and garbage stay as they are, but are never entries.
        if (sections.empty())
            prologue.push_back(parsed);
        else
            sections.back().lines.push_back(parsed);
    }
}

QByteArray ZConfig::serialize() const
{
    QByteArray out;
    auto put = [&out](const Line &line) {
        if (line.isEntry && line.raw.isNull())
            out += (writtenKey(line.key) + QLatin1String(" = ") + written(line.value)).toUtf8();
        else
            out += line.raw;
        out += '\n';
    };
    for (const Line &line : prologue)
        put(line);
    for (const Section &section : sections) {
        if (section.rawHeader.isNull())
            out += writtenGroup(section.name).toUtf8();
        else
            out += section.rawHeader;
        out += '\n';
        for (const Line &line : section.lines)
            put(line);
    }
    return out;
}

const ZConfig::Line *ZConfig::findEntry(const QString &group, const QString &key) const
{
    for (const Section &section : sections) {
        if (section.name != group)
            continue;
        for (const Line &line : section.lines)
            if (line.isEntry && line.key == key)
                return &line;
    }
    return nullptr;
}

QString ZConfig::readEntry(const QString &group, const QString &key, const QString &defaultValue) const
{
    const Line *line = findEntry(group, key);
    return line ? line->value : defaultValue;
}

int ZConfig::readNumEntry(const QString &group, const QString &key, int defaultValue) const
{
    const Line *line = findEntry(group, key);
    if (!line)
        return defaultValue;
    bool ok = false;
    const int value = trimBlanks(line->value).toInt(&ok);
    return ok ? value : defaultValue;
}

bool ZConfig::hasEntry(const QString &group, const QString &key) const
{
    return findEntry(group, key) != nullptr;
}

void ZConfig::writeEntry(const QString &group, const QString &key, const QString &value)
{
    // A null string is stored as an empty value: the file cannot tell them apart.
    const QString stored = value.isNull() ? QString::fromLatin1("") : value;
    Line *existing = const_cast<Line *>(findEntry(group, key));
    if (existing) {
        if (existing->value == stored && !existing->value.isNull())
            return;
        existing->value = stored;
        existing->raw = QByteArray();
        dirty = true;
        return;
    }
    Line line;
    line.isEntry = true;
    line.key = key;
    line.value = stored;
    dirty = true;
    for (Section &section : sections) {
        if (section.name != group)
            continue;
        // After the last entry, so that a group's trailing blank line stays last.
        auto at = section.lines.end();
        while (at != section.lines.begin() && !(at - 1)->isEntry && (at - 1)->raw.trimmed().isEmpty())
            --at;
        section.lines.insert(at, line);
        return;
    }
    Section section;
    section.name = group;
    section.lines.push_back(line);
    sections.push_back(section);
}

void ZConfig::writeEntry(const QString &group, const QString &key, const char *value)
{
    writeEntry(group, key, value ? QString::fromUtf8(value) : QString());
}

void ZConfig::writeEntry(const QString &group, const QString &key, int value)
{
    writeEntry(group, key, QString::number(value));
}

bool ZConfig::removeEntry(const QString &group, const QString &key)
{
    bool removed = false;
    for (Section &section : sections) {
        if (section.name != group)
            continue;
        for (auto it = section.lines.begin(); it != section.lines.end();) {
            if (it->isEntry && it->key == key) {
                it = section.lines.erase(it);
                removed = true;
            } else {
                ++it;
            }
        }
    }
    dirty = dirty || removed;
    return removed;
}

bool ZConfig::removeGroup(const QString &group)
{
    const size_t before = sections.size();
    sections.erase(
        std::remove_if(sections.begin(), sections.end(), [&](const Section &s) { return s.name == group; }),
        sections.end());
    const bool removed = sections.size() != before;
    dirty = dirty || removed;
    return removed;
}

bool ZConfig::getGroupsKeyList(QStringList &groups) const
{
    groups.clear();
    for (const Section &section : sections)
        if (!groups.contains(section.name))
            groups.append(section.name);
    return loaded;
}

QStringList ZConfig::getKeyList(const QString &group) const
{
    QStringList keys;
    for (const Section &section : sections)
        if (section.name == group)
            for (const Line &line : section.lines)
                if (line.isEntry && !keys.contains(line.key))
                    keys.append(line.key);
    return keys;
}

bool ZConfig::flush()
{
    if (!dirty)
        return true;
    if (!writable)
        return false;
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = serialize();
    if (file.write(text) != text.size() || !file.commit())
        return false;
    dirty = false;
    return true;
}
