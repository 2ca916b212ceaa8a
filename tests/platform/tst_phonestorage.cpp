// SPDX-License-Identifier: GPL-2.0-or-later
#include "phonepath.h"
#include "phonestorage.h"
#include "zconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

// The phone's storage on a machine that is not the phone: where it lives, how it is laid out
// the first time, and which language it starts in. This machine has no /ezx_user.
class TestPhoneStorage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void pathsMoveToTheDataFolder_data();
    void pathsMoveToTheDataFolder();
    void dataFolderChoice_data();
    void dataFolderChoice();
    void languageFromLocale_data();
    void languageFromLocale();
    void firstStartLaysOutANewPhone();
    void laterStartsKeepTheUsersFiles();
    void unusableDataFolderIsReported();

private:
    QString storage() const { return dir.filePath(QStringLiteral("data/ezx-phone")); }
    QTemporaryDir dir;
    QByteArray savedHome;
};

void TestPhoneStorage::initTestCase()
{
    QVERIFY(!QFileInfo::exists(QStringLiteral("/ezx_user")));
    savedHome = qgetenv("HOME");
}

void TestPhoneStorage::init()
{
    for (const char *var : {"EZX_ROOT", "LC_ALL", "LC_MESSAGES", "LANG"})
        qunsetenv(var);
    qputenv("HOME", savedHome);
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
}

void TestPhoneStorage::cleanupTestCase()
{
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", savedHome);
}

void TestPhoneStorage::pathsMoveToTheDataFolder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("moves");
    QTest::newRow("system_configuration") << QString("/ezx_user/download/appwrite/setup/ezx_system.cfg") << true;
    QTest::newRow("ezx_user_itself") << "/ezx_user" << true;
    QTest::newRow("card_temporary_folder") << "/mmc/mmca1/.tartmp" << true;
    QTest::newRow("data_resource") << "/usr/data_resource/pics" << true;
    QTest::newRow("framebuffer") << "/dev/fb0" << false;
    QTest::newRow("proc") << "/proc/1/stat" << false;
    QTest::newRow("pid_file") << "/var/run/ambid.pid" << false;
    QTest::newRow("other_card_slot") << "/mmc/mmca2/x" << false;
    QTest::newRow("name_sharing_a_prefix") << "/ezx_users/x" << false;
    QTest::newRow("relative") << "ezx_user/x" << false;
}

void TestPhoneStorage::pathsMoveToTheDataFolder()
{
    QFETCH(QString, path);
    QFETCH(bool, moves);
    QCOMPARE(phonePath(path), moves ? storage() + path : path);

    // EZX_ROOT overrides the data folder for every path; "/" means the real paths.
    qputenv("EZX_ROOT", "/tmp/phone");
    QCOMPARE(phonePath(path), path.startsWith('/') ? "/tmp/phone" + path : "/tmp/phone/" + path);
    qputenv("EZX_ROOT", "/");
    QCOMPARE(phonePath(path), path);
}

void TestPhoneStorage::dataFolderChoice_data()
{
    QTest::addColumn<QByteArray>("dataHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QString>("root");
    QTest::newRow("data_home") << QByteArray("/d/") << QByteArray("/h") << "/d/ezx-phone";
    QTest::newRow("home_default") << QByteArray() << QByteArray("/h/") << "/h/.local/share/ezx-phone";
    QTest::newRow("relative_data_home_ignored")
        << QByteArray("d") << QByteArray("/h") << "/h/.local/share/ezx-phone";
    QTest::newRow("data_home_is_root") << QByteArray("/") << QByteArray("/h") << "/ezx-phone";
}

void TestPhoneStorage::dataFolderChoice()
{
    QFETCH(QByteArray, dataHome);
    QFETCH(QByteArray, home);
    QFETCH(QString, root);
    if (dataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHome);
    qputenv("HOME", home);
    QCOMPARE(QString::fromStdString(phoneStorageRoot()), root);
}

void TestPhoneStorage::languageFromLocale_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QString>("languageType");
    const QByteArray unset;
    const auto row = [&](const char *name, const QByteArray &lang, const char *languageType) {
        QTest::newRow(name) << unset << unset << lang << QString(languageType);
    };
    row("russian", "ru_RU.UTF-8", "ru");
    row("ukrainian_russian", "ru_UA", "ru");
    row("american", "en_US.UTF-8", "en-us");
    row("british", "en_GB.UTF-8", "en-us");
    row("bare_language", "EN", "en-us");
    row("chinese", "zh_CN.UTF-8", "zh-cn");
    row("traditional_chinese", "zh_TW.Big5", "zh-cn");
    row("bare_chinese", "zh", "zh-cn");
    // Every other language reads English rather than Chinese.
    row("german", "de_DE.UTF-8", "en-us");
    row("ukrainian", "uk_UA.UTF-8", "en-us");
    row("japanese", "ja_JP.UTF-8", "en-us");
    row("not_a_prefix", "rue_UA", "en-us");
    row("not_chinese", "zha", "en-us");
    row("c_locale", "C.UTF-8", "en-us");
    row("plain_c", "C", "en-us");
    row("posix", "POSIX", "en-us");
    row("nothing_set", unset, "en-us");
    QTest::newRow("messages_over_lang") << unset << QByteArray("ru_RU") << QByteArray("en_US") << "ru";
    QTest::newRow("lc_all_over_all") << QByteArray("en_US") << QByteArray("ru_RU") << QByteArray("zh_CN")
                                     << "en-us";
    QTest::newRow("empty_lc_all_skipped") << QByteArray("") << unset << QByteArray("ru_RU") << "ru";
}

