// SPDX-License-Identifier: GPL-2.0-or-later
#include "schemefile.h"
#include "schemesource.h"
#include "stepclock.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <set>

// The schemes file records, the source compiler and its tool, the step timing, and the ten
// schemes we ship.
class TestSchemes : public QObject
{
    Q_OBJECT
private slots:
    void decodesLittleEndianRecords();
    void compilesIntoTheFileLayout();
    void expandsRepeatsAndRamps();
    void refusesWhatItCannotEncode_data();
    void refusesWhatItCannotEncode();
    void toolNamesFileAndLineAndWritesNothing();
    void stepClockDoesNotDriftButRecoversFromStalls();
    void shippedSchemesAreShows();
};

namespace {

QByteArray bytes(const std::vector<unsigned char> &data)
{
    return QByteArray(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
}

std::vector<SchemeStep> stepsOf(const std::vector<unsigned char> &file, int scheme)
{
    const SchemeEntry entry = schemeEntry(file.data(), file.size(), scheme);
    std::vector<SchemeStep> steps;
    for (std::uint32_t i = 0; i < entry.steps; ++i)
        steps.push_back(decodeStep(file.data() + entry.offset + i * SCHEME_STEP_SIZE));
    return steps;
}

QString show(const std::vector<SchemeStep> &steps)
{
    QStringList parts;
    for (const SchemeStep &s : steps)
        parts << QStringLiteral("%1/%2/%3").arg(s.duration).arg(s.backlight).arg(s.keypad);
    return parts.join(QLatin1Char(' '));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

void TestSchemes::decodesLittleEndianRecords()
{
    unsigned char index[SCHEME_INDEX_SIZE] = {};
    const unsigned char second[8] = {0x78, 0x56, 0x34, 0x12, 0x03, 0x00, 0x00, 0x80};
    std::memcpy(index + SCHEME_ENTRY_SIZE, second, sizeof second);

    const SchemeEntry entry = schemeEntry(index, sizeof index, 1);
    QCOMPARE(entry.offset, 0x12345678u);
    QCOMPARE(entry.steps, 0x80000003u);
    // An entry the short read did not bring in whole is a scheme without steps.
    QCOMPARE(schemeEntry(index, 15, 1).steps, 0u);
    QCOMPARE(schemeEntry(index, 16, 1).steps, 0x80000003u);
    QCOMPARE(schemeEntry(index, sizeof index, 10).steps, 0u);
    QCOMPARE(schemeEntry(index, sizeof index, -1).steps, 0u);

    const unsigned char raw[4] = {0x34, 0x12, 0xC8, 0x00};
    const SchemeStep s = decodeStep(raw);
    QCOMPARE(s.duration, std::uint16_t(0x1234));
    QCOMPARE(s.backlight, std::uint8_t(200));
    QCOMPARE(s.keypad, std::uint8_t(0));
}

void TestSchemes::compilesIntoTheFileLayout()
{
    const std::string source = "# two schemes\n"
                               "scheme Funky\n"
                               "  100 80 on     # a comment after a step\n"
                               "\n"
                               "  0 user off\n"
                               "scheme Pulse\n"
                               "\t65535 off 7\n";
    std::vector<unsigned char> out;
    SchemeSourceError error;
    QVERIFY(compileSchemes(source, out, error));

    QByteArray expected;
    const char *index = "\x50\0\0\0\x02\0\0\0"   // Funky: 2 steps at 80
                        "\x58\0\0\0\x01\0\0\0";  // Pulse: 1 step at 88
    expected.append(index, 16);
    for (int n = 2; n < SCHEME_COUNT; ++n)
        expected.append("\x5c\0\0\0\0\0\0\0", 8);  // empty, at the end
    expected.append("\x64\x00\x50\x01"
                    "\x00\x00\x01\x00"
                    "\xff\xff\x00\x07",
                    12);
    QCOMPARE(bytes(out), expected);
}

void TestSchemes::expandsRepeatsAndRamps()
{
    const std::string source = "scheme Funky\n"
                               "repeat 2\n"
                               "  10 off on\n"
                               "  repeat 2\n"
                               "    20 50 off\n"
                               "  end\n"
                               "end\n"
                               "ramp 30 10 20 3 on\n"
                               "ramp 40 100 2 4 off\n";
    std::vector<unsigned char> out;
    SchemeSourceError error;
    QVERIFY(compileSchemes(source, out, error));
    QCOMPARE(show(stepsOf(out, 0)),
             QStringLiteral("10/0/1 20/50/0 20/50/0 10/0/1 20/50/0 20/50/0 "
                            "30/10/1 30/15/1 30/20/1 40/100/0 40/67/0 40/35/0 40/2/0"));
}

void TestSchemes::refusesWhatItCannotEncode_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");

    QString eleven;
    for (const char *name : schemeNames)
        eleven += QStringLiteral("scheme %1\n10 80 on\n").arg(QLatin1String(name));
    eleven += QStringLiteral("scheme Extra\n");

    QTest::newRow("duration_over_65535") << "scheme Funky\n65536 80 on\n" << 2 << "duration \"65536\"";
    QTest::newRow("negative_duration") << "scheme Funky\n-5 80 on\n" << 2 << "duration \"-5\"";
    QTest::newRow("duration_with_unit") << "scheme Funky\n10ms 80 on\n" << 2 << "duration \"10ms\"";
    QTest::newRow("level_over_255") << "scheme Funky\n10 256 on\n" << 2 << "backlight \"256\"";
    QTest::newRow("hex_keypad") << "scheme Funky\n10 80 0x1\n" << 2 << "keypad light \"0x1\"";
    QTest::newRow("missing_field") << "scheme Funky\n10 80\n" << 2 << "expected DURATION LIGHT KEYS";
    QTest::newRow("more_than_ten_schemes") << eleven << 21 << "more than ten schemes";
    QTest::newRow("scheme_out_of_menu_order") << "scheme Pulse\n" << 1 << "scheme 0 is called \"Funky\"";
    QTest::newRow("step_before_a_scheme") << "# start\n10 80 on\n" << 2 << "before the first scheme";
    QTest::newRow("unknown_word") << "scheme Funky\nflash 10\n" << 2 << "unknown statement \"flash\"";
    QTest::newRow("repeat_left_open_at_next_scheme") << "scheme Funky\nrepeat 2\n10 80 on\nscheme Pulse\n"
                                                     << 2 << "repeat without end";
    QTest::newRow("repeat_left_open_at_end") << "scheme Funky\n\nrepeat 2\n10 80 on\n"
                                             << 3 << "repeat without end";
    QTest::newRow("end_without_repeat") << "scheme Funky\nend\n" << 2 << "end without repeat";
    QTest::newRow("repeat_zero") << "scheme Funky\nrepeat 0\n" << 2 << "repeat count \"0\"";
    QTest::newRow("repeats_too_long") << "scheme Funky\nrepeat 200\nrepeat 200\n1 80 on\nend\nend\n"
                                      << 6 << "more than 16384 steps";
    QTest::newRow("ramp_through_user_level") << "scheme Funky\nramp 10 1 50 3 on\n"
                                             << 2 << "ramp level \"1\"";
    QTest::newRow("ramp_of_one_step") << "scheme Funky\nramp 10 2 50 1 on\n" << 2 << "ramp count \"1\"";
    QTest::newRow("no_scheme_at_all") << "# nothing here\n" << 0 << "no scheme";
}

void TestSchemes::refusesWhatItCannotEncode()
{
    QFETCH(QString, source);
    QFETCH(int, line);
    QFETCH(QString, message);

    std::vector<unsigned char> out{42};
    SchemeSourceError error;
    QVERIFY(!compileSchemes(source.toStdString(), out, error));
    QCOMPARE(error.line, line);
    QVERIFY2(QString::fromStdString(error.message).contains(message), error.message.c_str());
    QCOMPARE(out, std::vector<unsigned char>{42});
}

void TestSchemes::toolNamesFileAndLineAndWritesNothing()
{
    const QString tool = qEnvironmentVariable("EZX_TEST_BIN_DIR") + QStringLiteral("/glowrad-schemec");
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("schemes.txt"));
    const QString target = dir.filePath(QStringLiteral("out.sch"));

    QFile bad(source);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("scheme Funky\n10 80 on\n70000 80 on\n");
    bad.close();
    QProcess run;
    run.start(tool, {source, target});
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitCode(), 1);
    QVERIFY(
        run.readAllStandardError().startsWith((source + QStringLiteral(":3: duration \"70000\"")).toUtf8()));
    QVERIFY(!QFile::exists(target));

