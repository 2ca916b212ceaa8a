// SPDX-License-Identifier: GPL-2.0-or-later
// Archives as people have them, made at test time by the real tools (tar, gzip, bzip2, xz,
// zstd, lzip, zip, 7-Zip; RAR by the hand-made writer): versioned names, capitals, one-file
// compressed files, damaged and cut-short copies, encrypted archives. Each either extracts
// exactly what was packed or fails with a reason and leaves nothing it made.
#include "archivetree.h"
#include "decompressiontool.h"
#include "rarwriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

using Reason = DecompressionTool::Failure::Reason;

const QString password = QStringLiteral("s3cret pass");

QByteArray oneFileContent(bool large)
{
    if (!large)
        return "hi\n";
    QByteArray data;
    for (int n = 0; data.size() < 3 * 1024 * 1024; ++n)
        data += QByteArray::number(n * 2654435761u) + (n % 7 ? ' ' : '\n');
    return data;
}

bool compressInto(const QString &program, const QStringList &arguments, const QString &input,
                  const QString &output)
{
    QProcess process;
    process.setStandardInputFile(input);
    process.setStandardOutputFile(output);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

QString sevenZip()
{
    return QStandardPaths::findExecutable("7zz").isEmpty() ? "7z" : "7zz";
}

// The maker's tools, for skipping what this machine lacks.
QString toolOf(const QString &maker)
{
    if (maker.contains("zst"))
        return "zstd";
    if (maker.contains("lz") && !maker.contains("xz"))
        return "lzip";
    if (maker.contains("xz"))
        return "xz";
    if (maker.startsWith("7z"))
        return sevenZip();
    return maker == "zip" || maker == "zippw" ? "zip" : "tar";
}

// Makes archive (a full path) of the given kind from source, which holds sampleTree() and the
// one file "file".
bool make(const QString &maker, const QString &archive, const QString &source)
{
    const QStringList members{"top.txt", "docs"};
    const QString file = source + "/file";
    if (maker == "targz")
        return runTool("tar", QStringList{"czf", archive} + members, source);
    if (maker == "tarbz2")
        return runTool("tar", QStringList{"cjf", archive} + members, source);
    if (maker == "tarxz")
        return runTool("tar", QStringList{"cJf", archive} + members, source);
    if (maker == "tarzst")
        return runTool("tar", QStringList{"--zstd", "-cf", archive} + members, source);
    if (maker == "tarlz")
        return runTool("tar", QStringList{"--lzip", "-cf", archive} + members, source);
    if (maker == "zip")
        return runTool("zip", QStringList{"-qr", archive} + members, source);
    if (maker == "zippw")
        return runTool("zip", QStringList{"-qr", "-P", password, archive} + members, source);
    if (maker == "7z")
        return runTool(sevenZip(), QStringList{"a", "-bd", archive} + members, source);
    if (maker == "7zpw")
        return runTool(sevenZip(), QStringList{"a", "-bd", "-p" + password, archive} + members, source);
    if (maker == "7zpwhe")
        return runTool(sevenZip(), QStringList{"a", "-bd", "-mhe=on", "-p" + password, archive} + members,
                       source);
    if (maker == "gz" || maker == "bz2" || maker == "xz" || maker == "zst") {
        const QString program = maker == "gz"    ? "gzip"
                                : maker == "bz2" ? "bzip2"
                                : maker == "xz"  ? "xz"
                                                 : "zstd";
        return compressInto(program, {"-c"}, file, archive);
    }
    if (maker == "gztar" || maker == "xztar") {
        const QString tar = archive + ".tar";
        const bool made = runTool("tar", QStringList{"cf", tar} + members, source)
                          && compressInto(maker == "gztar" ? "gzip" : "xz", {"-c"}, tar, archive);
        QFile::remove(tar);
        return made;
    }
    QFile out(archive);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (maker == "text")
        return out.write("This is no archive, only a note someone named .rar\n") > 0;
    QList<RarEntry> entries;
    const Tree tree = sampleTree();
    for (auto it = tree.begin(); it != tree.end(); ++it)
        entries << RarEntry{it.key().toLatin1(), it.value() == folderMark ? QByteArray() : it.value(),
                            it.value() == folderMark, false, maker == "rarpw"};
    return out.write(rar4Archive(entries)) > 0;
}

void damage(const QString &archive, const QString &how)
{
    QFile file(archive);
    if (how.isEmpty() || !file.open(QIODevice::ReadWrite))
        return;
    if (how == "cut") {
        file.resize(file.size() / 2);
    } else if (how == "flip") {
        // In the middle of the 70 kB member: its data, not the archive's structure.
        const QByteArray data = file.readAll();
        const qsizetype at = data.indexOf(QByteArray(sampleTree().value("docs/sub/deep.bin").mid(30000, 16)));
        file.seek(at >= 0 ? at : data.size() / 2);
        file.write(QByteArray(4, '\x55'));
    }
}

}  // namespace

