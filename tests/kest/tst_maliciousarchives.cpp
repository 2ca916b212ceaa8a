// SPDX-License-Identifier: GPL-2.0-or-later
// Hostile archives through the engine with the real tar, unzip and unrar: members named
// "../x" or "/abs", links with files written through them, links left in the target folder by
// an earlier archive. Nothing may appear outside the target folder, whatever the tools do.
#include "decompressiontool.h"
#include "hostilearchive.h"
#include "rarwriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Kind = HostileMember::Kind;
using Members = QList<HostileMember>;

// "@" in a name or link target stands for the test's scratch folder, "@/outside" for the
// folder an attack aims at.
Members resolved(Members members, const QByteArray &root)
{
    for (HostileMember &member : members) {
        member.name.replace('@', root);
        member.data.replace('@', root);
    }
    return members;
}

QByteArray gzipped(const QByteArray &data)
{
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-c")});
    gzip.write(data);
    gzip.closeWriteChannel();
    gzip.waitForFinished();
    return gzip.readAllStandardOutput();
}

QByteArray archiveOf(const QString &format, const Members &members)
{
    if (format == QLatin1String("tar"))
        return tarArchive(members);
    if (format == QLatin1String("tar.gz"))
        return gzipped(tarArchive(members));
    if (format == QLatin1String("zip"))
        return zipArchive(members);
    QList<RarEntry> entries;
    for (const HostileMember &member : members)
        entries.append({member.name, member.data, false, member.kind != Kind::File});
    return rar4Archive(entries);
}

// Every path under root, links not followed, relative to root.
QStringList allPaths(const QString &root)
{
    QStringList paths;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next().mid(root.size() + 1);
    paths.sort();
    return paths;
}

}  // namespace

class TestMaliciousArchives : public QObject
{
    Q_OBJECT

private slots:
    void nothingEscapes_data();
    void nothingEscapes();
    void harmlessLinksAreExtracted_data();
    void harmlessLinksAreExtracted();
};

void TestMaliciousArchives::nothingEscapes_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<Members>("members");
    QTest::addColumn<QByteArray>("linkInTarget");  // a link already in the target folder, to @/outside
    QTest::addColumn<bool>("refused");             // refused before anything was written

    const HostileMember plain{"inside.txt", "fine", Kind::File};
    for (const QString format : {"tar", "zip", "rar"}) {
        const bool links = format != QLatin1String("rar");  // unrar-free writes links as files
        const QByteArray f = format.toLatin1();
        QTest::newRow(f + " dot-dot")
            << format << Members{plain, {"../../outside/evil.txt", "x"}} << QByteArray() << true;
        QTest::newRow(f + " dot-dot inside a path")
            << format << Members{{"a/../../../outside/evil.txt", "x"}} << QByteArray() << true;
        QTest::newRow(f + " absolute")
            << format << Members{plain, {"@/outside/evil.txt", "x"}} << QByteArray() << false;
        QTest::newRow(f + " link out, file through it")
            << format << Members{{"lnk", "@/outside", Kind::Symlink}, {"lnk/evil.txt", "x"}} << QByteArray()
            << links;
        QTest::newRow(f + " relative link out, file through it")
            << format << Members{{"lnk", "../../outside", Kind::Symlink}, {"lnk/evil.txt", "x"}}
            << QByteArray() << links;
        QTest::newRow(f + " link to a file out, file over it")
            << format << Members{{"lf", "@/outside/victim.txt", Kind::Symlink}, {"lf", "overwritten"}}
            << QByteArray() << false;
        QTest::newRow(f + " link left in the target, file through it")
            << format << Members{plain, {"lnk/evil.txt", "x"}} << QByteArray("lnk") << true;
        QTest::newRow(f + " link left in the target, file over it")
            << format << Members{{"lnk", "overwritten"}} << QByteArray("lnk") << true;
    }
    // A compressed tar archive is listed only when the target folder holds links; elsewhere tar
    // alone must keep everything inside.
    for (const auto &[name, members, linkInTarget] :
         std::initializer_list<std::tuple<const char *, Members, QByteArray>>{
             {"tar.gz dot-dot", Members{plain, {"../../outside/evil.txt", "x"}}, QByteArray()},
             {"tar.gz absolute", Members{plain, {"@/outside/evil.txt", "x"}}, QByteArray()},
             {"tar.gz link out, file through it",
              Members{{"lnk", "@/outside", Kind::Symlink}, {"lnk/evil.txt", "x"}}, QByteArray()},
             {"tar.gz relative link out, file through it",
              Members{{"lnk", "../../outside", Kind::Symlink}, {"lnk/evil.txt", "x"}}, QByteArray()},
             {"tar.gz link to a file out, file over it",
              Members{{"lf", "@/outside/victim.txt", Kind::Symlink}, {"lf", "overwritten"}}, QByteArray()},
             {"tar.gz hard link, file through it",
              Members{{"h", "@/outside", Kind::Hardlink}, {"h/evil.txt", "x"}}, QByteArray()},
             {"tar.gz link left in the target, file through it", Members{plain, {"lnk/evil.txt", "x"}},
              QByteArray("lnk")},
         })
        QTest::newRow(name) << QStringLiteral("tar.gz") << members << linkInTarget << !linkInTarget.isEmpty();
    QTest::newRow("tar hard link out, file over it")
        << QStringLiteral("tar")
        << Members{{"h", "../../outside/victim.txt", Kind::Hardlink}, {"h", "overwritten"}} << QByteArray()
        << false;
    QTest::newRow("tar hard link, file through it")
        << QStringLiteral("tar") << Members{{"h", "@/outside", Kind::Hardlink}, {"h/evil.txt", "x"}}
        << QByteArray() << true;
}

