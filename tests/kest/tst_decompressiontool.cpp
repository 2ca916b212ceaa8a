// SPDX-License-Identifier: GPL-2.0-or-later
// The command lines of the archive engine, seen by stand-in tools that record their
// arguments (tests/kest/fake-tools/faketool.sh).
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

class TestDecompressionTool : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + "/tests/kest/fake-tools/faketool.sh")
                     .isExecutable(),
                 "EZX_TEST_SOURCE_DIR must name the source tree");
    }
    void init() { work.reset(new QTemporaryDir); }
    void extractionLines_data();
    void extractionLines();
    void namesByTheirEnding_data();
    void namesByTheirEnding();
    void defaultFolder_data();
    void defaultFolder();
    void nullAndEmptyStrings();
    void targetFolderRules();
    void toolEndings_data();
    void toolEndings();
    void missingToolOnPath();
    void hostilePathsArriveWhole_data();
    void hostilePathsArriveWhole();
    void relativePathsAreNoOptions_data();
    void relativePathsAreNoOptions();

private:
    QString workDir() const { return work->path(); }

    std::unique_ptr<QTemporaryDir> work;
};

void TestDecompressionTool::extractionLines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");  // ARCHIVE and TARGET stand for the paths
    QTest::newRow("tar.gz") << "music.tar.gz"
                            << "tar zxf ARCHIVE -C TARGET";
    QTest::newRow("gz") << "music.gz"
                        << "tar zxf ARCHIVE -C TARGET";
    QTest::newRow("tar") << "music.tar"
                         << "tar xf ARCHIVE -C TARGET";
    QTest::newRow("bz2") << "music.bz2"
                         << "tar jxf ARCHIVE -C TARGET";
    QTest::newRow("bz") << "music.bz"
                        << "tar jxf ARCHIVE -C TARGET";
    QTest::newRow("zip") << "music.zip"
                         << "unzip -o ARCHIVE -x -d TARGET";
    QTest::newRow("rar") << "music.rar"
                         << "unrar x -ad ARCHIVE TARGET";
}

void TestDecompressionTool::extractionLines()
{
    QFETCH(QString, name);
    QFETCH(QString, line);
    FakeTools tools;
    const QString archive = workDir() + "/" + name;
    writeFile(archive, "");
    const QString target = workDir() + "/music";

    // The default folder, made on the way.
    DecompressionTool tool(archive, QString());
    QCOMPARE(tool.getDefaultDecomPath(), target);
    QVERIFY(tool.setDecomPath(tool.getDefaultDecomPath()));
    QCOMPARE(tool.decompressionFile(), 1);
    QVERIFY(QFileInfo(target).isDir());
    QString expected = line;
    expected.replace("ARCHIVE", archive).replace("TARGET", target);
    QCOMPARE(tools.commands(), QList<Command>{expected.split(' ')});
    QCOMPARE(tools.inputs(), QStringList{"/dev/null"});

    // Any other existing folder, with the trailing "/" the user gave.
    tools.clear();
    const QString other = workDir() + "/other/";
    QDir().mkdir(other);
    QVERIFY(tool.setDecomPath(other));
    QCOMPARE(tool.decompressionFile(), 1);
    expected = line;
    expected.replace("ARCHIVE", archive).replace("TARGET", other);
    QCOMPARE(tools.commands(), QList<Command>{expected.split(' ')});
}