class TestRealArchives : public QObject
{
    Q_OBJECT
private slots:
    void init() { work.reset(new QTemporaryDir); }
    void extractsOrFailsCleanly_data();
    void extractsOrFailsCleanly();
    void rarIntoItsOwnFolder();
    void pipeNamedLikeAnArchive();

private:
    std::unique_ptr<QTemporaryDir> work;
};

void TestRealArchives::extractsOrFailsCleanly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("maker");
    QTest::addColumn<QString>("content");  // "tree", "small" or "large" (one file)
    QTest::addColumn<QString>("damage");   // "", "cut" (half kept) or "flip" (bytes changed)
    QTest::addColumn<QString>("answer");   // the password typed; null: the box is cancelled
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("reason");

    const auto good = [](const char *row, const char *name, const char *maker, const char *content) {
        QTest::newRow(row) << name << maker << content << QString() << QString() << 1 << int(Reason::None);
    };
    good("versioned_zip", "project-1.2.zip", "zip", "tree");
    good("versioned_tar.gz", "linux-6.1.tar.gz", "targz", "tree");
    good("dashes_and_versions", "unrar-js-0.2.3.tar.gz", "targz", "tree");
    good("capital_zip", "PHOTOS.ZIP", "zip", "tree");
    good("capital_rar", "SONGS.RAR", "rar", "tree");
    good("capital_tar.bz2", "Backup-2.0.TAR.BZ2", "tarbz2", "tree");
    good("tgz", "a.tgz", "targz", "tree");
    good("tbz2", "a.tbz2", "tarbz2", "tree");
    good("tar.xz", "coreutils-9.1.tar.xz", "tarxz", "tree");
    good("txz", "a.txz", "tarxz", "tree");
    good("tar.zst", "a-1.5.tar.zst", "tarzst", "tree");
    good("tzst", "a.tzst", "tarzst", "tree");
    good("tar.lz", "a.tar.lz", "tarlz", "tree");
    good("7z", "photos-2024.7z", "7z", "tree");
    good("gz_few_bytes", "readme.gz", "gz", "small");
    good("gz_few_megabytes", "log-2024.txt.gz", "gz", "large");
    good("gz_capitals", "README.GZ", "gz", "small");
    good("bz2_one_file", "notes.bz2", "bz2", "small");
    good("xz_one_file", "dump.sql.xz", "xz", "large");
    good("zst_one_file", "trace.zst", "zst", "small");
    good("tar_inside_gz", "music.gz", "gztar", "tree");
    good("tar_inside_xz", "music.xz", "xztar", "tree");

    const auto bad = [](const char *row, const char *name, const char *maker, const char *content,
                        const char *how, int result, Reason reason) {
        QTest::newRow(row) << name << maker << content << how << QString() << result << int(reason);
    };
    bad("tar.gz_cut", "linux-6.1.tar.gz", "targz", "tree", "cut", -5, Reason::ToolMessage);
    bad("tar.xz_cut", "a.tar.xz", "tarxz", "tree", "cut", -5, Reason::ToolMessage);
    bad("tar.zst_cut", "a.tar.zst", "tarzst", "tree", "cut", -5, Reason::ToolMessage);
    bad("zip_cut", "a-1.0.zip", "zip", "tree", "cut", -5, Reason::ToolMessage);
    bad("zip_damaged", "a.zip", "zip", "tree", "flip", -5, Reason::ToolMessage);
    bad("7z_cut", "a.7z", "7z", "tree", "cut", -5, Reason::ToolMessage);
    bad("gz_cut", "big.gz", "gz", "large", "cut", -5, Reason::ToolMessage);
    bad("xz_cut", "big.xz", "xz", "large", "cut", -5, Reason::ToolMessage);
    bad("rar_cut", "a.rar", "rar", "tree", "cut", -5, Reason::CutShort);
    bad("rar_damaged", "a.rar", "rar", "tree", "flip", -5, Reason::ToolMessage);
    bad("text_named_rar", "x.rar", "text", "tree", "", -5, Reason::Unreadable);

    const auto locked = [](const char *row, const char *name, const char *maker, const QString &answer,
                           int result, Reason reason) {
        QTest::newRow(row) << name << maker << "tree" << QString() << answer << result << int(reason);
    };
    locked("zip_right_password", "secret.zip", "zippw", password, 1, Reason::None);
    locked("zip_wrong_password", "secret.zip", "zippw", "wrong", -10, Reason::PasswordWrong);
    locked("zip_cancelled", "secret.zip", "zippw", QString(), -9, Reason::PasswordNeeded);
    locked("7z_right_password", "secret.7z", "7zpw", password, 1, Reason::None);
    locked("7z_wrong_password", "secret.7z", "7zpw", "wrong", -10, Reason::PasswordWrong);
    locked("7z_cancelled", "secret.7z", "7zpw", QString(), -9, Reason::PasswordNeeded);
    locked("7z_names_encrypted_right", "hidden.7z", "7zpwhe", password, 1, Reason::None);
    locked("7z_names_encrypted_wrong", "hidden.7z", "7zpwhe", "wrong", -10, Reason::PasswordWrong);
    // Marked encrypted, its bytes stored as they are: no password makes them right.
    locked("rar_wrong_password", "secret.rar", "rarpw", "wrong", -10, Reason::PasswordWrong);
    locked("rar_cancelled", "secret.rar", "rarpw", QString(), -9, Reason::PasswordNeeded);
}