void TestMaliciousArchives::nothingEscapes()
{
    QFETCH(QString, format);
    QFETCH(Members, members);
    QFETCH(QByteArray, linkInTarget);
    QFETCH(bool, refused);

    QTemporaryDir scratch;
    const QString root = scratch.path();
    QVERIFY(QDir(root).mkpath("outside") && QDir(root).mkpath("card/evil"));
    QFile victim(root + "/outside/victim.txt");
    QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("victim") == 6);
    victim.close();
    if (!linkInTarget.isEmpty())
        QVERIFY(QFile::link(root + "/outside", root + "/card/evil/" + linkInTarget));
    const QString archive = root + "/card/evil." + format;
    QFile file(archive);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(archiveOf(format, resolved(members, QFile::encodeName(root))));
    file.close();

    DecompressionTool tool(archive, root + "/card/evil");
    const int result = tool.decompressionFile();

    QStringList expected{"card", "card/evil", "card/evil." + format, "outside", "outside/victim.txt"};
    QStringList outsideTarget;
    for (const QString &path : allPaths(root))
        if (!path.startsWith("card/evil/"))
            outsideTarget << path;
    expected.sort();
    QCOMPARE(outsideTarget, expected);
    QVERIFY(victim.open(QIODevice::ReadOnly));
    QCOMPARE(victim.readAll(), QByteArray("victim"));
    if (refused) {
        QCOMPARE(result, DecompressionTool::UnsafeMember);
        const QStringList written = allPaths(root + "/card/evil");
        QCOMPARE(written, linkInTarget.isEmpty() ? QStringList() : QStringList{QString(linkInTarget)});
    }
}

void TestMaliciousArchives::harmlessLinksAreExtracted_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("again");  // extracted a second time over the first
    for (const QString format : {"tar", "zip"}) {
        QTest::newRow(qPrintable(format)) << format << false;
        QTest::newRow(qPrintable(format + " twice")) << format << true;
    }
}

// Links that only point somewhere, inside or out, and members that do not pass through them:
// an ordinary archive, extracted as before, also over its own earlier extraction.
void TestMaliciousArchives::harmlessLinksAreExtracted()
{
    QFETCH(QString, format);
    QFETCH(bool, again);
    QTemporaryDir scratch;
    const QString root = scratch.path();
    QVERIFY(QDir(root).mkpath("card"));
    const QString archive = root + "/card/fine." + format;
    QFile file(archive);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(archiveOf(format, {{"docs/readme.txt", "read me"},
                                  {"docs/latest", "readme.txt", Kind::Symlink},
                                  {"system", "/usr/share", Kind::Symlink},
                                  {"notes.txt", "notes"}}));
    file.close();

    DecompressionTool tool(archive, root + "/card/fine");
    QCOMPARE(tool.decompressionFile(), DecompressionTool::Done);
    if (again)
        QCOMPARE(tool.decompressionFile(), DecompressionTool::Done);
    QCOMPARE(QFileInfo(root + "/card/fine/docs/latest").symLinkTarget(), root + "/card/fine/docs/readme.txt");
    QCOMPARE(QFileInfo(root + "/card/fine/system").symLinkTarget(), QStringLiteral("/usr/share"));
    QFile notes(root + "/card/fine/notes.txt");
    QVERIFY(notes.open(QIODevice::ReadOnly));
    QCOMPARE(notes.readAll(), QByteArray("notes"));
}

QTEST_GUILESS_MAIN(TestMaliciousArchives)
#include "tst_maliciousarchives.moc"
