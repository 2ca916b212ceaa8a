// SPDX-License-Identifier: GPL-2.0-or-later
#include "setupsetmanager.h"
#include "zconfig.h"

#include "phonetree.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

class TestZConfig : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void presentEmptyIsNotAbsent();
    void handWrittenSyntax();
    void groupsAndKeysKeepFileOrder();
    void garbageIsSkippedAndKept();
    void fileGoesBackAsRead();
    void unreadableFileIsNeverOverwritten();
    void saveIsAtomic();
    void settingsManagerReadsSystemFile();
};

void TestZConfig::roundTrip_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "zh-cn"
                           << "Win_Caption1"
                           << "Kest";
    QTest::newRow("empty_value") << "g"
                                 << "k"
                                 << "";
    QTest::newRow("blanks_around") << "g"
                                   << "k"
                                   << "  two  blanks  ";
    QTest::newRow("tab_edge") << "g"
                              << "k"
                              << "\tx\t";
    QTest::newRow("equals_signs") << "g"
                                  << "a=b"
                                  << "c = d == e";
    QTest::newRow("brackets_and_hash") << "g"
                                       << "[k]"
                                       << "[not a group] # not a comment";
    QTest::newRow("comment_like_key") << "g"
                                      << "#k"
                                      << ";v";
    QTest::newRow("line_breaks") << "g"
                                 << "k"
                                 << "line 1\nline 2\r\nline 3\n";
    QTest::newRow("quotes_and_backslashes") << "g"
                                            << "k"
                                            << "\"quoted\" \\n not a break \\";
    QTest::newRow("leading_quote") << "g"
                                   << "k"
                                   << "\"";
    QTest::newRow("control_chars") << "g"
                                   << "k" << QString::fromUtf8("a\x01b\x7f");
    QTest::newRow("chinese") << "zh-cn"
                             << "AppName" << QString::fromUtf8("Kest　");
    QTest::newRow("chinese_sentence") << "zh-cn"
                                      << "Msg" << QString::fromUtf8("您的操作将进行解压，是否继续？");
    QTest::newRow("russian") << QString::fromUtf8("ру") << QString::fromUtf8("ключ")
                             << QString::fromUtf8("Чувствительность: %d");
    QTest::newRow("odd_group") << "a]b [c"
                               << "k"
                               << "v";
    QTest::newRow("blank_group") << " g "
                                 << " k "
                                 << "v";
    QTest::newRow("empty_key") << "g"
                               << ""
                               << "v";
}

void TestZConfig::roundTrip()
{
    QFETCH(QString, group);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.cfg");
    {
        ZConfig config(path);
        config.writeEntry(QStringLiteral("before"), QStringLiteral("x"), QStringLiteral("1"));
        config.writeEntry(group, key, value);
        config.writeEntry(QStringLiteral("after"), QStringLiteral("y"), QStringLiteral("2"));
    }
    ZConfig config(path);
    QCOMPARE(config.readEntry(group, key, QStringLiteral("absent")), value);
    QCOMPARE(config.readEntry(QStringLiteral("before"), QStringLiteral("x")), QStringLiteral("1"));
    QCOMPARE(config.readEntry(QStringLiteral("after"), QStringLiteral("y")), QStringLiteral("2"));
    QStringList groups;
    QVERIFY(config.getGroupsKeyList(groups));
    QCOMPARE(groups, QStringList({QStringLiteral("before"), group, QStringLiteral("after")}));
}

void TestZConfig::presentEmptyIsNotAbsent()
{
    ZConfig config(QString{});
    config.parse("[g]\nempty =\nblank =    \n");
    QVERIFY(!config.readEntry("g", "empty").isNull());
    QVERIFY(config.readEntry("g", "empty").isEmpty());
    QVERIFY(!config.readEntry("g", "blank").isNull());
    QVERIFY(config.readEntry("g", "absent").isNull());
    QCOMPARE(config.readEntry("g", "absent", "dflt"), QStringLiteral("dflt"));
    QVERIFY(config.hasEntry("g", "empty"));
    QVERIFY(!config.hasEntry("g", "absent"));
}

void TestZConfig::handWrittenSyntax()
{
    ZConfig config(QString{});
    config.parse("\xEF\xBB\xBF# made by hand\r\n[SYS_SYSTEM_SET]\r\nLanguageType=en-us\r\n"
                 "  Brightness   =  70  \r\n; another comment\r\nquoted = \"  padded  \"\r\n"
                 "half = \"open\r\n[ spaced group ]\r\nk=v=w\r\n");
    QCOMPARE(config.readEntry("SYS_SYSTEM_SET", "LanguageType"), QStringLiteral("en-us"));
    QCOMPARE(config.readNumEntry("SYS_SYSTEM_SET", "Brightness", 25), 70);
    QCOMPARE(config.readEntry("SYS_SYSTEM_SET", "quoted"), QStringLiteral("  padded  "));
    // An unterminated quote is taken as it stands.
    QCOMPARE(config.readEntry("SYS_SYSTEM_SET", "half"), QStringLiteral("\"open"));
    QCOMPARE(config.readEntry("spaced group", "k"), QStringLiteral("v=w"));
    QCOMPARE(config.readNumEntry("spaced group", "k", -7), -7);
}

