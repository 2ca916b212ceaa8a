// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QTextCodec;

// The program's text codecs, looked up once before main runs and owned by Qt. The program
// carries its texts as GB2312 byte strings; command-line paths are UTF-8.
extern QTextCodec *Text_codec;        // "GB2312"
extern QTextCodec *Text_codec_Ascii;  // "GB2312" again
extern QTextCodec *Text_codec_Utf8;   // "UTF-8"

// Caption lookup. Each text of the program has an ASCII key and a built-in default; the text
// shown is the one stored under that key in the application's language file
// ("ezx_" + base name + "_lang.cfg"), in the group of the phone's current language. An absent
// entry is filled in with the default, so the first run builds a complete file that a
// translator can edit. Objects are cheap and meant to live for one lookup.
class EZXLanguage
{
public:
    // From AppCurrentName; without one, the language file is "ezx__lang.cfg" in the working
    // directory.
    EZXLanguage();
    // useAppDir: the language file lies beside appFile, else in the phone's setup folder.
    EZXLanguage(const QString &appFile, bool useAppDir);

    // The phone's language ("zh-cn" when the system configuration does not say), read afresh
    // on every call.
    QString getLanguageType() const;
    // Full path of the language file; creates it empty when missing.
    QString getAppLangCfg() const;
    // The value of key in group of file; an absent entry is written with defaultText and
    // defaultText returned. A present entry comes back as stored, even when empty. A null key
    // returns defaultText without touching the file.
    QString ReadWriteEntry(const QString &file, const QString &group, const QString &key,
                           const QString &defaultText) const;
    // The caption of key in the current language; defaultText is already decoded.
    QString readLabelCaption(const QString &key, const QString &defaultText) const;

    // Decoders of NUL-terminated byte strings (nullptr gives a null string).
    QString Text_code(const char *bytes) const;
    QString Text_code_Ascii(const char *bytes) const;
    static QString Text_code_Utf8(const char *bytes);

private:
    QString appBaseName;
    QString appDirPath;  // absolute, ends in "/"; null without an application file
    bool useAppDir;
};
