// SPDX-License-Identifier: GPL-2.0-or-later
// The engine's pure parts on values: which names Kest opens, the tar header and RAR chain
// checks, the tools' listings as they print them, the members-stay-inside rule and the reason
// line. Plus the shipped desktop entry against the system's MIME database.
#include "archivelisting.h"
#include "archivetypes.h"
#include "rarwriter.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

QList<QByteArray> lines(const char *text)
{
    QList<QByteArray> result = QByteArray(text).split('\n');
    if (!result.isEmpty() && result.constLast().isEmpty())
        result.removeLast();
    return result;
}

QString kindName(int index)
{
    static const char *names[] = {"tar.gz",  "gz",     "tar",     "bz2",    "bz", "zip", "rar", "tgz",
                                  "tar.bz2", "tar.xz", "tar.zst", "tar.lz", "7z", "xz",  "zst"};
    return index < 0 ? QStringLiteral("none")
                     : QString::fromLatin1(names[int(archiveTypes().at(index).kind)]);
}

// A ustar header for a file named name, its checksum as tar writes it.
void put(QByteArray &block, int at, const QByteArray &field)
{
    block.replace(at, field.size(), field);
}

// A ustar header for a file named name, its checksum as tar writes it: six octal digits, a
// NUL and a blank.
QByteArray tarHeader(const QByteArray &name)
{
    QByteArray block(512, '\0');
    put(block, 0, name);
    put(block, 100, "0000644");
    put(block, 124, "00000000005");
    put(block, 156, "0");
    put(block, 257, "ustar");
    put(block, 148, "        ");
    int sum = 0;
    for (char c : block)
        sum += static_cast<unsigned char>(c);
    put(block, 148, QByteArray::number(sum, 8).rightJustified(6, '0') + QByteArray("\0 ", 2));
    return block;
}

using Members = QList<ArchiveMember>;

}  // namespace

class TestArchiveFormats : public QObject
{
    Q_OBJECT
private slots:
    void recognition_data();
    void recognition();
    void pickerFiltersAreExactlyTheEndings();
    void desktopEntryOffersExactlyTheEndings();
    void tarHeaderChecksum();
    void rarChainCutShort_data();
    void rarChainCutShort();
    void listings();
    void untrustedListings();
    void membersStayInside_data();
    void membersStayInside();
    void reasonLine_data();
    void reasonLine();
};

void TestArchiveFormats::recognition_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");  // without its type ending
    // The phone's rule: the complete suffix, exactly.
    QTest::newRow("phone_tar.gz") << "/mmc/mmca1/music.tar.gz"
                                  << "tar.gz"
                                  << "music";
    QTest::newRow("phone_gz_not_tar.gz") << "a.gz"
                                         << "gz"
                                         << "a";
    QTest::newRow("phone_bz_not_bz2") << "a.bz"
                                      << "bz"
                                      << "a";
    QTest::newRow("dotted_folder_ignored") << "/my.card/a.zip"
                                           << "zip"
                                           << "a";
    // The ending, the longest first, any case.
    QTest::newRow("versioned") << "linux-6.1.tar.gz"
                               << "tar.gz"
                               << "linux-6.1";
    QTest::newRow("longest_ending_wins") << "x.y.tar.bz2"
                                         << "tar.bz2"
                                         << "x.y";
    QTest::newRow("capitals") << "Music.TAR.GZ"
                              << "tar.gz"
                              << "Music";
    QTest::newRow("capital_gz_one_file") << "README.GZ"
                                         << "gz"
                                         << "README";
    QTest::newRow("tbz2") << "a.TBZ2"
                          << "tar.bz2"
                          << "a";
    QTest::newRow("tar.xz") << "coreutils-9.1.tar.xz"
                            << "tar.xz"
                            << "coreutils-9.1";
    QTest::newRow("xz_one_file") << "dump.sql.xz"
                                 << "xz"
                                 << "dump.sql";
    QTest::newRow("zst") << "trace.zst"
                         << "zst"
                         << "trace";
    QTest::newRow("7z_split") << "photos.7z.001"
                              << "7z"
                              << "photos";
    QTest::newRow("zipx_by_7z") << "a.zipx"
                                << "7z"
                                << "a";
    QTest::newRow("gem_is_tar") << "rake-13.0.gem"
                                << "tar"
                                << "rake-13.0";
    QTest::newRow("hidden") << ".x.tar.gz"
                            << "tar.gz"
                            << ".x";
    // Not opened: cut at the first dot, as the phone cut every name.
    QTest::newRow("no_dot") << "archive"
                            << "none"
                            << "archive";
    QTest::newRow("ending_not_at_end") << "a.zip.bak"
                                       << "none"
                                       << "a";
    QTest::newRow("ending_inside_word") << "a.tarball"
                                        << "none"
                                        << "a";
    QTest::newRow("dot_only") << "a."
                              << "none"
                              << "a";
}

