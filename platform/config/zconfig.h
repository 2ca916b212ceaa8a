// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The phone's group/key/value files. On disk, UTF-8 text:
//
//   # comment (also ; comment)
//   [group]
//   key = value
//
// Blanks around "=" are optional and not part of key or value. A value that would not survive
// that (leading or trailing blanks, line breaks and other control characters, or a leading
// double quote) is written in double quotes with backslash escapes (\\ \" \n \r \t \xHH);
// keys and group names are quoted the same way when they need it. So every string written
// reads back identical, and "key =" is a present, empty value, not an absent one.
// Groups and keys keep file order; comments and lines we do not understand are kept as they
// stand when the file is written back. Saving writes a temporary file and renames it over the
// old one, so a crash or a full disk never leaves half a file.
class ZConfig
{
public:
    explicit ZConfig(const QString &path, bool create = false);
    ~ZConfig();  // writes back what changed
    ZConfig(const ZConfig &) = delete;
    ZConfig &operator=(const ZConfig &) = delete;

    QString readEntry(const QString &group, const QString &key,
                      const QString &defaultValue = QString()) const;
    int readNumEntry(const QString &group, const QString &key, int defaultValue = 0) const;
    bool hasEntry(const QString &group, const QString &key) const;

    void writeEntry(const QString &group, const QString &key, const QString &value);
    void writeEntry(const QString &group, const QString &key, const char *value);
    void writeEntry(const QString &group, const QString &key, int value);
    bool removeEntry(const QString &group, const QString &key);
    bool removeGroup(const QString &group);

    // Group names in file order, each once; false when the file could not be read.
    bool getGroupsKeyList(QStringList &groups) const;
    QStringList getKeyList(const QString &group) const;

    // Writes the file now if anything changed; false when that failed (the old file then
    // stays as it was).
    bool flush();

    QString path() const { return filePath; }

    // The text form, apart from the file (also what the file reader and writer use).
    void parse(const QByteArray &text);
    QByteArray serialize() const;

    // Files larger than this are not read (and never written over).
    static constexpr qint64 maxFileSize = 16 * 1024 * 1024;

private:
    struct Line
    {
        bool isEntry = false;
        QString key;
        QString value;
        QByteArray raw;  // as read; empty once the entry was changed
    };
    struct Section
    {
        QString name;
        QByteArray rawHeader;
        std::vector<Line> lines;
    };

    const Line *findEntry(const QString &group, const QString &key) const;

    QString filePath;
    std::vector<Line> prologue;  // lines before the first group
    std::vector<Section> sections;
    bool loaded = false;   // the file was read (or did not exist yet)
    bool writable = true;  // false when an existing file could not be read
    bool dirty = false;
};
