// SPDX-License-Identifier: GPL-2.0-or-later
// The command lines of the archive engine, seen by stand-in tools that record their
// arguments (tests/kest/fake-tools/faketool.sh).
#include "decompressiontool.h"
#include "workingdir.h"

#include "phonetree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Command = QStringList;  // tool name, then its arguments

const QString tempDirPhonePath = QStringLiteral("/mmc/mmca1/.tartmp");

QString fakeToolScript()
{
    return qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + QStringLiteral("/tests/kest/fake-tools/faketool.sh");
}

void touch(const QString &path, const QByteArray &content = QByteArray())
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

// Puts the stand-ins first on PATH for its lifetime. cp, mkdir, chmod and rm do their real
// work after being recorded; tar, unzip and unrar only record and exit.
class FakeTools
{
public:
    FakeTools() : savedPath(qgetenv("PATH"))
    {
        const QString script = fakeToolScript();
        for (const char *tool : {"tar", "unzip", "unrar", "cp", "mkdir", "chmod", "rm"})
            QFile::link(script, bin.filePath(QString::fromLatin1(tool)));
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + savedPath);
        qputenv("FAKE_TOOL_PATH", savedPath);
        qputenv("FAKE_TOOL_LOG", QFile::encodeName(logPath()));
        qputenv("FAKE_TOOL_REAL", "cp mkdir chmod rm");
    }
    ~FakeTools()
    {
        qputenv("PATH", savedPath);
        for (const QByteArray &name :
             QList<QByteArray>{"FAKE_TOOL_PATH", "FAKE_TOOL_LOG", "FAKE_TOOL_REAL"} + exits)
            qunsetenv(name.constData());
    }

    // code: an exit status, or "kill" to die by SIGKILL.
    void exitWith(const QByteArray &tool, const QByteArray &code)
    {
        exits << "FAKE_EXIT_" + tool;
        qputenv(exits.last().constData(), code);
    }
    void recordOnly(const QByteArray &tools) { qputenv("FAKE_TOOL_REAL", tools); }
    void clear() { QFile::remove(logPath()); }

    QList<Command> commands() const
    {
        QList<Command> result;
        for (const Record &record : records())
            result << (Command{record.tool} + record.args);
        return result;
    }
    // What each tool had as standard input.
    QStringList inputs() const
    {
        QStringList result;
        for (const Record &record : records())
            result << record.input;
        return result;
    }

private:
    struct Record
    {
        QString tool, input;
        QStringList args;
    };
    QString logPath() const { return bin.filePath(QStringLiteral("calls.log")); }
    QList<Record> records() const
    {
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> fields = file.readAll().split('\0');
        QList<Record> result;
        for (int i = 0; i + 2 < fields.size();) {
            const int count = fields.at(i).toInt();
            Record record{QString::fromUtf8(fields.at(i + 1)), QString::fromUtf8(fields.at(i + 2)), {}};
            for (int n = 0; n < count; ++n)
                record.args << QString::fromUtf8(fields.value(i + 3 + n));
            // The member listings the engine takes before an extraction are not the command
            // lines under test here (the hostile-archive test checks what they guard).
            const QString first = record.args.value(0);
            const bool listing = (record.tool == QLatin1String("tar") && first.endsWith(QLatin1String("tvf")))
                                 || (record.tool == QLatin1String("unzip") && first == QLatin1String("-Z"))
                                 || (record.tool == QLatin1String("unrar") && first == QLatin1String("l"));
            if (!listing)
                result << record;
            i += 3 + count;
        }
        return result;
    }

    QTemporaryDir bin;
    QByteArray savedPath;
    QList<QByteArray> exits;
};

}  // namespace

class TestDecompressionTool : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(fakeToolScript()).isExecutable(), "EZX_TEST_SOURCE_DIR must name the source tree");
    }
    void init() { work.reset(new QTemporaryDir); }
    void extractionLines_data();
    void extractionLines();
    void unrecognisedNamesRunNothing_data();
    void unrecognisedNamesRunNothing();
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
    void compressionLines();
    void compressionRefusesBeforeRunning();
    void compressionStartsFromEmptyTempFolder();
    void compressionFailuresCleanUp_data();
    void compressionFailuresCleanUp();
    void compressionWithoutTempFolder();
    void compressionIntoRelativeFolder();

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
    touch(archive);
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

void TestDecompressionTool::unrecognisedNamesRunNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("upper_case_suffix") << "Music.TAR.GZ";
    QTest::newRow("upper_case_tar") << "photos.TAR";
    QTest::newRow("dot_in_base_name") << "x.y.tar.gz";
    QTest::newRow("tgz") << "a.tgz";
    QTest::newRow("no_dot") << "archive";
    QTest::newRow("suffix_after_suffix") << "a.zip.bak";
}