void TestArchiveFormats::recognition()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QCOMPARE(kindName(archiveTypeOf(path)), kind);
    QCOMPARE(nameWithoutType(path), name);
}

// Every filter takes only names Kest opens, and every name Kest opens has its filter. The
// picker matches without case, as Kest does.
void TestArchiveFormats::pickerFiltersAreExactlyTheEndings()
{
    const QStringList filters = archivePickerFilters();
    QCOMPARE(filters.mid(0, 5), (QStringList{"*.tar.gz", "*.tar", "*.gz", "*.rar", "*.zip"}));
    for (const QString &filter : filters) {
        QVERIFY2(filter.startsWith("*.") && !filter.mid(1).contains('*'), qPrintable(filter));
        QVERIFY2(archiveTypeOf("x" + filter.mid(1).toUpper()) >= 0, qPrintable(filter));
    }
    for (const ArchiveType &type : archiveTypes())
        for (const QString &ending : type.endings)
            QVERIFY2(filters.contains("*" + ending), qPrintable(ending));
}

// The desktop offers Kest for a type only when Kest opens every name pattern of that type,
// and offers it for every ending Kest opens.
void TestArchiveFormats::desktopEntryOffersExactlyTheEndings()
{
    QFile database("/usr/share/mime/packages/freedesktop.org.xml");
    if (!database.open(QIODevice::ReadOnly))
        QSKIP("no shared MIME database on this machine");
    QHash<QString, QStringList> globs;  // type -> patterns
    QHash<QString, QString> aliases;    // alias -> type
    QXmlStreamReader xml(&database);
    QString type;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("mime-type"))
            type = xml.attributes().value("type").toString();
        else if (xml.name() == QLatin1String("alias"))
            aliases.insert(xml.attributes().value("type").toString(), type);
        else if (xml.name() == QLatin1String("glob"))
            globs[type] << xml.attributes().value("pattern").toString();
    }
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it)
        globs.insert(it.key(), globs.value(it.value()));
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // (QSettings would take the first ";" for the start of a comment.)
    QFile entry(qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + "/data/desktop/kest.desktop");
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QStringList types;
    for (const QByteArray &line : entry.readAll().split('\n'))
        if (line.startsWith("MimeType="))
            types = QString::fromUtf8(line.mid(9)).split(';', Qt::SkipEmptyParts);
    QVERIFY(!types.isEmpty());
    QSet<QString> offered;
    for (const QString &offeredType : types) {
        QVERIFY2(globs.contains(offeredType), qPrintable(offeredType));
        for (const QString &pattern : globs.value(offeredType)) {
            QVERIFY2(archiveTypeOf("x" + pattern.mid(1)) >= 0, qPrintable(offeredType + " " + pattern));
            offered << pattern.mid(1).toLower();
        }
    }
    for (const ArchiveType &type : archiveTypes())
        for (const QString &ending : type.endings)
            QVERIFY2(offered.contains(ending), qPrintable(ending));
}