void TestZConfig::groupsAndKeysKeepFileOrder()
{
    ZConfig config(QString{});
    config.parse("[B]\nz=1\na=2\n[A]\nk=1\n[B]\nm=3\n[C]\n");
    QStringList groups;
    config.getGroupsKeyList(groups);
    QCOMPARE(groups, QStringList({"B", "A", "C"}));
    QCOMPARE(config.getKeyList("B"), QStringList({"z", "a", "m"}));
    // A new key joins the first group of that name, after its last entry.
    config.writeEntry("B", "new", "4");
    QVERIFY(config.serialize().startsWith("[B]\nz=1\na=2\nnew = 4\n[A]"));
}

void TestZConfig::garbageIsSkippedAndKept()
{
    const QByteArray text = "orphan = before any group\n[g]\nno equals sign here\n[broken\n"
                            "\x01\xff\xfe binary\nk = v\n# note\n";
    ZConfig config(QString{});
    config.parse(text);
    QCOMPARE(config.readEntry("g", "k"), QStringLiteral("v"));
    QStringList groups;
    config.getGroupsKeyList(groups);
    QCOMPARE(groups, QStringList({"g"}));
    QCOMPARE(config.getKeyList("g"), QStringList({"k"}));
    // Untouched, the text goes back out as it came in, comments and garbage included.
    QCOMPARE(config.serialize(), text);
    config.writeEntry("g", "k", "changed");
    QVERIFY(config.serialize().contains("no equals sign here\n"));
    QVERIFY(config.serialize().contains("# note\n"));
}

void TestZConfig::fileGoesBackAsRead()
{
    // Found by fuzzing: a value ending in a stray "\r" before the CRLF lost it on the first
    // save of another entry, and "\r\r\n" garbage lost one "\r" per save.
    const QByteArray text = "[g]\r\nk = v\r\r\nstray\r\r\r\nother = 1\r\n";
    ZConfig config(QString{});
    config.parse(text);
    QCOMPARE(config.serialize(), text);
    const QString before = config.readEntry("g", "k");
    config.writeEntry("g", "other", "2");
    ZConfig reread(QString{});
    reread.parse(config.serialize());
    QCOMPARE(reread.readEntry("g", "k"), before);
    QVERIFY(reread.serialize().contains("stray\r\r\r\n"));

    // A doubled byte-order mark hides the group behind it; a save must not strip one and
    // turn the orphan below into an entry.
    const QByteArray marked = "\xEF\xBB\xBF\xEF\xBB\xBF[g]\nk = v\n";
    ZConfig twice(QString{});
    twice.parse(marked);
    QCOMPARE(twice.serialize(), marked);
}

void TestZConfig::unreadableFileIsNeverOverwritten()
{
    QTemporaryDir dir;
    // A folder where the file should be.
    QVERIFY(QDir(dir.path()).mkdir("folder.cfg"));
    {
        ZConfig config(dir.filePath("folder.cfg"));
        config.writeEntry("g", "k", "v");
        QVERIFY(!config.flush());
    }
    QVERIFY(QFileInfo(dir.filePath("folder.cfg")).isDir());

    // A file we may not read (root reads everything, so only when not root).
    if (geteuid() != 0) {
        const QString locked = dir.filePath("locked.cfg");
        QFile f(locked);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[g]\nk = secret\n");
        f.close();
        chmod(locked.toLocal8Bit(), 0200);
        {
            ZConfig config(locked);
            QVERIFY(config.readEntry("g", "k").isNull());
            config.writeEntry("g", "other", "x");
        }
        chmod(locked.toLocal8Bit(), 0600);
        QFile back(locked);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), QByteArray("[g]\nk = secret\n"));
    }
}

void TestZConfig::saveIsAtomic()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.cfg");
    {
        ZConfig config(path);
        config.writeEntry("g", "k", "old");
    }
    // A folder we cannot create files in: the temporary file cannot be made, so the save
    // fails and the old file stays whole.
    chmod(dir.path().toLocal8Bit(), 0500);
    bool saved;
    {
        ZConfig config(path);
        config.writeEntry("g", "k", "new");
        saved = config.flush();
    }
    chmod(dir.path().toLocal8Bit(), 0700);
    ZConfig after(path);
    if (geteuid() != 0) {
        QVERIFY(!saved);
        QCOMPARE(after.readEntry("g", "k"), QStringLiteral("old"));
    } else {
        QCOMPARE(after.readEntry("g", "k"), QString::fromLatin1(saved ? "new" : "old"));
    }
    // No temporary files are left behind either way.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"s.cfg"}));
}

void TestZConfig::settingsManagerReadsSystemFile()
{
    PhoneTree phone;
    SETUP_SET_Manager manager(AM_Global::Apps(77), false);
    unsigned int value = 0;
    QCOMPARE(manager.getSettingInfo("SYS_SYSTEM_SET", "Brightness", value, 25), 0);
    QCOMPARE(value, 25u);
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                "[SYS_SYSTEM_SET]\nBrightness = 80\nLanguageType = ru\nBad = x\n");
    QCOMPARE(manager.getSettingInfo("SYS_SYSTEM_SET", "Brightness", value, 25), 1);
    QCOMPARE(value, 80u);
    QCOMPARE(manager.getSettingInfo("SYS_SYSTEM_SET", "Bad", value, 25), 0);
    QCOMPARE(value, 25u);
}

QTEST_GUILESS_MAIN(TestZConfig)
#include "tst_zconfig.moc"
