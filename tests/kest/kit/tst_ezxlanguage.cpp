// SPDX-License-Identifier: GPL-2.0-or-later
#include "appcurrentname.h"
#include "ezxlanguage.h"
#include "zconfig.h"

#include "phonetree.h"
#include "workingdir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

namespace {

const QString systemCfg = QStringLiteral("/ezx_user/download/appwrite/setup/ezx_system.cfg");

void setLanguage(const PhoneTree &phone, const QByteArray &language)
{
    phone.write(systemCfg, "[SYS_SYSTEM_SET]\nLanguageType = " + language + "\n");
}

QString entry(const QString &file, const QString &group, const QString &key)
{
    return ZConfig(file).readEntry(group, key, QStringLiteral("<absent>"));
}

}  // namespace

class TestEZXLanguage : public QObject
{
    Q_OBJECT
private slots:
    void codecs();
    void languageFileName_data();
    void languageFileName();
    void withoutApplicationPathFileIsRelative();
    void languageType();
    void absentEntryIsFilledPresentOneKept();
    void otherLanguagesGroupDoesNotCount();
    void languageChangeNeedsNoRestart();
    void nullKeyTouchesNoEntry();
    void unwritableFileStillAnswers();
};

void TestEZXLanguage::codecs()
{
    QVERIFY(Text_codec && Text_codec_Ascii && Text_codec_Utf8);
    QCOMPARE(Text_codec, Text_codec_Ascii);
    EZXLanguage language(QStringLiteral("/a/kest"), true);
    // "解压" in GB2312 and in UTF-8
    QCOMPARE(language.Text_code("\xbd\xe2\xd1\xb9"), QString::fromUtf8("解压"));
    QCOMPARE(language.Text_code_Ascii("Kest\xa1\xa1"), QString::fromUtf8("Kest　"));
    QCOMPARE(EZXLanguage::Text_code_Utf8("\xe8\xa7\xa3\xe5\x8e\x8b"), QString::fromUtf8("解压"));
    QVERIFY(language.Text_code(nullptr).isNull());
    QVERIFY(!language.Text_code("").isNull());
}

void TestEZXLanguage::languageFileName_data()
{
    QTest::addColumn<QString>("appFile");  // relative to a temporary folder
    QTest::addColumn<QString>("langFile");
    QTest::newRow("plain") << "bin/kest"
                           << "bin/ezx_kest_lang.cfg";
    QTest::newRow("several_dots") << "bin/a.b.c"
                                  << "bin/ezx_a_lang.cfg";
    QTest::newRow("hidden_file") << "bin/.kest"
                                 << "bin/ezx__lang.cfg";
    QTest::newRow("dotted_folder") << "my.bin/kest.bin"
                                   << "my.bin/ezx_kest_lang.cfg";
}

void TestEZXLanguage::languageFileName()
{
    QFETCH(QString, appFile);
    QFETCH(QString, langFile);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QFileInfo(dir.filePath(appFile)).path());

    EZXLanguage language(dir.filePath(appFile), true);
    QCOMPARE(language.getAppLangCfg(), dir.filePath(langFile));
    QVERIFY(QFileInfo(dir.filePath(langFile)).isFile());
    QCOMPARE(QFileInfo(dir.filePath(langFile)).size(), 0);

    // The same name, in the phone's shared setup folder.
    PhoneTree phone;
    phone.mkdir(QStringLiteral("/ezx_user/download/appwrite/setup"));
    EZXLanguage shared(dir.filePath(appFile), false);
    const QString sharedFile =
        phone.path(QStringLiteral("/ezx_user/download/appwrite/setup/") + QFileInfo(langFile).fileName());
    QCOMPARE(shared.getAppLangCfg(), sharedFile);
    QVERIFY(QFileInfo(sharedFile).isFile());

    // The default constructor works from the recorded executable path.
    AppCurrentName = dir.filePath(appFile);
    QCOMPARE(EZXLanguage().getAppLangCfg(), dir.filePath(langFile));
    AppCurrentName = QString();
}

void TestEZXLanguage::withoutApplicationPathFileIsRelative()
{
    PhoneTree phone;
    QTemporaryDir dir;
    WorkingDir here(dir.path());
    QVERIFY(AppCurrentName.isNull());
    // Neither object may fall back to a file at the file system's root.
    QCOMPARE(EZXLanguage().getAppLangCfg(), QStringLiteral("ezx__lang.cfg"));
    QCOMPARE(EZXLanguage(QString(), true).getAppLangCfg(), QStringLiteral("ezx__lang.cfg"));
    QCOMPARE(EZXLanguage().readLabelCaption(QStringLiteral("Win_Caption1"), QStringLiteral("Kest")),
             QStringLiteral("Kest"));
    QCOMPARE(entry(dir.filePath("ezx__lang.cfg"), "zh-cn", "Win_Caption1"), QStringLiteral("Kest"));
}

