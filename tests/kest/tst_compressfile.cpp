// SPDX-License-Identifier: GPL-2.0-or-later
// Packing chosen items into a .tar.gz through the memory card's temporary folder, seen by
// stand-in tools that record their arguments (tests/kest/fake-tools/faketool.sh).
#include "archivetree.h"
#include "decompressiontool.h"
#include "faketools.h"
#include "workingdir.h"

#include "phonetree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Command = FakeTools::Command;

const QString tempDirPhonePath = QString::fromLatin1(kestTempFolder);

}  // namespace

class TestCompressFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { work.reset(new QTemporaryDir); }
    void compressionLines();
    void compressionRefusesBeforeRunning();
    void compressionStartsFromEmptyTempFolder();
    void compressionFailuresCleanUp_data();
    void compressionFailuresCleanUp();
    void compressionWithoutTempFolder();
    void compressionIntoRelativeFolder();
    void failedTarLeavesNoHalfArchive();

private:
    QString workDir() const { return work->path(); }

    std::unique_ptr<QTemporaryDir> work;
};

void TestCompressFile::compressionLines()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    FakeTools tools;
    const QString temp = phone.path(tempDirPhonePath);
    QDir(workDir()).mkpath("photos/2009");
    writeFile(workDir() + "/song.mp3", "la");
    writeFile(workDir() + "/.profile", "p");
    writeFile(workDir() + "/Zebra.txt", "z");
    WorkingDir here(workDir());

    const QStringList items{workDir() + "/song.mp3", workDir() + "/photos", workDir() + "/.profile",
                            workDir() + "/Zebra.txt"};
    QCOMPARE(
        DecompressionTool("Default.tar.gz", workDir()).compressFile(items, "Default.tar.gz", workDir(), 1),
        1);
    const QList<Command> expected{
        {"mkdir", temp},
        {"chmod", "777", temp},
        {"cp", "-f", workDir() + "/song.mp3", temp},
        {"cp", "-rf", workDir() + "/photos", temp},
        {"cp", "-f", workDir() + "/.profile", temp},
        {"cp", "-f", workDir() + "/Zebra.txt", temp},
        // Every entry, hidden ones too, in name order ignoring case.
        {"tar", "zcf", workDir() + "/Default.tar.gz", ".profile", "photos", "song.mp3", "Zebra.txt"},
        {"rm", "-rf", temp},
    };
    QCOMPARE(tools.commands(), expected);
    QCOMPARE(tools.inputs(), QStringList(expected.size(), "/dev/null"));
    QVERIFY(!QFileInfo::exists(temp));
    QCOMPARE(QDir::currentPath(), QStringLiteral("/"));
}

void TestCompressFile::compressionRefusesBeforeRunning()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    FakeTools tools;
    writeFile(workDir() + "/a.txt", "");
    QDir(workDir()).mkpath("one/song.mp3");
    QDir(workDir()).mkpath("two");
    writeFile(workDir() + "/two/song.mp3", "");
    DecompressionTool engine{QString(), QString()};
    const QStringList items{workDir() + "/a.txt"};

    QCOMPARE(engine.compressFile(items, QString(), workDir(), 1), -1);
    QCOMPARE(engine.compressFile(items, "a.tar.gz", QString(), 1), -1);
    QCOMPARE(engine.compressFile({}, "a.tar.gz", workDir(), 1), -2);
    QCOMPARE(engine.compressFile({}, "a.tar.gz", workDir(), 0), -2);
    // Two items that would overwrite each other in the temporary folder.
    QCOMPARE(
        engine.compressFile({workDir() + "/one/song.mp3", workDir() + "/a.txt", workDir() + "/two/song.mp3"},
                            "a.tar.gz", workDir(), 1),
        -7);
    QCOMPARE(engine.compressFile({workDir() + "/one/song.mp3/", workDir() + "/two/song.mp3"}, "a.tar.gz",
                                 workDir(), 1),
             -7);
    QCOMPARE(tools.commands(), QList<Command>{});
    QVERIFY(!QFileInfo::exists(phone.path(tempDirPhonePath)));

    // The same item chosen twice is one item.
    QCOMPARE(engine.compressFile({workDir() + "/a.txt", workDir() + "//a.txt"}, "a.tar.gz", workDir(), 1), 1);
    QCOMPARE(tools.commands().count(Command{"cp", "-f", workDir() + "/a.txt", phone.path(tempDirPhonePath)}),
             1);
}

void TestCompressFile::compressionStartsFromEmptyTempFolder()
{
    PhoneTree phone;
    FakeTools tools;
    const QString temp = phone.path(tempDirPhonePath);
    phone.write(tempDirPhonePath + "/left-over.txt", "old");
    phone.write(tempDirPhonePath + "/.left-over", "old");
    writeFile(workDir() + "/new.txt", "");
    QCOMPARE(DecompressionTool(QString(), QString())
                 .compressFile({workDir() + "/new.txt"}, "a.tar.gz", workDir(), 1),
             1);
    const QList<Command> commands = tools.commands();
    QCOMPARE(commands.first(), (Command{"rm", "-rf", temp}));
    QVERIFY(commands.contains(Command{"tar", "zcf", workDir() + "/a.tar.gz", "new.txt"}));
}