void TestDecompressionTool::namesByTheirEnding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");  // the default folder's name; empty: not opened
    QTest::addColumn<QString>("line");    // ARCHIVE, TARGET and SEVENZIP stand for the words
    // The phone's complete-suffix rule matches none of these: the ending decides, any case.
    QTest::newRow("versioned_zip") << "project-1.2.zip"
                                   << "project-1.2"
                                   << "unzip -o ARCHIVE -x -d TARGET";
    QTest::newRow("versioned_tar.gz") << "linux-6.1.tar.gz"
                                      << "linux-6.1"
                                      << "tar zxf ARCHIVE -C TARGET";
    QTest::newRow("versions_and_dashes") << "unrar-js-0.2.3.tar.gz"
                                         << "unrar-js-0.2.3"
                                         << "tar zxf ARCHIVE -C TARGET";
    QTest::newRow("upper_case_suffix") << "Music.TAR.GZ"
                                       << "Music"
                                       << "tar zxf ARCHIVE -C TARGET";
    QTest::newRow("upper_case_tar") << "photos.TAR"
                                    << "photos"
                                    << "tar xf ARCHIVE -C TARGET";
    QTest::newRow("upper_case_rar") << "SONGS.RAR"
                                    << "SONGS"
                                    << "unrar x -ad ARCHIVE TARGET";
    QTest::newRow("dot_in_base_name") << "x.y.tar.gz"
                                      << "x.y"
                                      << "tar zxf ARCHIVE -C TARGET";
    QTest::newRow("tar.bz2") << "a.tar.bz2"
                             << "a"
                             << "tar jxf ARCHIVE -C TARGET";
    QTest::newRow("tgz") << "a.tgz"
                         << "a"
                         << "tar zxf ARCHIVE -C TARGET";
    QTest::newRow("tbz2") << "a.TBZ2"
                          << "a"
                          << "tar jxf ARCHIVE -C TARGET";
    QTest::newRow("tar.xz") << "a-1.0.tar.xz"
                            << "a-1.0"
                            << "tar Jxf ARCHIVE -C TARGET";
    QTest::newRow("txz") << "a.txz"
                         << "a"
                         << "tar Jxf ARCHIVE -C TARGET";
    QTest::newRow("tar.zst") << "a.tar.zst"
                             << "a"
                             << "tar --zstd -xf ARCHIVE -C TARGET";
    QTest::newRow("tzst") << "a.tzst"
                          << "a"
                          << "tar --zstd -xf ARCHIVE -C TARGET";
    QTest::newRow("tar.lz") << "a.tar.lz"
                            << "a"
                            << "tar --lzip -xf ARCHIVE -C TARGET";
    QTest::newRow("7z") << "a.b.7z"
                        << "a.b"
                        << "7zz x -y -spd -oTARGET -- ARCHIVE";
    QTest::newRow("no_dot") << "archive"
                            << ""
                            << "";
    QTest::newRow("suffix_after_suffix") << "a.zip.bak"
                                         << ""
                                         << "";
    QTest::newRow("ending_inside_a_word") << "a.tarball"
                                          << ""
                                          << "";
}

