// SPDX-License-Identifier: GPL-2.0-or-later
#include "blockanalysis.h"
#include "daemoncommands.h"
#include "daemonwatch.h"
#include "panelsettings.h"

#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>
#include <vector>

using Block = std::vector<short>;
Q_DECLARE_METATYPE(Block)

// A square wave of the given period over one block, starting with its positive half.
static Block squareBlock(int period, short amplitude)
{
    Block block(BLOCK_SAMPLES);
    for (unsigned int i = 0; i < BLOCK_SAMPLES; ++i)
        block[i] = (int(i) % period) < period / 2 ? amplitude : short(-amplitude);
    return block;
}

class TestPanelCore : public QObject
{
    Q_OBJECT
private slots:
    void measureBlocks_data();
    void measureBlocks();
    void lowToneTogglesKeypadAndFlashEndsAtSecondQuietBlock();
    void smoothFlashFollowsLoudness();
    void settingsDefaultsAndCorrections_data();
    void settingsDefaultsAndCorrections();
    void daemonCommands_data();
    void daemonCommands();
    void overlongPathIsRefused();
    void daemonsAreTheUsersProcessesNamedGlowrad();
};

void TestPanelCore::measureBlocks_data()
{
    QTest::addColumn<Block>("block");
    QTest::addColumn<int>("runs");
    QTest::addColumn<float>("loudness");
    QTest::newRow("silence_is_quiet") << Block(BLOCK_SAMPLES, 0) << 0 << 0.0f;
    QTest::newRow("no_negative_sample_is_quiet") << Block(BLOCK_SAMPLES, 30000) << 0 << 0.0f;
    // S = 192 x (1920 / 192) = 1920, weighed 100 / 3 = 33 times.
    QTest::newRow("low_tone") << squareBlock(64, 1920) << 3 << 63360.0f;
    // Weighed once; magnitudes below 192 add nothing to S.
    QTest::newRow("high_soft_tone") << squareBlock(2, 191) << 96 << 0.0f;
    QTest::newRow("most_negative_sample_counts_positive")
        << Block(BLOCK_SAMPLES, -32768) << 1 << 170.0f * 192 * 100;
}

void TestPanelCore::measureBlocks()
{
    QFETCH(Block, block);
    QFETCH(int, runs);
    QFETCH(float, loudness);
    const BlockMeasure measure = measureBlock(block.data());
    QCOMPARE(measure.negativeRuns, runs);
    QCOMPARE(blockLoudness(measure), loudness);
    FlashState state;
    QCOMPARE(respondToBlock(state, measure, 512, false, 80).beat, loudness > 512);
}

void TestPanelCore::lowToneTogglesKeypadAndFlashEndsAtSecondQuietBlock()
{
    const BlockMeasure low = measureBlock(squareBlock(64, 1920).data());
    const BlockMeasure high = measureBlock(squareBlock(4, 19200).data());  // 48 runs: not low
    const BlockMeasure quiet = measureBlock(Block(BLOCK_SAMPLES, 0).data());
    struct Expected
    {
        BlockMeasure block;
        int level;
        KeypadRequest keypad;
        bool flash, off;
    };
    const KeypadRequest none = KeypadRequest::None, on = KeypadRequest::On, off = KeypadRequest::Off;
    const Expected steps[] = {
        {low, 80, on, true, false},     // first beat: keypad on, flash
        {low, 80, none, false, false},  // toggle cleared without a request: the light stays on
        {low, 80, on, false, false},
        {high, 80, off, false, false},    // a high beat switches the toggled light off
        {quiet, -1, none, false, false},  // the flash holds one more block
        {quiet, -1, off, false, true},
        {quiet, -1, off, false, true},
    };
    FlashState state;
    int i = 0;
    for (const Expected &step : steps) {
        const BlockResponse r = respondToBlock(state, step.block, 2560, false, 80);
        QVERIFY2(r.level == step.level && r.keypad == step.keypad && r.flash == step.flash
                     && r.backlightOff == step.off,
                 qPrintable(QStringLiteral("block %1").arg(i)));
        ++i;
    }
}

void TestPanelCore::smoothFlashFollowsLoudness()
{
    // L = 63360 = 2 T.
    const BlockMeasure low = measureBlock(squareBlock(64, 1920).data());
    FlashState state;
    QCOMPARE(respondToBlock(state, low, 31680, true, 80).level, 50);
    const BlockMeasure quiet = measureBlock(Block(BLOCK_SAMPLES, 0).data());
    const BlockResponse dim = respondToBlock(state, quiet, 31680, true, 80);
    QCOMPARE(dim.level, 0);
    QVERIFY(!dim.backlightOff);
    QCOMPARE(sensThreshold(0), short(26439));
    QCOMPARE(sensThreshold(9), short(512));
    QCOMPARE(sensThreshold(10), short(1906));
}

void TestPanelCore::settingsDefaultsAndCorrections_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("settings");  // as written back
    QTest::newRow("no_file") << QByteArray() << -1 << QByteArray::fromHex("00000000062a0000");
    QTest::newRow("language_7_sensitivity_12_brightness_150")
        << QByteArray::fromHex("070000000c960100") << 8 << QByteArray::fromHex("00000000062a0100");
    QTest::newRow("russian_kept") << QByteArray::fromHex("0100000009640101") << 8
                                  << QByteArray::fromHex("0100000009640101");
    QTest::newRow("cut_after_sensitivity")
        << QByteArray::fromHex("0100000003") << 5 << QByteArray::fromHex("01000000032a0000");
    QTest::newRow("cut_inside_language")
        << QByteArray::fromHex("0100") << 2 << QByteArray::fromHex("00000000062a0000");
}

