// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemonrig.h"

#include <QElapsedTimer>
#include <QtTest>
#include <csignal>

Q_DECLARE_METATYPE(std::vector<SchemeStep>)

// glowrad as a process on simulated lights: what it prints, and every request it sends.
class TestPlayback : public QObject
{
    Q_OBJECT
private slots:
    void demoSendsExactlyTheStepsRequests();
    void stepsLastTheirDurationAndZeroIsNoDelay();
    void commandLine_data();
    void commandLine();
    void openFailures_data();
    void openFailures();
    void oneLightPlaysAlone_data();
    void oneLightPlaysAlone();
    void damagedSchemesFiles_data();
    void damagedSchemesFiles();
};

namespace {

QStringList linesOf(const std::vector<SchemeStep> &steps, unsigned int userLevel)
{
    QStringList lines;
    for (const SchemeStep &s : steps)
        lines << stepLines(s, userLevel);
    return lines;
}

QString usage(const QString &path)
{
    return QStringLiteral("Usage:\n    %1 [scheme] [d]\n    %1 --help\n    %1 -h\n").arg(path)
           + QStringLiteral(" sheme       - work scheme (0-9, 0 default)\n"
                            "             Schemes:\n"
                            "              0: Funky\n"
                            "              1: Pulse\n"
                            "              2: Rhytmic\n"
                            "              3: Flicker\n"
                            "              4: Energized\n"
                            "              5: Beats\n"
                            "              6: Mania\n"
                            "              7: Alien\n"
                            "              8: Elemental\n"
                            "              9: Sonic\n"
                            " d           - show demo if set\n"
                            " --help, -h  - display this help\n");
}

const QString demoOutput = QStringLiteral("Showing demo\nDone\n");

}  // namespace

void TestPlayback::demoSendsExactlyTheStepsRequests()
{
    // Byte 1 after 80 goes back to the user's level; 0 switches off without a level; the next
    // lit step unblanks again; the keypad request goes out on every step, changed or not.
    const std::vector<SchemeStep> steps{step(50, 80, 1), step(30, 1, 5),   step(0, 0, 1),
                                        step(20, 0, 0),  step(40, 200, 0), step(10, 255, 0)};
    DaemonRig rig;
    QVERIFY(rig.isValid());
    rig.writeSchemes(schemesFile({{step(10, 9, 9)}, {}, steps}));
    rig.setBrightnessSetting(QStringLiteral("42"));
    rig.start({QStringLiteral("2"), QStringLiteral("d")});
    QVERIFY(rig.waitForEnd());
    QCOMPARE(rig.exitCode(), 0);
    QCOMPARE(rig.output(), demoOutput);
    QCOMPARE(rig.log(), openLines() + linesOf(steps, 42) + restoreLines(42));
}

void TestPlayback::stepsLastTheirDurationAndZeroIsNoDelay()
{
    std::vector<SchemeStep> steps;
    for (int beat = 0; beat < 8; ++beat) {
        steps.push_back(step(100, 80, 1));
        for (int i = 0; i < 50; ++i)
            steps.push_back(step(0, 1, 0));
    }
    DaemonRig rig;
    QVERIFY(rig.isValid());
    rig.writeSchemes(schemesFile({steps}));
    QElapsedTimer clock;
    clock.start();
    rig.start({QStringLiteral("0"), QStringLiteral("d")});
    QVERIFY(rig.waitForEnd());
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(rig.output(), demoOutput);
    QCOMPARE(rig.log().size(), 2 + 408 * 4 + 5);
    QVERIFY2(elapsed >= 800, qPrintable(QString::number(elapsed)));
    // 400 zero-length steps that each waited even 10 ms would add 4 s.
    QVERIFY2(elapsed < 4000, qPrintable(QString::number(elapsed)));
}