void TestArchiveFormats::tarHeaderChecksum()
{
    const QByteArray header = tarHeader("docs/readme.txt");
    QVERIFY(isTarHeader(header));
    QVERIFY(isTarHeader(header + QByteArray(512, 'x')));  // what follows does not matter
    QVERIFY(!isTarHeader(header.left(511)));
    QByteArray changed = header;
    changed[3] = 'X';
    QVERIFY(!isTarHeader(changed));
    QVERIFY(!isTarHeader(QByteArray(512, '\0')));  // the end of an archive, no header
    QVERIFY(!isTarHeader(QByteArray(512, ' ')));
    QVERIFY(!isTarHeader(QByteArray("hello, world\n").repeated(40)));
    // Old tars summed signed bytes: a name with bytes above 127.
    QByteArray signedSum = tarHeader("caf\xc3\xa9");
    int sum = 0;
    for (int i = 0; i < 512; ++i)
        sum += i >= 148 && i < 156 ? ' ' : static_cast<signed char>(signedSum.at(i));
    put(signedSum, 148, QByteArray::number(sum, 8).rightJustified(6, '0') + QByteArray("\0 ", 2));
    QVERIFY(isTarHeader(signedSum));
}

void TestArchiveFormats::rarChainCutShort_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("chain");
    const QByteArray rar = rar4Archive({{"docs", {}, true}, {"docs/a.txt", "hello\n"}, {"top.txt", "top\n"}});
    QTest::newRow("complete") << rar << int(RarChain::Complete);
    // Without the end block, as archivers before RAR 3 wrote them.
    QTest::newRow("no_end_block") << rar.left(rar.size() - 7) << int(RarChain::Complete);
    QTest::newRow("cut_in_end_block") << rar.left(rar.size() - 3) << int(RarChain::CutShort);
    QTest::newRow("cut_in_data") << rar.left(rar.indexOf("top\n") + 2) << int(RarChain::CutShort);
    QTest::newRow("cut_in_header") << rar.left(rar.indexOf("top.txt") + 3) << int(RarChain::CutShort);
    QTest::newRow("signature_only") << rar.left(7) << int(RarChain::Complete);
    QTest::newRow("rar5") << QByteArray("Rar!\x1a\x07\x01\x00", 8) + rar.mid(7) << int(RarChain::NotRar4);
    QTest::newRow("text") << QByteArray("not an archive") << int(RarChain::NotRar4);
}

void TestArchiveFormats::rarChainCutShort()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, chain);
    const auto read = [&bytes](qint64 at, int length) { return bytes.mid(at, length); };
    QCOMPARE(int(walkRar4Chain(bytes.size(), read)), chain);
}