    QVERIFY(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("scheme Funky\n10 80 on\n");
    bad.close();
    run.start(tool, {source, target});
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitCode(), 0);
    QCOMPARE(readFile(target).size(), qsizetype(SCHEME_INDEX_SIZE + SCHEME_STEP_SIZE));
}

void TestSchemes::stepClockDoesNotDriftButRecoversFromStalls()
{
    constexpr std::int64_t ms = 1'000'000;
    StepClock clock;
    QCOMPARE(clock.next(1000 * ms, 100), 1100 * ms);
    // Woken 3 ms late and the requests took 1 ms more: the next step still ends on the beat.
    QCOMPARE(clock.next(1104 * ms, 50), 1150 * ms);
    QCOMPARE(clock.next(1150 * ms, 0), 1150 * ms);
    // Stopped for half a second: start afresh rather than race through the missed steps.
    QCOMPARE(clock.next(1650 * ms, 10), 1660 * ms);
    clock.stop();
    QCOMPARE(clock.next(1661 * ms, 10), 1671 * ms);
}

void TestSchemes::shippedSchemesAreShows()
{
    const QByteArray file =
        readFile(qEnvironmentVariable("EZX_TEST_BIN_DIR") + QStringLiteral("/glowrad.sch"));
    const std::vector<unsigned char> data(file.begin(), file.end());
    std::set<QString> seen;
    for (int n = 0; n < SCHEME_COUNT; ++n) {
        const std::vector<SchemeStep> steps = stepsOf(data, n);
        int total = 0;
        bool keypad = false, offOrUser = false, ownLevel = false;
        for (const SchemeStep &s : steps) {
            total += s.duration;
            keypad = keypad || s.keypad;
            offOrUser = offOrUser || s.backlight < 2;
            ownLevel = ownLevel || s.backlight >= 2;
        }
        const QByteArray name = schemeNames[n];
        // A loop of a few seconds that uses both lights; no two alike.
        QVERIFY2(total >= 2000 && total <= 8000, name);
        QVERIFY2(steps.size() >= 15, name);
        QVERIFY2(keypad && offOrUser && ownLevel, name);
        QVERIFY2(seen.insert(show(steps)).second, name);
    }
}

QTEST_GUILESS_MAIN(TestSchemes)
#include "tst_glowrad_schemes.moc"
