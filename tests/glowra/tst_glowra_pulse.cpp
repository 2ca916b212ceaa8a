// SPDX-License-Identifier: GPL-2.0-or-later
#include "glowra.h"
#include "lights.h"
#include "simlights.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/types.h>

// The flasher on the microphone of a real sound server that the test starts for itself: a null
// sink of 8000 Hz mono whose monitor is the default source, so a tone played into the sink
// with pacat is what the flasher hears.
class TestPulseFlasher : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void beatsDuringLowToneNoneInSilence();
    void unreachableServerGivesSilence_data();
    void unreachableServerGivesSilence();
    void serverGoingAwayMidCaptureGivesSilence();

private:
    bool startServer();
    void stopServer(int signal);
    pid_t serverPid() const;
    void playTone(int seconds);
    static int beats(const QStringList &log);

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QProcess> player;
};

bool TestPulseFlasher::startServer()
{
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("pulseaudio"), {"-n", "-F", dir->filePath("server.pa"), "--daemonize=yes",
                                                "--exit-idle-time=-1", "--log-target=stderr"});
    if (!server.waitForFinished(15000) || server.exitCode() != 0) {
        server.kill();
        qWarning("pulseaudio did not start: %s", server.readAll().constData());
        return false;
    }
    return serverPid() > 0;
}

pid_t TestPulseFlasher::serverPid() const
{
    QFile pidFile(dir->filePath("run/pulse/pid"));
    return pidFile.open(QIODevice::ReadOnly) ? pid_t(pidFile.readAll().trimmed().toInt()) : 0;
}

void TestPulseFlasher::stopServer(int signal)
{
    const pid_t pid = serverPid();
    if (pid <= 0)
        return;
    ::kill(pid, signal);
    QTRY_VERIFY_WITH_TIMEOUT(::kill(pid, 0) != 0, 5000);
    QFile::remove(dir->filePath("run/pulse/pid"));
}

void TestPulseFlasher::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pacat")).isEmpty())
        QSKIP("needs pulseaudio and pacat (scripts/deps.d/media.txt)");
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    QVERIFY(QDir(dir->path()).mkpath("run") && QDir(dir->path()).mkpath("home"));
    QFile::setPermissions(dir->filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile script(dir->filePath("server.pa"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("load-module module-null-sink sink_name=tone rate=8000 channels=1 format=s16le\n"
                 "load-module module-native-protocol-unix auth-anonymous=1\n"
                 "set-default-source tone.monitor\n");
    script.close();
    QFile clientConfig(dir->filePath("client.conf"));
    QVERIFY(clientConfig.open(QIODevice::WriteOnly));
    clientConfig.write("autospawn = no\n");
    clientConfig.close();
    // A private server, also for root without a desktop session.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->filePath("run")));
    qputenv("HOME", QFile::encodeName(dir->filePath("home")));
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(clientConfig.fileName()));
    qunsetenv("PULSE_SERVER");
    QVERIFY(startServer());
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(dir->filePath("run/pulse/native")));
}

void TestPulseFlasher::cleanupTestCase()
{
    if (dir)
        stopServer(SIGTERM);
}

void TestPulseFlasher::init()
{
    qunsetenv("EZX_MIC");
    glowO.setSens(2560);
    glowO.setSmooth(false);
    fl_fbbr = 80;
    if (serverPid() <= 0)
        QVERIFY(startServer());
}

void TestPulseFlasher::cleanup()
{
    glowO.stop();
    if (player) {
        player->kill();
        player->waitForFinished(5000);
        player.reset();
    }
}

// A loud low square tone (period 64 samples, 125 Hz) into the sink.
void TestPulseFlasher::playTone(int seconds)
{
    QFile tone(dir->filePath("tone.raw"));
    if (!tone.exists()) {
        QVERIFY(tone.open(QIODevice::WriteOnly));
        for (int i = 0; i < 8000; ++i) {
            const qint16 sample = i % 64 < 32 ? 8000 : -8000;
            tone.write(reinterpret_cast<const char *>(&sample), 2);  // s16le on this machine
        }
        tone.close();
    }
    QStringList arguments{"--playback",   "--device=tone",  "--rate=8000",
                          "--channels=1", "--format=s16le", "--raw"};
    QString loop;
    for (int second = 0; second < seconds; ++second)
        loop += QStringLiteral(" \"$1\"");
    player.reset(new QProcess);
    player->setProcessChannelMode(QProcess::MergedChannels);
    player->start(QStringLiteral("/bin/sh"),
                  {"-c", "cat" + loop + " | pacat " + arguments.join(' '), "sh", tone.fileName()});
    QVERIFY(player->waitForStarted(5000));
}