// The tools' listings as they print them.
void TestArchiveFormats::listings()
{
    Members tar;
    QVERIFY(parseTarListing(
        lines("drwxr-xr-x 0/0               0 2026-12-08 13:19 \"docs/\"\n"
              "-rw-r--r-- 0/0               1 2026-12-08 13:19 \"docs/a \\\"b\\\"\\n\\303\\251\"\n"
              "lrwxrwxrwx 0/0               0 2026-12-08 13:19 \"lnk\" -> \"/etc\"\n"
              "hrw-r--r-- 0/0               0 2026-12-08 13:19 \"hard\" link to \"docs/a\"\n"),
        tar));
    QCOMPARE(tar.size(), 4);
    QCOMPARE(tar.at(1).name, QString::fromUtf8("docs/a \"b\"\né"));
    QVERIFY(tar.at(0).folder && !tar.at(1).link && tar.at(2).link && tar.at(3).link);

    Members zip;
    QVERIFY(parseZipListing(lines("Archive:  sym.zip\n"
                                  "Zip file size: 441 bytes, number of entries: 3\n"
                                  "drwxr-xr-x  3.0 unx        0 bx stor 26-Dec-08 12:28 d/\n"
                                  "-rw-r--r--  3.0 unx        2 TX stor 26-Dec-08 12:28 d/f 1.txt\n"
                                  "lrwxrwxrwx  3.0 unx        7 bx stor 26-Dec-08 12:28 link\n"
                                  "3 files, 9 bytes uncompressed, 9 bytes compressed:  0.0%\n"),
                            zip));
    QCOMPARE(zip.size(), 3);
    QCOMPARE(zip.at(1).name, QStringLiteral("d/f 1.txt"));
    QVERIFY(zip.at(0).folder && zip.at(1).encrypted && !zip.at(0).encrypted && zip.at(2).link);

    Members rar;
    QVERIFY(
        parseRarListing(lines("\nunrar-free 0.1.3  Copyright (C) 2004  Ben Asselstine, Jeroen Dekkers\n\n\n"
                              "RAR archive /tmp/a.rar\n\nPathname/Comment\n"
                              "                  Size   Date   Time     Attr\n"
                              "----------------------------------------------\n"
                              " docs\n                     0 01-06-09 12:00   .D....\n"
                              " docs/a b.txt\n                     6 01-06-09 12:00   .....A\n"
                              "----------------------------------------------\n"
                              "    2               6\n"),
                        rar));
    QCOMPARE(rar.size(), 2);
    QVERIFY(rar.at(0).folder && !rar.at(1).folder);
    QCOMPARE(rar.at(1).name, QStringLiteral("docs/a b.txt"));

    Members sevenZip;
    QVERIFY(parseSevenZipListing(lines("Path = d\nSize = 0\nAttributes = D drwxr-xr-x\nEncrypted = -\n\n"
                                       "Path = d/f.txt\nAttributes = A -rw-r--r--\nEncrypted = +\n\n"
                                       "Path = link\nAttributes = A lrwxrwxrwx\nEncrypted = -\n"),
                                 sevenZip));
    QCOMPARE(sevenZip.size(), 3);
    QVERIFY(sevenZip.at(0).folder && sevenZip.at(1).encrypted && sevenZip.at(2).link && !sevenZip.at(1).link);

    Members lsar;
    QVERIFY(parseLsarListing(R"({"lsarFormatVersion": 2, "lsarContents": [
        {"XADFileName": "docs", "XADIsDirectory": 1},
        {"XADFileName": "docs/a.txt", "XADIsEncrypted": 1},
        {"XADFileName": "lnk", "XADIsLink": 1}]})",
                             lsar));
    QCOMPARE(lsar.size(), 3);
    QVERIFY(lsar.at(0).folder && lsar.at(1).encrypted && lsar.at(2).link);
}

// A listing that may leave members out is no ground for "nothing lands outside".
void TestArchiveFormats::untrustedListings()
{
    Members members;
    QVERIFY(!parseTarListing(lines("-rw-r--r-- 0/0 1 2026-12-08 13:19 \"unterminated\n"), members));
    QVERIFY(!parseTarListing(lines("-rw-r--r-- 0/0 1 2026-12-08 13:19 plain\n"), members));
    members.clear();
    QVERIFY(!parseZipListing(lines("Zip file size: 441 bytes, number of entries: 2\n"
                                   "-rw-r--r--  3.0 unx        2 tx stor 26-Dec-08 12:28 only-one\n"),
                             members));
    members.clear();
    QVERIFY(parseZipListing(lines("unzip:  cannot find zipfile directory\n"), members));  // no zip at all
    QVERIFY(members.isEmpty());
    QVERIFY(!parseRarListing(lines("-----\nnot a name line\n-----\n"), members));
    QVERIFY(!parseSevenZipListing(lines("Size = 0\nPath = x\n"), members));
    QVERIFY(!parseLsarListing("{\"lsarFormatVersion\": 2, \"lsarError\": 0}", members));
    QVERIFY(!parseLsarListing("not json", members));
}