void TestCompressFile::compressionFailuresCleanUp_data()
{
    QTest::addColumn<QByteArray>("tool");
    QTest::addColumn<QByteArray>("exit");
    QTest::addColumn<bool>("missingItem");
    QTest::addColumn<int>("result");
    QTest::newRow("item_missing") << QByteArray() << QByteArray() << true << -6;
    QTest::newRow("cp_fails") << QByteArray("cp") << QByteArray("1") << false << -6;
    QTest::newRow("cp_not_found") << QByteArray("cp") << QByteArray("127") << false << -4;
    QTest::newRow("tar_fatal") << QByteArray("tar") << QByteArray("2") << false << -5;
    QTest::newRow("tar_killed") << QByteArray("tar") << QByteArray("kill") << false << -5;
    QTest::newRow("tar_warning") << QByteArray("tar") << QByteArray("1") << false << 1;
}

// Whatever failed, the temporary folder goes and "/" is the working directory; after a
// failed copy nothing is packed.
void TestCompressFile::compressionFailuresCleanUp()
{
    QFETCH(QByteArray, tool);
    QFETCH(QByteArray, exit);
    QFETCH(bool, missingItem);
    QFETCH(int, result);
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    FakeTools tools;
    if (tool == "cp")
        tools.recordOnly("mkdir chmod rm");
    if (!tool.isEmpty())
        tools.exitWith(tool, exit);
    writeFile(workDir() + "/a.txt", "");
    QStringList items{workDir() + "/a.txt"};
    if (missingItem)
        items << workDir() + "/gone.txt";
    QCOMPARE(DecompressionTool(QString(), QString()).compressFile(items, "a.tar.gz", workDir(), 1), result);
    const QList<Command> commands = tools.commands();
    QCOMPARE(commands.last(), (Command{"rm", "-rf", phone.path(tempDirPhonePath)}));
    QCOMPARE(
        std::count_if(commands.begin(), commands.end(), [](const Command &c) { return c.first() == "tar"; }),
        tool == "tar" ? 1 : 0);
    QVERIFY(!QFileInfo::exists(phone.path(tempDirPhonePath)));
    QCOMPARE(QDir::currentPath(), QStringLiteral("/"));
}

void TestCompressFile::compressionWithoutTempFolder()
{
    PhoneTree phone;  // no memory card: /mmc/mmca1 is missing
    FakeTools tools;
    writeFile(workDir() + "/a.txt", "");
    QCOMPARE(DecompressionTool(QString(), QString())
                 .compressFile({workDir() + "/a.txt"}, "a.tar.gz", workDir(), 1),
             -3);
    const QString temp = phone.path(tempDirPhonePath);
    QCOMPARE(tools.commands(), (QList<Command>{{"mkdir", temp}, {"chmod", "777", temp}}));

    // Packing in place, from the working directory: the items as given.
    tools.clear();
    WorkingDir here(workDir());
    QCOMPARE(DecompressionTool(QString(), QString())
                 .compressFile({"a.txt", "-x", workDir()}, "b.tar.gz", "out", 0),
             1);
    QCOMPARE(tools.commands(), (QList<Command>{{"tar", "zcf", "out/b.tar.gz", "a.txt", "./-x", workDir()}}));
    QCOMPARE(QDir::currentPath(), QFileInfo(workDir()).canonicalFilePath());
}

// tar runs inside the temporary folder; an archive path relative to where the program was
// must not end up in there and be removed with it.
void TestCompressFile::compressionIntoRelativeFolder()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    FakeTools tools;
    writeFile(workDir() + "/a.txt", "");
    WorkingDir here(workDir());
    const QString cwd = QDir::currentPath();
    QCOMPARE(DecompressionTool(QString(), QString()).compressFile({"a.txt"}, "a.tar.gz", "out", 1), 1);
    QVERIFY(tools.commands().contains(Command{"tar", "zcf", cwd + "/out/a.tar.gz", "a.txt"}));
}

// A tar that fails half-way leaves half an archive: under a name that was free it goes; an
// archive that was there before comes back as it was.
void TestCompressFile::failedTarLeavesNoHalfArchive()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    QTemporaryDir bin;
    writeFile(bin.filePath("tar"), "#!/bin/sh\nprintf half > \"$2\"\nexit 2\n");
    QFile::setPermissions(bin.filePath("tar"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + savedPath);
    writeFile(workDir() + "/a.txt", "a");
    DecompressionTool tool{QString(), QString()};
    const int fresh = tool.compressFile({workDir() + "/a.txt"}, "new.tar.gz", workDir(), 1);
    writeFile(workDir() + "/old.tar.gz", "old");
    const int replaced = tool.compressFile({workDir() + "/a.txt"}, "old.tar.gz", workDir(), 1);
    qputenv("PATH", savedPath);
    QCOMPARE(fresh, -5);
    QVERIFY(!QFileInfo::exists(workDir() + "/new.tar.gz"));
    QCOMPARE(replaced, -5);
    QFile old(workDir() + "/old.tar.gz");
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
}

QTEST_GUILESS_MAIN(TestCompressFile)
#include "tst_compressfile.moc"