// Names the phone's rule refused: their default folder is the name without its ending, and
// they are extracted with the line of their type. Names Kest does not open run nothing.
void TestDecompressionTool::namesByTheirEnding()
{
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QFETCH(QString, line);
    FakeTools tools;
    const QString archive = workDir() + "/" + name;
    writeFile(archive, "");
    DecompressionTool tool(archive, QString());
    if (folder.isEmpty()) {
        tool.setDecomPath(workDir());
        QCOMPARE(tool.decompressionFile(), -1);
        QCOMPARE(tool.failure().reason, DecompressionTool::Failure::NotAnArchive);
        QCOMPARE(tools.commands(true), QList<Command>{});
        QCOMPARE(QDir(workDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{name});
        return;
    }
    const QString target = workDir() + "/" + folder;
    QCOMPARE(tool.getDefaultDecomPath(), target);
    QVERIFY(tool.setDecomPath(tool.getDefaultDecomPath()));
    QCOMPARE(tool.decompressionFile(), 1);
    QString expected = line;
    expected.replace("ARCHIVE", archive).replace("TARGET", target);
    QCOMPARE(tools.commands(), QList<Command>{expected.split(' ')});
}

void TestDecompressionTool::defaultFolder_data()
{
    QTest::addColumn<QString>("archive");  // relative to the working directory
    QTest::addColumn<QString>("folder");
    QTest::newRow("in_folder") << "card/music.tar.gz"
                               << "card/music";
    // The name without its type ending; the phone cut every name at its first dot, which for
    // the names its rule opened is the same folder.
    QTest::newRow("ending_cut") << "card/a.b.zip"
                                << "card/a.b";
    QTest::newRow("unopened_name_cut_at_first_dot") << "card/a.b.c"
                                                    << "card/a";
    QTest::newRow("bare_name") << "a.rar"
                               << "./a";
    QTest::newRow("hidden_name") << "card/.x.tar.gz"
                                 << "card/.x";
    QTest::newRow("nothing_before_the_ending") << "card/.tar.gz"
                                               << "card/";
    QTest::newRow("dotted_folder") << "my.card/a.zip"
                                   << "my.card/a";
    QTest::newRow("kept_as_written") << "card/../card//a.zip"
                                     << "card/../card//a";
}

void TestDecompressionTool::defaultFolder()
{
    QFETCH(QString, archive);
    QFETCH(QString, folder);
    WorkingDir here(workDir());
    QDir().mkdir("card");
    QDir().mkdir("my.card");
    writeFile(archive, "");
    DecompressionTool tool(archive, QString());
    QCOMPARE(tool.getDefaultDecomPath(), folder);
    QFile::remove(archive);
    QVERIFY(tool.getDefaultDecomPath().isNull());  // gone since
}

void TestDecompressionTool::nullAndEmptyStrings()
{
    const QString archive = workDir() + "/a.zip";
    writeFile(archive, "");

    DecompressionTool unset{QString(), QString()};
    QVERIFY(unset.getDefaultDecomPath().isNull());
    QVERIFY(!unset.setFileName(QString()));
    QVERIFY(!unset.setFileName(""));
    QVERIFY(!unset.setFileName(workDir() + "/missing.zip"));
    QVERIFY(!unset.setDecomPath(QString()));
    // Without an archive there is no default folder to accept a missing one as.
    QVERIFY(!unset.setDecomPath(""));
    QVERIFY(!unset.setDecomPath(workDir() + "/a"));
    QCOMPARE(unset.decompressionFile(), -1);

    // The constructor takes a target unchecked, an empty one included; both then refuse.
    DecompressionTool emptyTarget(archive, "");
    QCOMPARE(emptyTarget.decompressionFile(), -1);
    DecompressionTool missingArchive(workDir() + "/missing.zip", workDir());
    QCOMPARE(missingArchive.decompressionFile(), -1);
    QVERIFY(missingArchive.setFileName(archive));
    QVERIFY(missingArchive.setFileName(workDir()));  // anything that exists
    QVERIFY(!missingArchive.setFileName(workDir() + "/missing.zip"));
}

void TestDecompressionTool::targetFolderRules()
{
    FakeTools tools;
    const QString archive = workDir() + "/a.tar";
    writeFile(archive, "");
    const QString kept = workDir() + "/kept";
    QDir().mkdir(kept);

    DecompressionTool tool(archive, kept);
    // A missing folder that is not the default is refused and the previous one stays.
    QVERIFY(!tool.setDecomPath(workDir() + "/gone"));
    QCOMPARE(tool.decompressionFile(), 1);
    QCOMPARE(tools.commands().value(0).value(4), kept);
    // One that vanished after being accepted is refused before anything runs.
    tools.clear();
    QDir().rmdir(kept);
    QCOMPARE(tool.decompressionFile(), -1);
    QCOMPARE(tools.commands(), QList<Command>{});
    QVERIFY(!QFileInfo::exists(kept));
    // The default folder cannot be made where a file of its name lies: refused, not left to a
    // tool that might report success without extracting anything.
    writeFile(workDir() + "/a", "");
    QVERIFY(tool.setDecomPath(workDir() + "/a"));
    QCOMPARE(tool.decompressionFile(), -1);
    QCOMPARE(tools.commands(), QList<Command>{});
}

void TestDecompressionTool::toolEndings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("tool");
    QTest::addColumn<QByteArray>("exit");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("ran");  // every tool run, listings included
    const QStringList tar{"tar"}, listedTar{"tar", "tar"}, zip{"unzip", "unzip"};
    const QStringList rar{"lsar", "unrar", "lsar"}, rarAgain{"lsar", "unrar", "unar"};
    QTest::newRow("tar_warning") << "a.tar.gz" << QByteArray("tar") << QByteArray("1") << 1 << tar;
    QTest::newRow("tar_fatal") << "a.tar.gz" << QByteArray("tar") << QByteArray("2") << -5 << tar;
    QTest::newRow("gz_fatal") << "a.gz" << QByteArray("tar") << QByteArray("2") << -5 << tar;
    QTest::newRow("tar_not_executable") << "a.bz2" << QByteArray("tar") << QByteArray("126") << -4 << tar;
    QTest::newRow("tar_killed") << "a.bz" << QByteArray("tar") << QByteArray("kill") << -5 << tar;
    // A plain tar is listed first: a listing that fails ends the job before anything is written.
    QTest::newRow("tar_listing_not_found")
        << "a.tar" << QByteArray("tar") << QByteArray("127") << -4 << QStringList{"tar"};
    QTest::newRow("tar_listing_fatal")
        << "a.tar" << QByteArray("tar") << QByteArray("2") << -5 << QStringList{"tar"};
    QTest::newRow("unzip_warning") << "a.zip" << QByteArray("unzip") << QByteArray("1") << 1 << zip;
    QTest::newRow("unzip_listing_error")
        << "a.zip" << QByteArray("unzip") << QByteArray("2") << -5 << QStringList{"unzip"};
    QTest::newRow("unzip_no_archive")
        << "a.zip" << QByteArray("unzip") << QByteArray("9") << -5 << QStringList{"unzip"};
    // unrar-free exits 1 for every failure; unar then has its go, and its result counts.
    QTest::newRow("unrar_ok") << "a.rar" << QByteArray("unrar") << QByteArray("0") << 1 << rar;
    QTest::newRow("unrar_fails_unar_succeeds")
        << "a.rar" << QByteArray("unrar") << QByteArray("1") << 1 << rarAgain;
    QTest::newRow("unrar_and_unar_fail")
        << "a.rar" << QByteArray("unar") << QByteArray("1") << -5 << rarAgain;
    QTest::newRow("rar_listing_fails")
        << "a.rar" << QByteArray("lsar") << QByteArray("1") << -5 << QStringList{"lsar"};
    QTest::newRow("7z_listing_fails")
        << "a.7z" << QByteArray("7zz") << QByteArray("1") << -5 << QStringList{"7zz"};
}