void TestArchiveFormats::membersStayInside_data()
{
    QTest::addColumn<Members>("members");
    QTest::addColumn<bool>("backslashes");
    QTest::addColumn<QStringList>("linksOnDisk");  // paths in the target that lead out
    QTest::addColumn<bool>("inside");
    const ArchiveMember file{"docs/a.txt"}, link{"lnk", true};
    QTest::newRow("plain") << Members{file, {"docs/"}} << false << QStringList() << true;
    QTest::newRow("dot_dot") << Members{{"a/../../x"}} << false << QStringList() << false;
    QTest::newRow("dot_dot_backslash") << Members{{"a\\..\\..\\x"}} << true << QStringList() << false;
    QTest::newRow("backslash_is_a_name_in_tar") << Members{{"a\\..\\x"}} << false << QStringList() << true;
    QTest::newRow("absolute_is_taken_inside") << Members{{"/etc/passwd"}} << false << QStringList() << true;
    QTest::newRow("through_own_link") << Members{link, {"lnk/evil"}} << false << QStringList() << false;
    QTest::newRow("link_itself_is_fine") << Members{link, file} << false << QStringList() << true;
    QTest::newRow("through_link_on_disk") << Members{file} << false << QStringList{"docs"} << false;
    QTest::newRow("over_link_on_disk") << Members{{"lnk"}} << false << QStringList{"lnk"} << false;
    QTest::newRow("link_replaces_link_on_disk") << Members{link} << false << QStringList{"lnk"} << true;
    QTest::newRow("dots_and_slashes") << Members{{"./a//./b"}, {"a/b/.."}} << false << QStringList() << false;
}

void TestArchiveFormats::membersStayInside()
{
    QFETCH(Members, members);
    QFETCH(bool, backslashes);
    QFETCH(QStringList, linksOnDisk);
    QFETCH(bool, inside);
    QStringList asked;
    const auto leadsOut = [&](const QString &path) {
        asked << path;
        return linksOnDisk.contains(path);
    };
    QCOMPARE(::membersStayInside(members, backslashes, leadsOut), inside);
    QCOMPARE(asked.size(), QSet<QString>(asked.begin(), asked.end()).size());  // each path once
}

void TestArchiveFormats::reasonLine_data()
{
    QTest::addColumn<QByteArray>("errors");
    QTest::addColumn<QString>("line");
    QTest::newRow("tar_cut") << QByteArray(
        "\ngzip: stdin: unexpected end of file\ntar: Unexpected EOF in archive\n"
        "tar: Unexpected EOF in archive\ntar: Error is not recoverable: exiting now\n")
                             << "tar: Unexpected EOF in archive";
    QTest::newRow("tar_child") << QByteArray("xz: (stdin): File format not recognized\n"
                                             "tar: Child returned status 1\n"
                                             "tar: Error is not recoverable: exiting now\n")
                               << "xz: (stdin): File format not recognized";
    QTest::newRow("unrar_advice") << QByteArray(
        "unrar: Unrecognized archive format\n\n"
        "Try `unrar-free --help' or `unrar-free --usage' for more information.\n")
                                  << "unrar: Unrecognized archive format";
    QTest::newRow("7z_counts") << QByteArray(
        "ERROR: Data Error in encrypted file. Wrong password? : a.txt\n\n"
        "Sub items Errors: 1\n\nArchives with Errors: 1\n")
                               << "ERROR: Data Error in encrypted file. Wrong password? : a.txt";
    QTest::newRow("prompt_and_spaces")
        << QByteArray("  bad   CRC \r\n[a.zip] a.txt password: \n") << "bad CRC";
    QTest::newRow("nothing") << QByteArray("\n---------\n\n") << "";
}

void TestArchiveFormats::reasonLine()
{
    QFETCH(QByteArray, errors);
    QFETCH(QString, line);
    QCOMPARE(lastMeaningfulLine(errors), line);
}

QTEST_GUILESS_MAIN(TestArchiveFormats)
#include "tst_archiveformats.moc"