void TestPanelCore::settingsDefaultsAndCorrections()
{
    QFETCH(QByteArray, file);
    QFETCH(int, count);
    QFETCH(QByteArray, settings);
    const glowSettings read =
        decodeSettings(reinterpret_cast<const unsigned char *>(file.constData()), count, 42);
    QByteArray written(int(SETTINGS_SIZE), '\0');
    encodeSettings(read, reinterpret_cast<unsigned char *>(written.data()));
    QCOMPARE(written.toHex(), settings.toHex());
}

void TestPanelCore::daemonCommands_data()
{
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("demo");
    QTest::addColumn<QString>("daemon");
    QTest::newRow("plain_path_as_is") << "/opt/x/glowra"
                                      << "/opt/x/glowrad 4 d &"
                                      << "/opt/x/glowrad 4 &";
    QTest::newRow("percent_is_not_a_format") << "/a%s%n/glowra"
                                             << "/a%s%n/glowrad 4 d &"
                                             << "/a%s%n/glowrad 4 &";
    QTest::newRow("blank_and_quote_quoted") << "/my dir/it's/glowra"
                                            << "'/my dir/it'\\''s/glowrad' 4 d &"
                                            << "'/my dir/it'\\''s/glowrad' 4 &";
}

void TestPanelCore::daemonCommands()
{
    QFETCH(QString, panel);
    QFETCH(QString, demo);
    QFETCH(QString, daemon);
    QVERIFY(setInvocationPath(panel.toUtf8().constData()));
    QCOMPARE(QString::fromUtf8(sfsname), panel + ".conf");
    QCOMPARE(QString::fromStdString(daemonCommand(sfdname, 4)), demo);
    QCOMPARE(QString::fromStdString(daemonCommand(sfdsname, 4)), daemon);
    // Stop daemon: the phone's line, its list of numbers cut down by awk to the user's glowrads.
    QCOMPARE(QString::fromUtf8(stopDaemonCommand),
             QStringLiteral("kill `ps -eo pid,ucmd,euid | grep glowrad | awk -v me=\"$(id -u)\" 'NF == 3 && "
                            "$2 == \"glowrad\" && $3 == me { print $1 }'` > /dev/null 2> /dev/null"));
}

void TestPanelCore::overlongPathIsRefused()
{
    // The longest plain path that fits: 247 bytes plus "d %d d &" fill the 256-byte buffer.
    const std::string fits = "/" + std::string(239, 'a') + "/glowra";
    QVERIFY(setInvocationPath(fits.c_str()));
    QCOMPARE(daemonCommand(sfdname, 9), fits + "d 9 d &");
    QVERIFY(!setInvocationPath((fits + "x").c_str()));
    QCOMPARE(sfsname[0], '\0');
    QCOMPARE(sfdname[0], '\0');
    // Quoting and '%' doubling count against the limit too.
    QVERIFY(!setInvocationPath(("/" + std::string(200, '%') + "/glowra").c_str()));
}

void TestPanelCore::daemonsAreTheUsersProcessesNamedGlowrad()
{
    // A /proc of stat lines as the kernel writes them: "PID (NAME) STATE ...".
    QTemporaryDir proc;
    const auto process = [&proc](int pid, const QByteArray &stat) {
        QDir(proc.path()).mkdir(QString::number(pid));
        QFile file(proc.filePath(QString::number(pid) + "/stat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(pid) + " " + stat + " 1 1 0\n");
    };
    process(101, "(glowrad) S");
    process(102, "(glowrad) Z");          // ended, not yet reaped
    process(103, "(glowrad-schemec) R");  // a name that only holds the daemon's
    process(104, "(glowra) S");
    process(105, "(x) (glowrad) S");  // a name with ")" and blanks
    process(106, "(glowrad");         // cut short
    process(107, "(glowrad) D");
    QDir(proc.path()).mkdir("self");
    std::vector<int> found = runningDaemons(proc.path().toStdString(), ::getuid());
    std::sort(found.begin(), found.end());
    QCOMPARE(found, (std::vector<int>{101, 107}));
    if (::getuid() == 0) {
        // Another user's glowrad is not ours to report on.
        QVERIFY(::chown(QFile::encodeName(proc.filePath("107")).constData(), 65534, 65534) == 0);
        QCOMPARE(runningDaemons(proc.path().toStdString(), ::getuid()), std::vector<int>{101});
    }
    QVERIFY(runningDaemons(proc.filePath("missing").toStdString(), ::getuid()).empty());
    // A panel installed under another name starts its own name's daemon, whose command name
    // the kernel cuts to 15 bytes.
    process(108, "(glowra-1.0d) S");
    process(109, "(panel-for-light) S");
    QCOMPARE(runningDaemons(proc.path().toStdString(), ::getuid(), "/opt/x/glowra-1.0d"), std::vector<int>{108});
    QCOMPARE(runningDaemons(proc.path().toStdString(), ::getuid(), "/opt/panel-for-lights-2d"),
             std::vector<int>{109});
}

QTEST_GUILESS_MAIN(TestPanelCore)
#include "tst_glowra_core.moc"