void TestEZXLanguage::languageType()
{
    PhoneTree phone;
    EZXLanguage language(QStringLiteral("/a/kest"), true);
    QCOMPARE(language.getLanguageType(), QStringLiteral("zh-cn"));  // no system file
    phone.write(systemCfg, "[SYS_SYSTEM_SET]\nOther = 1\n");
    QCOMPARE(language.getLanguageType(), QStringLiteral("zh-cn"));  // no entry
    setLanguage(phone, "en-us");
    QCOMPARE(language.getLanguageType(), QStringLiteral("en-us"));
    // Reading never writes the phone's file.
    QCOMPARE(phone.read(systemCfg), QByteArray("[SYS_SYSTEM_SET]\nLanguageType = en-us\n"));
}

void TestEZXLanguage::absentEntryIsFilledPresentOneKept()
{
    PhoneTree phone;
    QTemporaryDir dir;
    const QString file = dir.filePath("ezx_kest_lang.cfg");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[zh-cn]\nWin_Item1 =\nWin_Item2 = Extract to:\n");
    }
    EZXLanguage language(dir.filePath("kest"), true);
    const QString chinese = language.Text_code("\xbd\xe2\xd1\xb9");
    QCOMPARE(language.readLabelCaption("Win_MidBtn1", chinese), chinese);
    QCOMPARE(entry(file, "zh-cn", "Win_MidBtn1"), chinese);
    // Present entries win over the default, an empty one included.
    const QString empty = language.readLabelCaption("Win_Item1", chinese);
    QVERIFY(empty.isEmpty() && !empty.isNull());
    QCOMPARE(language.readLabelCaption("Win_Item2", chinese), QStringLiteral("Extract to:"));
    QCOMPARE(entry(file, "zh-cn", "Win_Item1"), QString(""));
    // The translator's edit is what later lookups see.
    {
        ZConfig config(file);
        config.writeEntry("zh-cn", "Win_MidBtn1", "Extract");
    }
    QCOMPARE(language.readLabelCaption("Win_MidBtn1", chinese), QStringLiteral("Extract"));
}

void TestEZXLanguage::otherLanguagesGroupDoesNotCount()
{
    PhoneTree phone;
    setLanguage(phone, "en-us");
    QTemporaryDir dir;
    const QString file = dir.filePath("ezx_kest_lang.cfg");
    {
        ZConfig config(file);
        config.writeEntry("zh-cn", "AppName", "Kest-zh");
    }
    EZXLanguage language(dir.filePath("kest"), true);
    QCOMPARE(language.readLabelCaption("AppName", "Kest"), QStringLiteral("Kest"));
    QCOMPARE(entry(file, "en-us", "AppName"), QStringLiteral("Kest"));
    QCOMPARE(entry(file, "zh-cn", "AppName"), QStringLiteral("Kest-zh"));
}

void TestEZXLanguage::languageChangeNeedsNoRestart()
{
    PhoneTree phone;
    QTemporaryDir dir;
    const QString file = dir.filePath("ezx_kest_lang.cfg");
    EZXLanguage language(dir.filePath("kest"), true);
    setLanguage(phone, "en-us");
    {
        ZConfig config(file);
        config.writeEntry("en-us", "Win_MidBtn1", "Extract");
        config.writeEntry("ru", "Win_MidBtn1", QString::fromUtf8("Распаковать"));
    }
    QCOMPARE(language.readLabelCaption("Win_MidBtn1", "x"), QStringLiteral("Extract"));
    setLanguage(phone, "ru");
    QCOMPARE(language.readLabelCaption("Win_MidBtn1", "x"), QString::fromUtf8("Распаковать"));
    setLanguage(phone, "de");
    QCOMPARE(language.readLabelCaption("Win_MidBtn1", "x"), QStringLiteral("x"));
    QCOMPARE(ZConfig(file).getKeyList("de"), QStringList{"Win_MidBtn1"});
}

void TestEZXLanguage::nullKeyTouchesNoEntry()
{
    PhoneTree phone;
    QTemporaryDir dir;
    const QString file = dir.filePath("ezx_kest_lang.cfg");
    EZXLanguage language(dir.filePath("kest"), true);
    QCOMPARE(language.readLabelCaption(QString(), "fallback"), QStringLiteral("fallback"));
    QVERIFY(QFileInfo(file).isFile());  // still created
    QCOMPARE(QFileInfo(file).size(), 0);
    QCOMPARE(language.ReadWriteEntry(dir.filePath("never.cfg"), "zh-cn", QString(), "d"),
             QStringLiteral("d"));
    QVERIFY(!QFileInfo::exists(dir.filePath("never.cfg")));
}

void TestEZXLanguage::unwritableFileStillAnswers()
{
    PhoneTree phone;
    QTemporaryDir dir;
    // A folder that does not exist: the file can be neither created nor written (even as root).
    EZXLanguage missingDir(dir.filePath("gone/kest"), true);
    QCOMPARE(missingDir.readLabelCaption("AppName", "Kest"), QStringLiteral("Kest"));
    QVERIFY(!QFileInfo::exists(dir.filePath("gone")));
    // A language file that is a folder.
    QDir(dir.path()).mkdir("ezx_kest_lang.cfg");
    EZXLanguage folder(dir.filePath("kest"), true);
    QCOMPARE(folder.readLabelCaption("AppName", "Kest"), QStringLiteral("Kest"));
}

QTEST_GUILESS_MAIN(TestEZXLanguage)
#include "tst_ezxlanguage.moc"