void TestDecompressionTool::unrecognisedNamesRunNothing()
{
    QFETCH(QString, name);
    FakeTools tools;
    const QString archive = workDir() + "/" + name;
    touch(archive);
    DecompressionTool tool(archive, workDir());
    QCOMPARE(tool.decompressionFile(), -1);
    QCOMPARE(tools.commands(), QList<Command>{});
    QCOMPARE(QDir(workDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{name});
}

void TestDecompressionTool::defaultFolder_data()
{
    QTest::addColumn<QString>("archive");  // relative to the working directory
    QTest::addColumn<QString>("folder");
    QTest::newRow("in_folder") << "card/music.tar.gz"
                               << "card/music";
    QTest::newRow("first_dot_cuts") << "card/a.b.zip"
                                    << "card/a";
    QTest::newRow("bare_name") << "a.rar"
                               << "./a";
    QTest::newRow("empty_base_name") << "card/.x.tar.gz"
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
    touch(archive);
    DecompressionTool tool(archive, QString());
    QCOMPARE(tool.getDefaultDecomPath(), folder);
    QFile::remove(archive);
    QVERIFY(tool.getDefaultDecomPath().isNull());  // gone since
}

void TestDecompressionTool::nullAndEmptyStrings()
{
    const QString archive = workDir() + "/a.zip";
    touch(archive);

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
    touch(archive);
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
    touch(workDir() + "/a");
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
    QTest::newRow("tar_warning") << "a.tar.gz" << QByteArray("tar") << QByteArray("1") << 1;
    QTest::newRow("tar_fatal") << "a.tar.gz" << QByteArray("tar") << QByteArray("2") << -5;
    QTest::newRow("gz_fatal") << "a.gz" << QByteArray("tar") << QByteArray("2") << -5;
    QTest::newRow("tar_not_found") << "a.tar" << QByteArray("tar") << QByteArray("127") << -4;
    QTest::newRow("tar_not_executable") << "a.bz2" << QByteArray("tar") << QByteArray("126") << -4;
    QTest::newRow("tar_killed") << "a.bz" << QByteArray("tar") << QByteArray("kill") << -5;
    QTest::newRow("unzip_warning") << "a.zip" << QByteArray("unzip") << QByteArray("1") << 1;
    QTest::newRow("unzip_error") << "a.zip" << QByteArray("unzip") << QByteArray("2") << -5;
    QTest::newRow("unzip_no_archive") << "a.zip" << QByteArray("unzip") << QByteArray("9") << -5;
    QTest::newRow("unrar_warning") << "a.rar" << QByteArray("unrar") << QByteArray("1") << 1;
    QTest::newRow("unrar_fatal") << "a.rar" << QByteArray("unrar") << QByteArray("2") << -5;
    QTest::newRow("unrar_usage") << "a.rar" << QByteArray("unrar") << QByteArray("64") << -5;
}

// The matched extractor's code is the result, and no other extractor runs anything.
void TestDecompressionTool::toolEndings()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, tool);
    QFETCH(QByteArray, exit);
    QFETCH(int, result);
    FakeTools tools;
    tools.exitWith(tool, exit);
    touch(workDir() + "/" + name);
    DecompressionTool engine(workDir() + "/" + name, workDir());
    QCOMPARE(engine.decompressionFile(), result);
    QCOMPARE(tools.commands().size(), 1);
    QCOMPARE(tools.commands().at(0).at(0), QString::fromLatin1(tool));
}

void TestDecompressionTool::missingToolOnPath()
{
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(workDir()));
    touch(workDir() + "/a.zip");
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
        touch(archive);
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
    touch(file, "x");
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
    touch(archive);
    DecompressionTool engine(archive, QString());
    QVERIFY(engine.setDecomPath(engine.getDefaultDecomPath()));
    QCOMPARE(engine.decompressionFile(), 1);
    const Command tar{"tar", "xf", argument, "-C", target};
    QCOMPARE(tools.commands(), QList<Command>{tar});
}

void TestDecompressionTool::compressionLines()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    FakeTools tools;
    const QString temp = phone.path(tempDirPhonePath);
    QDir(workDir()).mkpath("photos/2009");
    touch(workDir() + "/song.mp3", "la");
    touch(workDir() + "/.profile", "p");
    touch(workDir() + "/Zebra.txt", "z");
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

void TestDecompressionTool::compressionRefusesBeforeRunning()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    FakeTools tools;
    touch(workDir() + "/a.txt");
    QDir(workDir()).mkpath("one/song.mp3");
    QDir(workDir()).mkpath("two");
    touch(workDir() + "/two/song.mp3");
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

void TestDecompressionTool::compressionStartsFromEmptyTempFolder()
{
    PhoneTree phone;
    FakeTools tools;
    const QString temp = phone.path(tempDirPhonePath);
    phone.write(tempDirPhonePath + "/left-over.txt", "old");
    phone.write(tempDirPhonePath + "/.left-over", "old");
    touch(workDir() + "/new.txt");
    QCOMPARE(DecompressionTool(QString(), QString())
                 .compressFile({workDir() + "/new.txt"}, "a.tar.gz", workDir(), 1),
             1);
    const QList<Command> commands = tools.commands();
    QCOMPARE(commands.first(), (Command{"rm", "-rf", temp}));
    QVERIFY(commands.contains(Command{"tar", "zcf", workDir() + "/a.tar.gz", "new.txt"}));
}

void TestDecompressionTool::compressionFailuresCleanUp_data()
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
void TestDecompressionTool::compressionFailuresCleanUp()
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
    touch(workDir() + "/a.txt");
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

void TestDecompressionTool::compressionWithoutTempFolder()
{
    PhoneTree phone;  // no memory card: /mmc/mmca1 is missing
    FakeTools tools;
    touch(workDir() + "/a.txt");
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
void TestDecompressionTool::compressionIntoRelativeFolder()
{
    PhoneTree phone;
    phone.mkdir("/mmc/mmca1");
    FakeTools tools;
    touch(workDir() + "/a.txt");
    WorkingDir here(workDir());
    const QString cwd = QDir::currentPath();
    QCOMPARE(DecompressionTool(QString(), QString()).compressFile({"a.txt"}, "a.tar.gz", "out", 1), 1);
    QVERIFY(tools.commands().contains(Command{"tar", "zcf", cwd + "/out/a.tar.gz", "a.txt"}));
}

QTEST_GUILESS_MAIN(TestDecompressionTool)
#include "tst_decompressiontool.moc"
