// SPDX-License-Identifier: GPL-2.0-or-later
// The archive engine with the real tools of this machine: tar, gzip, bzip2, zip, unzip and
// the unrar of Debian's unrar-free (which creates no folders of its own: the engine's default
// folder must exist before it runs).
#include "archivetree.h"
#include "decompressiontool.h"
#include "rarwriter.h"
#include "workingdir.h"

#include "phonetree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Builds ARCHIVE (its type from the row) holding sampleTree(), made in source.
bool makeArchive(const QString &type, const QString &archive, const QString &source)
{
    const QStringList members{"top.txt", "docs"};
    if (type == "tar.gz" || type == "gz")
        return runTool("tar", QStringList{"czf", archive} + members, source);
    if (type == "tar")
        return runTool("tar", QStringList{"cf", archive} + members, source);
    if (type == "bz2" || type == "bz")
        return runTool("tar", QStringList{"cjf", archive} + members, source);
    if (type == "zip")
        return runTool("zip", QStringList{"-qr", archive} + members, source);
    QList<RarEntry> entries;
    const Tree tree = sampleTree();
    for (auto it = tree.begin(); it != tree.end(); ++it)
        entries << RarEntry{it.key().toLatin1(), it.value() == folderMark ? QByteArray() : it.value(),
                            it.value() == folderMark};
    QFile file(archive);
    return file.open(QIODevice::WriteOnly) && file.write(rar4Archive(entries)) > 0;
}

// Root may write into read-only folders; an unprivileged child process may not. Runs work as
// "nobody" when the test runs as root and gives back its result.
int withoutPrivileges(const std::function<int()> &work)
{
    if (geteuid() != 0)
        return work();
    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(100);
        _exit(work() & 0xFF);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 100;
    return static_cast<signed char>(WEXITSTATUS(status));
}

}  // namespace

class TestDecompressionToolWithTools : public QObject
{
    Q_OBJECT
private slots:
    void init() { work.reset(new QTemporaryDir); }
    void extractEveryType_data();
    void extractEveryType();
    void unzipTakesWildcardNamesLiterally_data();
    void unzipTakesWildcardNamesLiterally();
    void zipOverwritesWithoutAsking();
    void packAndUnpack();
    void damagedArchivesFail_data();
    void damagedArchivesFail();
    void readOnlyPlacesFail();

private:
    QString workDir() const { return work->path(); }

    std::unique_ptr<QTemporaryDir> work;
};

void TestDecompressionToolWithTools::extractEveryType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");  // without the type
    for (const char *type : {"tar.gz", "gz", "tar", "bz2", "bz", "zip", "rar"}) {
        QTest::addRow("%s", type) << type << "music";
        QTest::addRow("%s_hostile_name", type) << type << QString::fromUtf8("it's [1] $x `y` 音乐");
    }
}

void TestDecompressionToolWithTools::extractEveryType()
{
    QFETCH(QString, type);
    QFETCH(QString, name);
    const QString source = workDir() + "/source";
    writeTree(source, sampleTree());
    const QString card = workDir() + "/" + name;  // a hostile folder too
    QDir().mkpath(card);
    const QString archive = card + "/" + name + "." + type;
    QVERIFY(makeArchive(type, archive, source));

    DecompressionTool engine(archive, QString());
    QVERIFY(engine.setDecomPath(engine.getDefaultDecomPath()));
    QCOMPARE(engine.decompressionFile(), 1);
    QCOMPARE(readTree(card + "/" + name), sampleTree());
}

void TestDecompressionToolWithTools::unzipTakesWildcardNamesLiterally_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("decoys");
    QTest::newRow("brackets_and_question_mark") << "a[1]?" << QStringList{"a1x", "a[1]?x"};
    QTest::newRow("star") << "a*" << QStringList{"ab", "a"};
    QTest::newRow("backslash_and_star") << "b\\*" << QStringList{"b\\x", "bx"};
}

// unzip matches "*", "?" and "[...]" in its archive argument against the folder: the engine
// must still extract exactly the chosen archive, not a look-alike next to it.
void TestDecompressionToolWithTools::unzipTakesWildcardNamesLiterally()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, decoys);
    const QString folder = workDir() + "/d[1]*";  // taken as it is
    writeFile(folder + "/src/chosen.txt", "chosen");
    writeFile(folder + "/src/decoy.txt", "decoy");
    QVERIFY(runTool("zip", {"-q", "../" + chosen + ".zip", "chosen.txt"}, folder + "/src"));
    for (const QString &decoy : decoys)
        QVERIFY(runTool("zip", {"-q", "../" + decoy + ".zip", "decoy.txt"}, folder + "/src"));

    DecompressionTool engine(folder + "/" + chosen + ".zip", QString());
    QVERIFY(engine.setDecomPath(engine.getDefaultDecomPath()));
    QCOMPARE(engine.decompressionFile(), 1);
    QCOMPARE(readTree(folder + "/" + chosen), (Tree{{"chosen.txt", "chosen"}}));
}

void TestDecompressionToolWithTools::zipOverwritesWithoutAsking()
{
    const QString source = workDir() + "/source";
    writeTree(source, sampleTree());
    QVERIFY(makeArchive("zip", workDir() + "/a.zip", source));
    writeFile(workDir() + "/a/top.txt", "stale");
    DecompressionTool engine(workDir() + "/a.zip", workDir() + "/a");
    QCOMPARE(engine.decompressionFile(), 1);
    QCOMPARE(readTree(workDir() + "/a"), sampleTree());
}