// The matched extractor's code is the result, and no other extractor runs anything.
void TestDecompressionTool::toolEndings()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, tool);
    QFETCH(QByteArray, exit);
    QFETCH(int, result);
    QFETCH(QStringList, ran);
    FakeTools tools;
    tools.exitWith(tool, exit);
    if (tool == "unar")
        tools.exitWith("unrar", "1");
    writeFile(workDir() + "/" + name, "");
    DecompressionTool engine(workDir() + "/" + name, workDir());
    QCOMPARE(engine.decompressionFile(), result);
    QStringList names;
    for (const Command &command : tools.commands(true))
        names << command.first();
    QCOMPARE(names, ran);
}

void TestDecompressionTool::missingToolOnPath()
{
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(workDir()));
    writeFile(workDir() + "/a.zip", "");
    DecompressionTool engine(workDir() + "/a.zip", workDir());
    const int extracted = engine.decompressionFile();
    const int packed = engine.compressFile({workDir() + "/a.zip"}, "b.tar.gz", workDir(), 0);
    qputenv("PATH", savedPath);
    QCOMPARE(extracted, -4);
    QCOMPARE(packed, -4);
}

void TestDecompressionTool::hostilePathsArriveWhole_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("zipPart");  // how unzip must see the part in its archive name
    QTest::newRow("blank") << "a b"
                           << "a b";
    QTest::newRow("double_blank_and_tab") << "a  b\tc"
                                          << "a  b\tc";
    QTest::newRow("single_quote") << "it's"
                                  << "it's";
    QTest::newRow("double_quote") << "say \"hi\""
                                  << "say \"hi\"";
    QTest::newRow("dollar") << "$HOME"
                            << "$HOME";
    QTest::newRow("command_substitution") << "$(id)"
                                          << "$(id)";
    QTest::newRow("backquote") << "`id`"
                               << "`id`";
    QTest::newRow("semicolon") << "a;touch x"
                               << "a;touch x";
    QTest::newRow("ampersand") << "a&b"
                               << "a&b";
    QTest::newRow("pipe") << "a|b"
                          << "a|b";
    QTest::newRow("redirect") << "a>b<c"
                              << "a>b<c";
    QTest::newRow("star") << "a*"
                          << "a[*]";
    QTest::newRow("question_mark") << "a?"
                                   << "a[?]";
    QTest::newRow("bracket") << "a[1]"
                             << "a[[]1]";
    QTest::newRow("hash") << "#a"
                          << "#a";
    QTest::newRow("tilde") << "~a"
                           << "~a";
    QTest::newRow("newline") << "a\nb"
                             << "a\nb";
    QTest::newRow("backslash") << "a\\b"
                               << "a\\b";
    QTest::newRow("backslash_with_wildcard") << "a\\*"
                                             << "a\\\\[*]";
    QTest::newRow("braces") << "{a,b}"
                            << "{a,b}";
    QTest::newRow("non_ascii") << QString::fromUtf8("音乐 ü") << QString::fromUtf8("音乐 ü");
    QTest::newRow("mixed") << QString::fromUtf8("it's $x `y` ;&|*?[#~\n音")
                           << QString::fromUtf8("it's $x `y` ;&|[*][?][[]#~\n音");
}