void TestRealArchives::extractsOrFailsCleanly()
{
    QFETCH(QString, name);
    QFETCH(QString, maker);
    QFETCH(QString, content);
    QFETCH(QString, damage);
    QFETCH(QString, answer);
    QFETCH(int, result);
    QFETCH(int, reason);
    if (QStandardPaths::findExecutable(toolOf(maker)).isEmpty())
        QSKIP(qPrintable(toolOf(maker) + " is not installed"));
    if (maker.startsWith("rar") && (damage == "flip" || !answer.isNull() || maker == "rarpw")
        && QStandardPaths::findExecutable("unar").isEmpty())
        QSKIP("unar is not installed");

    const QString source = work->path() + "/source";
    writeTree(source, sampleTree());
    writeFile(source + "/file", oneFileContent(content == "large"));
    const QString card = work->path() + "/card";
    QDir().mkpath(card);
    const QString archive = card + "/" + name;
    QVERIFY(make(maker, archive, source));
    ::damage(archive, damage);

    DecompressionTool engine(archive, QString());
    const QString target = engine.getDefaultDecomPath();
    QVERIFY(engine.setDecomPath(target));
    int asked = 0;
    engine.setPasswordHook([&](QString &typed) {
        ++asked;
        typed = answer;
        return !answer.isNull();
    });
    QCOMPARE(engine.decompressionFile(), result);
    QCOMPARE(int(engine.failure().reason), reason);
    QCOMPARE(asked, maker.endsWith("pw") || maker.endsWith("pwhe") ? 1 : 0);
    if (result == 1) {
        const QString single = QFileInfo(target).fileName();
        const Tree expected =
            content == "tree" ? sampleTree() : Tree{{single, oneFileContent(content == "large")}};
        QCOMPARE(readTree(target), expected);
        return;
    }
    // A failure says why and leaves the card as it was.
    if (reason == int(Reason::ToolMessage))
        QVERIFY2(!engine.failure().detail.isEmpty(), "no reason line");
    QCOMPARE(QDir(card).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{name});
}

// An unrar that honours -ad puts the members in a folder named after the archive, inside the
// target: that is success too, and the folder Kest made stays.
void TestRealArchives::rarIntoItsOwnFolder()
{
    const QString real = QStandardPaths::findExecutable("unrar");
    if (real.isEmpty())
        QSKIP("unrar is not installed");
    const QString bin = work->path() + "/bin";
    QDir().mkpath(bin);
    writeFile(bin + "/unrar", QStringLiteral("#!/bin/sh\n"
                                             "if [ \"$1\" = x ] && [ \"$2\" = -ad ]; then\n"
                                             "  dir=\"$4/$(basename \"$3\" .rar)\"\n"
                                             "  mkdir -p \"$dir\" && exec %1 x \"$3\" \"$dir/\"\n"
                                             "fi\n"
                                             "exec %1 \"$@\"\n")
                                  .arg(real)
                                  .toUtf8());
    QFile::setPermissions(bin + "/unrar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + savedPath);

    const QString card = work->path() + "/card";
    QDir().mkpath(card);
    QVERIFY(make("rar", card + "/photos.rar", work->path()));
    DecompressionTool engine(card + "/photos.rar", QString());
    QVERIFY(engine.setDecomPath(engine.getDefaultDecomPath()));
    const int result = engine.decompressionFile();
    qputenv("PATH", savedPath);
    QCOMPARE(result, 1);
    QCOMPARE(readTree(card + "/photos/photos"), sampleTree());
}

// A pipe is no archive: opening it to look at it would wait for a writer for ever.
void TestRealArchives::pipeNamedLikeAnArchive()
{
    for (const QString name : {"pipe.rar", "pipe.gz"}) {
        const QString pipe = work->path() + "/" + name;
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        DecompressionTool engine(pipe, work->path());
        QCOMPARE(engine.decompressionFile(), int(DecompressionTool::Refused));
        QCOMPARE(engine.failure().reason, Reason::NotAnArchive);
    }
}

QTEST_GUILESS_MAIN(TestRealArchives)
#include "tst_realarchives.moc"
