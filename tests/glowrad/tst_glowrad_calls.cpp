// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemonrig.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QtTest>
#include <csignal>
#include <unistd.h>

// glowrad in daemon mode: following a ringing call, keeping still when there is none, and
// ending on a signal.
class TestCalls : public QObject
{
    Q_OBJECT
private slots:
    void followsACallThatEndsMidScheme();
    void signalRestoresTheLightsAtOnce_data();
    void signalRestoresTheLightsAtOnce();
    void nothingToPlayDoesNotSpin_data();
    void nothingToPlayDoesNotSpin();
};

namespace {

// The CPU time the process has used, in clock ticks.
long cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the parenthesised command name: state is 3, utime 14, stime 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLong() + fields[12].toLong() : -1;
}

}  // namespace

void TestCalls::followsACallThatEndsMidScheme()
{
    const SchemeStep first = step(1000, 80, 1);
    const SchemeStep second = step(2000, 0, 1);
    DaemonRig rig;
    QVERIFY(rig.isValid());
    rig.writeSchemes(schemesFile({{first, second, step(300, 1, 0)}}));
    rig.setBrightnessSetting(QStringLiteral("42"));
    rig.start({});
    QVERIFY(rig.waitForOutput(QStringLiteral("Running daemon\n")));

    // Idle with the lights as they are: nothing to put back, so nothing is sent.
    QThread::msleep(1500);
    QCOMPARE(rig.log(), openLines());

    // A call rings; it ends during the second step.
    rig.ring(true);
    QStringList expected = openLines() + stepLines(first, 42) + stepLines(second, 42);
    QVERIFY(rig.waitForLog([&](const QStringList &log) { return log.size() >= expected.size(); }));
    rig.ring(false);
    // The next poll puts back what the scheme changed: backlight, level, keypad light.
    expected << QStringLiteral("/dev/fb0 0x4619 1") << QStringLiteral("/dev/fb0 0x461b 42")
             << QStringLiteral("/dev/keylight 0xf2 0");
    QVERIFY(rig.waitForLog([&](const QStringList &log) { return log.size() >= expected.size(); }));
    QCOMPARE(rig.log(), expected);
    QThread::msleep(1500);
    QCOMPARE(rig.log(), expected);

    // The next call plays the scheme from its first step.
    rig.ring(true);
    expected << stepLines(first, 42);
    QVERIFY(rig.waitForLog([&](const QStringList &log) { return log.size() >= expected.size(); }));
    rig.signal(SIGTERM);
    QVERIFY(rig.waitForEnd());
    QCOMPARE(rig.exitCode(), 0);
    QCOMPARE(rig.output(), QStringLiteral("Running daemon\nExiting\n"));
    QCOMPARE(rig.log(), expected + restoreLines(42));
}

void TestCalls::signalRestoresTheLightsAtOnce_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("demo");
    QTest::addColumn<bool>("ringing");

    QTest::newRow("sigterm_in_a_long_step") << int(SIGTERM) << false << true;
    QTest::newRow("sigint_in_a_long_step_of_a_demo") << int(SIGINT) << true << false;
    QTest::newRow("sigterm_while_idle") << int(SIGTERM) << false << false;
}

void TestCalls::signalRestoresTheLightsAtOnce()
{
    QFETCH(int, signal);
    QFETCH(bool, demo);
    QFETCH(bool, ringing);

    const SchemeStep longStep = step(10000, 90, 1);
    DaemonRig rig;
    QVERIFY(rig.isValid());
    rig.writeSchemes(schemesFile({{longStep}}));
    rig.ring(ringing);
    rig.start(demo ? QStringList{QStringLiteral("0"), QStringLiteral("d")} : QStringList());
    QStringList expected = openLines();
    if (ringing || demo) {
        expected << stepLines(longStep, 25);
        QVERIFY(rig.waitForLog([&](const QStringList &log) { return log.size() >= expected.size(); }));
        QThread::msleep(200);
    } else {
        // Just into the first second of waiting.
        QVERIFY(rig.waitForOutput(QStringLiteral("Running daemon\n")));
    }

    QElapsedTimer clock;
    clock.start();
    rig.signal(signal);
    QVERIFY(rig.waitForEnd());
    const qint64 elapsed = clock.elapsed();
    qDebug("ended %lld ms after the signal", elapsed);
    // Long before the 10 s step would have ended (and with room for a loaded machine).
    QVERIFY2(elapsed < 2000, qPrintable(QString::number(elapsed)));
    QCOMPARE(rig.exitCode(), 0);
    QVERIFY(rig.output().endsWith(QLatin1String("\nExiting\n")));
    QCOMPARE(rig.log(), expected + restoreLines(25));
}

void TestCalls::nothingToPlayDoesNotSpin_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("maxLines");

    QByteArray pastTheEnd = schemesFile({{}});
    pastTheEnd[4] = 5;  // five steps claimed, none there
    const QByteArray zeroLength = schemesFile({{step(0, 80, 1), step(0, 0, 0)}});
    // About a pass a second for 2.5 s: opens, up to three passes of 6 requests.
    QTest::newRow("no_steps") << schemesFile({{}}) << 2;
    QTest::newRow("steps_past_the_end") << pastTheEnd << 2;
    QTest::newRow("only_zero_length_steps") << zeroLength << 2 + 3 * 6;
}

void TestCalls::nothingToPlayDoesNotSpin()
{
    QFETCH(QByteArray, file);
    QFETCH(int, maxLines);

    DaemonRig rig;
    QVERIFY(rig.isValid());
    rig.writeSchemes(file);
    rig.ring(true);
    rig.start({});
    QVERIFY(rig.waitForOutput(QStringLiteral("Running daemon\n")));
    QThread::msleep(2500);
    const long ticks = cpuTicks(rig.pid());
    QVERIFY(ticks >= 0);
    // A spinning daemon burns the whole 2.5 s; an idle one a few ticks for starting.
    QVERIFY2(ticks < sysconf(_SC_CLK_TCK) / 2, qPrintable(QString::number(ticks)));
    QVERIFY2(rig.log().size() <= maxLines, qPrintable(QString::number(rig.log().size())));

    rig.signal(SIGTERM);
    QVERIFY(rig.waitForEnd(2000));
    QCOMPARE(rig.output(), QStringLiteral("Running daemon\nExiting\n"));
    QCOMPARE(rig.log().mid(rig.log().size() - 5), restoreLines(25));
}

QTEST_GUILESS_MAIN(TestCalls)
#include "tst_glowrad_calls.moc"