// In plain mode every beat block sets the flash level; a held tone is one long flash.
int TestPulseFlasher::beats(const QStringList &log)
{
    return int(log.filter(QStringLiteral("/dev/fb0 0x461b ")).size());
}

void TestPulseFlasher::beatsDuringLowToneNoneInSilence()
{
    // Unset, the microphone is the server's default source.
    clearLightLog();
    glowO.start();
    // Quiet blocks switch the lights off, two requests each.
    QTRY_VERIFY_WITH_TIMEOUT(lightLog().size() > 30, 4000);
    QCOMPARE(beats(lightLog()), 0);

    playTone(2);
    QTRY_VERIFY_WITH_TIMEOUT(beats(lightLog()) >= 3, 4000);
    glowO.stop();
}

void TestPulseFlasher::unreachableServerGivesSilence_data()
{
    QTest::addColumn<QByteArray>("mic");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<int>("opened");
    QTest::newRow("absent, asked for") << QByteArray("pulse") << false << -1;
    QTest::newRow("absent, by default") << QByteArray() << false << 0;
    QTest::newRow("hanging, asked for") << QByteArray("pulse:tone.monitor") << true << -1;
    QTest::newRow("unknown source") << QByteArray("pulse:no.such.source") << false << -1;
}

void TestPulseFlasher::unreachableServerGivesSilence()
{
    QFETCH(QByteArray, mic);
    QFETCH(bool, stopped);
    QFETCH(int, opened);
    const QByteArray server = qgetenv("PULSE_SERVER");
    if (!stopped && mic != "pulse:no.such.source")
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(dir->filePath("run/nobody-here")));
    if (stopped)
        ::kill(serverPid(), SIGSTOP);
    if (!mic.isNull())
        qputenv("EZX_MIC", mic);

    ZAudioNormalDev mic8k(SOUNDM_AUDIO_NORMALDEV_TYPE_MIC, 8000, 1, 2);
    QElapsedTimer clock;
    clock.start();
    const int result = mic8k.open();
    const qint64 openMs = clock.elapsed();
    short block[800];
    std::fill(block, block + 800, short(1));
    clock.restart();
    mic8k.read(block, 800);
    const qint64 readMs = clock.elapsed();

    if (stopped)
        ::kill(serverPid(), SIGCONT);
    qputenv("PULSE_SERVER", server);
    QCOMPARE(result, opened);
    QVERIFY2(openMs < 3000, "connecting is bounded");
    QVERIFY(std::all_of(block, block + 800, [](short s) { return s == 0; }));
    QVERIFY2(readMs >= 50, "silence comes in real time, so the flasher does not spin");
}

void TestPulseFlasher::serverGoingAwayMidCaptureGivesSilence()
{
    qputenv("EZX_MIC", "pulse:tone.monitor");
    playTone(8);
    clearLightLog();
    glowO.start();
    QTRY_VERIFY_WITH_TIMEOUT(beats(lightLog()) >= 2, 4000);

    stopServer(SIGKILL);
    QTest::qWait(300);
    clearLightLog();
    // Ten blocks judged, each darkening both lights again.
    QTRY_VERIFY2_WITH_TIMEOUT(lightLog().size() >= 20, "the worker goes on after the server went away", 5000);
    const QStringList quiet = lightLog();
    QCOMPARE(beats(quiet), 0);

    QElapsedTimer clock;
    clock.start();
    glowO.stop();
    QVERIFY(clock.elapsed() < 1000);
    QVERIFY(!glowO.runned());
}

SIM_LIGHTS_TEST_MAIN(TestPulseFlasher, QCoreApplication)

#include "tst_glowra_pulse.moc"