void TestPlayback::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");  // "%usage" for the usage text
    QTest::addColumn<int>("level");       // the level of the scheme that played, 100 + its number

    const QString usageText = QStringLiteral("%usage");
    const QString daemon = QStringLiteral("Running daemon\nExiting\n");
    QTest::newRow("no_arguments") << QStringList() << daemon << 100;
    QTest::newRow("only_the_first_character_counts") << QStringList{"12"} << daemon << 101;
    QTest::newRow("d_means_demo") << QStringList{"9", "d"} << demoOutput << 109;
    QTest::newRow("any_second_argument_means_demo") << QStringList{"7", "x"} << demoOutput << 107;
    QTest::newRow("further_arguments_ignored") << QStringList{"3", "d", "zz"} << demoOutput << 103;
    QTest::newRow("letter") << QStringList{"x"} << usageText << -1;
    QTest::newRow("letter_with_demo") << QStringList{"x", "d"} << usageText << -1;
    QTest::newRow("short_help") << QStringList{"-h"} << usageText << -1;
    QTest::newRow("long_help") << QStringList{"--help"} << usageText << -1;
    QTest::newRow("empty_argument") << QStringList{""} << usageText << -1;
}

void TestPlayback::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(int, level);

    std::vector<std::vector<SchemeStep>> schemes;
    for (int n = 0; n < SCHEME_COUNT; ++n)
        schemes.push_back({step(20, 100 + n, 1)});
    DaemonRig rig;
    QVERIFY(rig.isValid());
    rig.writeSchemes(schemesFile(schemes));
    rig.ring(true);
    rig.start(arguments);

    if (output == QLatin1String("%usage")) {
        QVERIFY(rig.waitForEnd());
        QCOMPARE(rig.exitCode(), 0);
        QCOMPARE(rig.output(), usage(rig.program()));
        QCOMPARE(rig.log(), QStringList());
        return;
    }
    const QString played = QStringLiteral("/dev/fb0 0x461b %1").arg(level);
    QVERIFY(rig.waitForLogLine(played));
    if (!output.startsWith(QLatin1String("Showing")))
        rig.signal(SIGTERM);
    QVERIFY(rig.waitForEnd());
    QCOMPARE(rig.exitCode(), 0);
    QCOMPARE(rig.output(), output);
    QCOMPARE(rig.log().mid(0, 6), openLines() + stepLines(step(20, level, 1), 25));
}

void TestPlayback::openFailures_data()
{
    QTest::addColumn<QString>("missingNodes");
    QTest::addColumn<bool>("schemesFile");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("said");  // on standard error
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("log");

    const QString noLight = QStringLiteral("glowrad: no light to play on: EZX_LIGHTS chooses the lights "
                                           "(phone, sysfs or sim:FILE; see glowrad(1))\n");
    QTest::newRow("framebuffer_and_schemes")
        << "/dev/fb0" << false << "Can't open /dev/fb0\nCan't open schemes file\n"
        << "" << 1 << QStringList{"open /dev/keylight"};
    QTest::newRow("everything") << "/dev/fb0,/dev/keylight" << false
                                << "Can't open /dev/fb0\nCan't open /dev/keylight\nCan't open schemes file\n"
                                << noLight << 1 << QStringList();
    QTest::newRow("both_lights") << "/dev/fb0,/dev/keylight" << true
                                 << "Can't open /dev/fb0\nCan't open /dev/keylight\n"
                                 << noLight << 1 << QStringList();
    QTest::newRow("schemes_file") << "" << false << "Can't open schemes file\n"
                                  << "" << 1 << QStringList{"open /dev/fb0", "open /dev/keylight"};
}

void TestPlayback::openFailures()
{
    QFETCH(QString, missingNodes);
    QFETCH(bool, schemesFile);
    QFETCH(QString, output);
    QFETCH(QString, said);
    QFETCH(int, status);
    QFETCH(QStringList, log);

    DaemonRig rig;
    QVERIFY(rig.isValid());
    if (schemesFile)
        rig.writeSchemes(::schemesFile({{step(10, 80, 1)}}));
    rig.setEnvironment(QStringLiteral("EZX_SIM_MISSING"), missingNodes);
    rig.start({QStringLiteral("0"), QStringLiteral("d")});
    QVERIFY(rig.waitForEnd());
    // A daemon that cannot start says so in its status, so that its service is restarted.
    QCOMPARE(rig.exitCode(), status);
    QCOMPARE(rig.output(), output);
    QCOMPARE(rig.errorOutput(), said);
    // No light touched, nothing that did open closed.
    QCOMPARE(rig.log(), log);
}