// Archive, target, items and archive name each reach the tool as one argument, as they are.
void TestDecompressionTool::hostilePathsArriveWhole()
{
    QFETCH(QString, part);
    QFETCH(QString, zipPart);
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    FakeTools tools;
    const QString folder = workDir() + "/" + part;  // a hostile folder as well
    QVERIFY(QDir().mkdir(folder));
    const QString target = folder + "/" + part;
    DecompressionTool engine{QString(), QString()};

    for (const QString type : {"tar.gz", "zip", "rar"}) {
        const QString archive = folder + "/" + part + "." + type;
        writeFile(archive, "");
        QVERIFY(engine.setFileName(archive));
        QVERIFY(engine.setDecomPath(engine.getDefaultDecomPath()));
        QCOMPARE(engine.getDefaultDecomPath(), target);
        tools.clear();
        QCOMPARE(engine.decompressionFile(), 1);
        QVERIFY(QFileInfo(target).isDir());
        const QList<Command> expected{
            type == "tar.gz" ? Command{"tar", "zxf", archive, "-C", target}
            : type == "zip"  ? Command{"unzip", "-o", folder + "/" + zipPart + ".zip", "-x", "-d", target}
                             : Command{"unrar", "x", "-ad", archive, target}};
        QCOMPARE(tools.commands(), expected);
    }

    // Packing: a hostile file and folder, a hostile archive name in a hostile folder.
    const QString file = folder + "/" + part + ".txt";
    writeFile(file, "x");
    tools.clear();
    tools.recordOnly("cp mkdir rm");
    const QString name = part + ".tar.gz";
    QCOMPARE(engine.compressFile({file, target}, name, folder, 1), 1);
    const QString temp = phone.path(tempDirPhonePath);
    QStringList packed{part, part + ".txt"};
    std::sort(packed.begin(), packed.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    const QList<Command> commands = tools.commands();
    QCOMPARE(commands.size(), 6);
    QCOMPARE(commands.at(0), (Command{"mkdir", temp}));
    QCOMPARE(commands.at(2), (Command{"cp", "-f", file, temp}));
    QCOMPARE(commands.at(3), (Command{"cp", "-rf", target, temp}));
    const Command tar = Command{"tar", "zcf", folder + "/" + name} + packed;
    QCOMPARE(commands.at(4), tar);
}

void TestDecompressionTool::relativePathsAreNoOptions_data()
{
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("target");
    QTest::newRow("leading_dash") << "-rf.tar"
                                  << "./-rf.tar"
                                  << "./-rf";
    QTest::newRow("leading_dash_in_folder") << "-C/x.tar"
                                            << "./-C/x.tar"
                                            << "./-C/x";
    QTest::newRow("remote_looking_colon") << "host:x.tar"
                                          << "./host:x.tar"
                                          << "./host:x";
    QTest::newRow("colon_after_folder") << "d/h:x.tar"
                                        << "d/h:x.tar"
                                        << "d/h:x";
    QTest::newRow("plain_relative") << "x.tar"
                                    << "x.tar"
                                    << "./x";
}

void TestDecompressionTool::relativePathsAreNoOptions()
{
    QFETCH(QString, archive);
    QFETCH(QString, argument);
    QFETCH(QString, target);
    WorkingDir here(workDir());
    FakeTools tools;
    QDir().mkdir("-C");
    QDir().mkdir("d");
    writeFile(archive, "");
    DecompressionTool engine(archive, QString());
    QVERIFY(engine.setDecomPath(engine.getDefaultDecomPath()));
    QCOMPARE(engine.decompressionFile(), 1);
    const Command tar{"tar", "xf", argument, "-C", target};
    QCOMPARE(tools.commands(), QList<Command>{tar});
}

QTEST_GUILESS_MAIN(TestDecompressionTool)
#include "tst_decompressiontool.moc"