// Files, a folder and hidden entries go in under their own names and come out as they were.
void TestDecompressionToolWithTools::packAndUnpack()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    WorkingDir keep(workDir());
    const QString chosen = workDir() + "/chosen";
    const Tree items{{"notes.txt", "notes\n"},
                     {".config", "hidden file\n"},
                     {"photos", folderMark},
                     {"photos/b.jpg", "jpeg"},
                     {"photos/.thumbs", folderMark},
                     {"photos/.thumbs/b.jpg", "small"},
                     {QString::fromUtf8("it's $x 音.txt"), "odd name\n"}};
    writeTree(chosen, items);
    writeFile(chosen + "/not-chosen.txt", "stays out");
    const QString save = workDir() + "/save here";
    QDir().mkpath(save);

    DecompressionTool packer("Default.tar.gz", save);
    QCOMPARE(packer.compressFile({chosen + "/notes.txt", chosen + "/photos", chosen + "/.config",
                                  chosen + QString::fromUtf8("/it's $x 音.txt")},
                                 "Default.tar.gz", save, 1),
             1);
    QVERIFY(!QFileInfo::exists(phone.path("/mmc/mmca1/.tartmp")));
    QCOMPARE(QDir::currentPath(), QStringLiteral("/"));

    DecompressionTool unpacker(save + "/Default.tar.gz", QString());
    QVERIFY(unpacker.setDecomPath(unpacker.getDefaultDecomPath()));
    QCOMPARE(unpacker.decompressionFile(), 1);
    QCOMPARE(readTree(save + "/Default"), items);
}

void TestDecompressionToolWithTools::damagedArchivesFail_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("cut");  // bytes kept of a good archive; -1: not an archive at all
    QTest::newRow("tar.gz_truncated") << "tar.gz" << 200;
    QTest::newRow("tar.gz_garbage") << "tar.gz" << -1;
    QTest::newRow("tar_garbage") << "tar" << -1;
    QTest::newRow("bz2_truncated") << "bz2" << 200;
    QTest::newRow("zip_truncated") << "zip" << 200;
    QTest::newRow("zip_garbage") << "zip" << -1;
}

void TestDecompressionToolWithTools::damagedArchivesFail()
{
    QFETCH(QString, type);
    QFETCH(int, cut);
    const QString source = workDir() + "/source";
    writeTree(source, sampleTree());
    const QString archive = workDir() + "/bad." + type;
    QVERIFY(makeArchive(type, archive, source));
    QFile file(archive);
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (cut < 0) {
        file.resize(0);
        file.write(QByteArray(3000, 'x'));
    } else {
        file.resize(cut);
    }
    file.close();
    DecompressionTool engine(archive, workDir());
    QCOMPARE(engine.decompressionFile(), -5);
}

void TestDecompressionToolWithTools::readOnlyPlacesFail()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    WorkingDir keep(workDir());
    const QString source = workDir() + "/source";
    writeTree(source, sampleTree());
    const QString locked = workDir() + "/locked";
    QDir().mkpath(locked + "/target");
    QVERIFY(makeArchive("tar.gz", locked + "/a.tar.gz", source));
    // Everything readable by the unprivileged child; "locked" and what is in it not writable.
    for (const QString &path :
         {workDir(), source, phone.root(), phone.path("/mmc"), phone.path("/mmc/mmca1")})
        QFile::setPermissions(path, QFileDevice::Permissions(0x7777));
    QFile::setPermissions(locked + "/target", QFileDevice::Permissions(0x5555));
    QFile::setPermissions(locked, QFileDevice::Permissions(0x5555));

    // An existing folder the tool cannot write into.
    QCOMPARE(withoutPrivileges([&] {
                 DecompressionTool engine(locked + "/a.tar.gz", locked + "/target");
                 return engine.decompressionFile();
             }),
             -5);
    // The default folder, which cannot be made.
    QCOMPARE(withoutPrivileges([&] {
                 DecompressionTool engine(locked + "/a.tar.gz", locked + "/a");
                 return engine.decompressionFile();
             }),
             -1);
    // An archive into a folder that does not take it; the temporary folder still goes.
    QCOMPARE(withoutPrivileges([&] {
                 return DecompressionTool(QString(), QString())
                     .compressFile({source + "/top.txt"}, "a.tar.gz", locked, 1);
             }),
             -5);
    QVERIFY(!QFileInfo::exists(phone.path("/mmc/mmca1/.tartmp")));
    // A card where the temporary folder cannot be made.
    QFile::setPermissions(phone.path("/mmc/mmca1"), QFileDevice::Permissions(0x5555));
    QCOMPARE(withoutPrivileges([&] {
                 return DecompressionTool(QString(), QString())
                     .compressFile({source + "/top.txt"}, "a.tar.gz", workDir(), 1);
             }),
             -3);
    QFile::setPermissions(locked, QFileDevice::Permissions(0x7777));
    QFile::setPermissions(phone.path("/mmc/mmca1"), QFileDevice::Permissions(0x7777));
}

QTEST_GUILESS_MAIN(TestDecompressionToolWithTools)
#include "tst_decompressiontool_tools.moc"