void TestPlayback::oneLightPlaysAlone_data()
{
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("kept");  // the node whose requests the log holds
    QTest::newRow("no_keypad_light") << "/dev/keylight"
                                     << "backlight alone"
                                     << "/dev/fb0";
    QTest::newRow("no_backlight") << "/dev/fb0"
                                  << "keypad light alone"
                                  << "/dev/keylight";
}

void TestPlayback::oneLightPlaysAlone()
{
    QFETCH(QString, missing);
    QFETCH(QString, said);
    QFETCH(QString, kept);

    const std::vector<SchemeStep> steps{step(10, 80, 1), step(10, 0, 0), step(10, 1, 1)};
    DaemonRig rig;
    QVERIFY(rig.isValid());
    rig.writeSchemes(schemesFile({steps}));
    rig.setEnvironment(QStringLiteral("EZX_SIM_MISSING"), missing);
    rig.start({QStringLiteral("0"), QStringLiteral("d")});
    QVERIFY(rig.waitForEnd());
    QCOMPARE(rig.exitCode(), 0);
    QCOMPARE(rig.output(), "Can't open " + missing + "\n" + demoOutput);
    // Said once, on standard error.
    QCOMPARE(rig.errorOutput().count(said), 1);
    // Every request of the scheme and of the restore that belongs to the light that is there.
    const QStringList all = openLines() + linesOf(steps, 25) + restoreLines(25);
    QStringList expected;
    for (const QString &line : all)
        if (line.contains(kept))
            expected << line;
    QCOMPARE(rig.log(), expected);
}

void TestPlayback::damagedSchemesFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<std::vector<SchemeStep>>("played");

    const std::vector<SchemeStep> three{step(10, 80, 1), step(10, 0, 0), step(10, 1, 1)};
    const QByteArray whole = schemesFile({three, three, three, three, three, three});

    QByteArray manySteps = whole;  // scheme 0 claims far more steps than the file holds
    manySteps[4] = '\xff';
    manySteps[5] = '\xff';
    manySteps[6] = '\xff';
    manySteps[7] = '\xff';
    manySteps.truncate(SCHEME_INDEX_SIZE + 3 * SCHEME_STEP_SIZE);
    QByteArray farAway = whole;  // scheme 1 starts far beyond the end
    for (int i = 8; i < 12; ++i)
        farAway[i] = '\xf0';

    QTest::newRow("shorter_than_its_index") << whole.left(30) << 5 << std::vector<SchemeStep>();
    QTest::newRow("index_whole_steps_missing")
        << whole.left(SCHEME_INDEX_SIZE) << 0 << std::vector<SchemeStep>();
    QTest::newRow("count_beyond_the_end") << manySteps << 0 << three;
    QTest::newRow("last_step_cut_in_half") << whole.left(SCHEME_INDEX_SIZE + 5 * SCHEME_STEP_SIZE + 2) << 1
                                           << std::vector<SchemeStep>{three[0], three[1]};
    QTest::newRow("offset_beyond_the_end") << farAway << 1 << std::vector<SchemeStep>();
    QTest::newRow("empty_file") << QByteArray() << 0 << std::vector<SchemeStep>();
    QTest::newRow("text_file_by_mistake")
        << QByteArray("Light schemes for the daemon live in data/ and are compiled at build time.\n")
               .repeated(4)
        << 3 << std::vector<SchemeStep>();
    QTest::newRow("scheme_without_steps") << whole << 7 << std::vector<SchemeStep>();
}

void TestPlayback::damagedSchemesFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(int, scheme);
    QFETCH(std::vector<SchemeStep>, played);

    DaemonRig rig;
    QVERIFY(rig.isValid());
    rig.writeSchemes(file);
    rig.start({QString::number(scheme), QStringLiteral("d")});
    QVERIFY(rig.waitForEnd(5000));
    QCOMPARE(rig.exitCode(), 0);
    QCOMPARE(rig.output(), demoOutput);
    QCOMPARE(rig.log(), openLines() + linesOf(played, 25) + restoreLines(25));
}

QTEST_GUILESS_MAIN(TestPlayback)
#include "tst_glowrad_playback.moc"