void TestPhoneStorage::languageFromLocale()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(QString, languageType);
    if (!lcAll.isNull())
        qputenv("LC_ALL", lcAll);
    if (!lcMessages.isNull())
        qputenv("LC_MESSAGES", lcMessages);
    if (!lang.isNull())
        qputenv("LANG", lang);
    QCOMPARE(QString::fromStdString(languageTypeForLocale(messagesLocale())), languageType);
}

void TestPhoneStorage::firstStartLaysOutANewPhone()
{
    qputenv("LANG", "ru_RU.UTF-8");
    QVERIFY(preparePhoneStorage());
    for (const char *folder : {"/mmc/mmca1", "/usr/data_resource", "/ezx_user/download/appwrite/setup"})
        QVERIFY2(QFileInfo(storage() + folder).isDir(), folder);
    const QString config = phonePath(QString::fromLatin1(PHONE_SYSTEM_CONFIG));
    QCOMPARE(config, storage() + "/ezx_user/download/appwrite/setup/ezx_system.cfg");
    QCOMPARE(ZConfig(config).readEntry("SYS_SYSTEM_SET", "LanguageType"), QStringLiteral("ru"));
    QCOMPARE(QFileInfo(config).permissions() & QFile::ReadOther, QFile::ReadOther);
    // Nothing but the configuration itself is left in its folder.
    QCOMPARE(QDir(QFileInfo(config).path()).entryList(QDir::Files), QStringList{"ezx_system.cfg"});
}

void TestPhoneStorage::laterStartsKeepTheUsersFiles()
{
    const QString config = storage() + PHONE_SYSTEM_CONFIG;
    QVERIFY(preparePhoneStorageIn(storage().toStdString(), "en-us"));
    {
        ZConfig edited(config);
        edited.writeEntry("SYS_SYSTEM_SET", "LanguageType", "zh-cn");
        edited.writeEntry("SYS_SYSTEM_SET", "Brightness", 70);
    }
    QFile card(storage() + "/mmc/mmca1/photo.jpg");
    QVERIFY(card.open(QIODevice::WriteOnly));
    card.close();

    qputenv("LANG", "ru_RU.UTF-8");
    QVERIFY(preparePhoneStorage());
    const ZConfig again(config);
    QCOMPARE(again.readEntry("SYS_SYSTEM_SET", "LanguageType"), QStringLiteral("zh-cn"));
    QCOMPARE(again.readNumEntry("SYS_SYSTEM_SET", "Brightness"), 70);
    QVERIFY(card.exists());
}

void TestPhoneStorage::unusableDataFolderIsReported()
{
    // A file where the data folder should be: no tree, and a false answer rather than a crash.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName()));
    QVERIFY(!preparePhoneStorage());

    // With EZX_ROOT set there is nothing to prepare here: the tree is the caller's.
    qputenv("EZX_ROOT", QFile::encodeName(dir.filePath(QStringLiteral("root"))));
    QVERIFY(preparePhoneStorage());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("root"))));
}

QTEST_GUILESS_MAIN(TestPhoneStorage)
#include "tst_phonestorage.moc"
