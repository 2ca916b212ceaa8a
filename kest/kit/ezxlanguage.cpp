// SPDX-License-Identifier: GPL-2.0-or-later
#include "ezxlanguage.h"

#include "appcurrentname.h"
#include "phonepath.h"
#include "systemsettings.h"
#include "zconfig.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

// Filled in this order during static initialisation; Qt's codec registry needs no
// application object.
QTextCodec *Text_codec = QTextCodec::codecForName("GB2312");
QTextCodec *Text_codec_Ascii = QTextCodec::codecForName("GB2312");
QTextCodec *Text_codec_Utf8 = QTextCodec::codecForName("UTF-8");

namespace {

const char setupDir[] = "/ezx_user/download/appwrite/setup";

QString setupDirPath()
{
    return phonePath(QString::fromLatin1(setupDir));
}

QString decode(QTextCodec *codec, const char *bytes)
{
    if (!bytes)
        return QString();
    if (!codec)
        return QString::fromUtf8(bytes);  // keeps at least the ASCII of a text
    return codec->toUnicode(bytes);
}

}  // namespace

EZXLanguage::EZXLanguage() : EZXLanguage(AppCurrentName, true) {}

EZXLanguage::EZXLanguage(const QString &appFile, bool useAppDir) : useAppDir(useAppDir)
{
    // No application file, no folder: the language file is then taken relative to the working
    // directory rather than at the file system's root.
    if (appFile.isEmpty())
        return;
    const QFileInfo info(appFile);
    appBaseName = info.baseName();
    appDirPath = info.absolutePath();
    if (!appDirPath.endsWith(QLatin1Char('/')))
        appDirPath += QLatin1Char('/');
}

QString EZXLanguage::getLanguageType() const
{
    return languageType();
}

QString EZXLanguage::getAppLangCfg() const
{
    const QString name = QLatin1String("ezx_") + appBaseName + QLatin1String("_lang.cfg");
    const QString path = useAppDir ? appDirPath + name : setupDirPath() + QLatin1Char('/') + name;
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::ReadWrite))
            file.close();
    }
    return path;
}

QString EZXLanguage::ReadWriteEntry(const QString &file, const QString &group, const QString &key,
                                    const QString &defaultText) const
{
    if (key.isNull())
        return defaultText;
    ZConfig config(file, false);
    QString value = config.readEntry(group, key, QString());
    if (value.isNull()) {
        // Whether the file takes it or not, the caller gets a text.
        config.writeEntry(group, key, defaultText);
        value = defaultText;
    }
    return value;
}

QString EZXLanguage::readLabelCaption(const QString &key, const QString &defaultText) const
{
    const QString language = getLanguageType();
    const QString file = getAppLangCfg();
    return ReadWriteEntry(file, language, key, defaultText);
}

QString EZXLanguage::Text_code(const char *bytes) const
{
    return decode(Text_codec, bytes);
}

QString EZXLanguage::Text_code_Ascii(const char *bytes) const
{
    return decode(Text_codec_Ascii, bytes);
}

QString EZXLanguage::Text_code_Utf8(const char *bytes)
{
    return decode(Text_codec_Utf8, bytes);
}
