// SPDX-License-Identifier: GPL-2.0-or-later
#include "callstatus.h"
#include "lights.h"
#include "phonepath.h"
#include "simlightlog.h"
#include "zaudionormaldev.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

class TestDevices : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void phonePaths();
    void simLogsEveryRequest();
    void simStartStateAndReads();
    void simFailures();
    void simLogIsSharedByProcesses();
    void phoneBackendUsesRootedNodes();
    void callStatusFollowsFile();
    void fileMicIsPacedAndEndsInSilence();
    void closedMicStillPaces();

private:
    QStringList logLines() const;
    QTemporaryDir dir;
    QString log;
};

void TestDevices::init()
{
    log = dir.filePath(QStringLiteral("lights-%1.log").arg(QTest::currentTestFunction()));
    qputenv("EZX_LIGHTS", ("sim:" + log).toLocal8Bit());
    for (const char *var : {"EZX_SIM_LEVEL", "EZX_SIM_BACKLIGHT", "EZX_SIM_FAIL", "EZX_SIM_MISSING",
                            "EZX_ROOT", "EZX_CALL", "EZX_MIC"})
        qunsetenv(var);
    lightsReset();
}

QStringList TestDevices::logLines() const
{
    return SimLightLog(log).lines();
}

void TestDevices::phonePaths()
{
    QCOMPARE(phonePath(std::string("/proc/meminfo")), std::string("/proc/meminfo"));
    qputenv("EZX_ROOT", "");
    QCOMPARE(phonePath(std::string("/dev/fb0")), std::string("/dev/fb0"));
    qputenv("EZX_ROOT", "/tmp/phone/");
    QCOMPARE(phonePath(std::string("/dev/fb0")), std::string("/tmp/phone/dev/fb0"));
    QCOMPARE(phonePath(QStringLiteral("/ezx_user/download/appwrite/setup/ezx_system.cfg")),
             QStringLiteral("/tmp/phone/ezx_user/download/appwrite/setup/ezx_system.cfg"));
    qputenv("EZX_ROOT", QString::fromUtf8("/tmp/телефон 1").toUtf8());
    QCOMPARE(phonePath(QStringLiteral("/proc")), QString::fromUtf8("/tmp/телефон 1/proc"));
    qunsetenv("EZX_ROOT");
}

void TestDevices::simLogsEveryRequest()
{
    const int kl = lightOpen(LIGHT_NODE_KEYPAD, O_RDONLY | O_NONBLOCK);
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
    QVERIFY(kl >= 0 && fb >= 0 && kl != fb);
    QCOMPARE(lightRequest(kl, LIGHT_KEYPAD_ON, 0ul), 0);
    QCOMPARE(lightRequest(fb, LIGHT_FB_BLANK, 0ul), 0);
    QCOMPARE(lightRequest(fb, LIGHT_FB_BACKLIGHT, 1ul), 0);
    QCOMPARE(lightRequest(fb, LIGHT_FB_SET_LEVEL, 255ul), 0);
    QCOMPARE(lightRequest(kl, LIGHT_KEYPAD_OFF, 0ul), 0);
    QCOMPARE(lightClose(kl), 0);
    QCOMPARE(lightClose(fb), 0);
    QCOMPARE(lightClose(fb), -1);
    QCOMPARE(logLines(), QStringList({"open /dev/keylight", "open /dev/fb0", "/dev/keylight 0xf0 0",
                                      "/dev/fb0 0x4611 0", "/dev/fb0 0x4619 1", "/dev/fb0 0x461b 255",
                                      "/dev/keylight 0xf2 0", "close /dev/keylight", "close /dev/fb0"}));
}

void TestDevices::simStartStateAndReads()
{
    qputenv("EZX_SIM_LEVEL", "73");
    qputenv("EZX_SIM_BACKLIGHT", "0");
    lightsReset();
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDWR);
    unsigned char on = 9;
    int level = -1;
    QCOMPARE(lightRequest(fb, LIGHT_FB_GET_BACKLIGHT, &on), 0);
    QCOMPARE(lightRequest(fb, LIGHT_FB_GET_LEVEL, &level), 0);
    QCOMPARE(int(on), 0);
    QCOMPARE(level, 73);
    lightRequest(fb, LIGHT_FB_BACKLIGHT, 1ul);
    lightRequest(fb, LIGHT_FB_SET_LEVEL, 12ul);
    QCOMPARE(lightRequest(fb, LIGHT_FB_GET_BACKLIGHT, &on), 0);
    QCOMPARE(lightRequest(fb, LIGHT_FB_GET_LEVEL, &level), 0);
    QCOMPARE(int(on), 1);
    QCOMPARE(level, 12);
    SimLightState state;
    QVERIFY(lightSimState(&state));
    QVERIFY(state.backlightOn && !state.keypadOn);
    QCOMPARE(state.level, 12);
    // Switching the backlight off keeps the level.
    lightRequest(fb, LIGHT_FB_BACKLIGHT, 0ul);
    QVERIFY(lightSimState(&state));
    QVERIFY(!state.backlightOn);
    QCOMPARE(state.level, 12);
    QCOMPARE(logLines().mid(1, 2), QStringList({"/dev/fb0 0x461a 0", "/dev/fb0 0x461c 73"}));
    QCOMPARE(logLines().mid(5, 2), QStringList({"/dev/fb0 0x461a 1", "/dev/fb0 0x461c 12"}));
}

void TestDevices::simFailures()
{
    qputenv("EZX_SIM_FAIL", "0x461b, 461c");
    qputenv("EZX_SIM_MISSING", "/dev/keylight");
    lightsReset();
    QCOMPARE(lightOpen(LIGHT_NODE_KEYPAD, O_RDONLY), -1);
    QCOMPARE(errno, ENOENT);
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDWR);
    int level = -5;
    QCOMPARE(lightRequest(fb, LIGHT_FB_SET_LEVEL, 30ul), -1);
    QCOMPARE(lightRequest(fb, LIGHT_FB_GET_LEVEL, &level), -1);
    QCOMPARE(level, -5);
    // A keypad request sent to the framebuffer is refused like an unknown ioctl.
    QCOMPARE(lightRequest(fb, LIGHT_KEYPAD_ON, 0ul), -1);
    QCOMPARE(errno, ENOTTY);
    SimLightState state;
    QVERIFY(lightSimState(&state));
    QCOMPARE(state.level, 50);
    QCOMPARE(logLines(), QStringList({"open /dev/fb0", "/dev/fb0 0x461b 30 failed",
                                      "/dev/fb0 0x461c - failed", "/dev/fb0 0xf0 0 failed"}));
}

void TestDevices::simLogIsSharedByProcesses()
{
    // Two writers at once: every line must come out whole.
    const int perProcess = 400;
    pid_t child = fork();
    if (child == 0) {
        lightsReset();
        const int fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
        for (int i = 0; i < perProcess; ++i)
            lightRequest(fb, LIGHT_FB_SET_LEVEL, 11111ul);
        _exit(0);
    }
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
    for (int i = 0; i < perProcess; ++i)
        lightRequest(fb, LIGHT_FB_SET_LEVEL, 22222ul);
    int status = 0;
    waitpid(child, &status, 0);
    const QStringList lines = logLines();
    QCOMPARE(lines.count("/dev/fb0 0x461b 11111"), perProcess);
    QCOMPARE(lines.count("/dev/fb0 0x461b 22222"), perProcess);
    QCOMPARE(lines.size(), 2 * perProcess + 2);
}

void TestDevices::phoneBackendUsesRootedNodes()
{
    qunsetenv("EZX_LIGHTS");
    lightsReset();
    QTemporaryDir root;
    qputenv("EZX_ROOT", root.path().toLocal8Bit());
    QCOMPARE(lightOpen(LIGHT_NODE_FB, O_RDONLY), -1);
    QDir(root.path()).mkpath("dev");
    QFile node(root.filePath("dev/fb0"));
    QVERIFY(node.open(QIODevice::WriteOnly));
    node.close();
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
    QVERIFY(fb >= 0);
    // A plain file is no framebuffer: the request fails the way ioctl does.
    QCOMPARE(lightRequest(fb, LIGHT_FB_SET_LEVEL, 40ul), -1);
    QCOMPARE(lightClose(fb), 0);
    SimLightState state;
    QVERIFY(!lightSimState(&state));
}

void TestDevices::callStatusFollowsFile()
{
    QCOMPARE(UTIL_GetIncomingCallStatus(), 0);
    const QString ring = dir.filePath("ringing");
    qputenv("EZX_CALL", ("file:" + ring).toLocal8Bit());
    QCOMPARE(UTIL_GetIncomingCallStatus(), 0);
    QFile file(ring);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(UTIL_GetIncomingCallStatus(), 1);
    QFile::remove(ring);
    QCOMPARE(UTIL_GetIncomingCallStatus(), 0);
}

void TestDevices::fileMicIsPacedAndEndsInSilence()
{
    // 800 samples: 100 ms at 8000 per second.
    QByteArray raw;
    for (int i = 0; i < 800; ++i) {
        const short s = short(i % 2 ? -1000 - i : 1000 + i);
        raw.append(char(s & 0xff));
        raw.append(char((s >> 8) & 0xff));
    }
    const QString path = dir.filePath("tone.raw");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(raw);
    file.close();
    qputenv("EZX_MIC", ("file:" + path).toLocal8Bit());

    ZAudioNormalDev mic(SOUNDM_AUDIO_NORMALDEV_TYPE_MIC, 8000, 1, 2);
    QCOMPARE(mic.open(), 0);
    short block[800];
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(mic.read(block, 400), 400);
    QCOMPARE(block[0], short(1000));
    QCOMPARE(block[1], short(-1001));
    QCOMPARE(block[399], short(-1399));
    QCOMPARE(mic.read(block, 400), 400);
    QCOMPARE(block[399], short(-1799));
    // Past the end: silence, still in real time.
    QCOMPARE(mic.read(block, 800), 800);
    QVERIFY(std::all_of(block, block + 800, [](short s) { return s == 0; }));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 190, qPrintable(QString::number(elapsed)));
    mic.close();

    qputenv("EZX_MIC", "file:/nonexistent/mic.raw");
    QCOMPARE(mic.open(), -1);
}

void TestDevices::closedMicStillPaces()
{
    ZAudioNormalDev mic(SOUNDM_AUDIO_NORMALDEV_TYPE_MIC, 8000, 1, 2);
    short block[192];
    block[5] = 77;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 5; ++i)
        QCOMPARE(mic.read(block, 192), -1);
    QCOMPARE(block[5], short(0));
    // 5 x 24 ms: a reader of a dead microphone waits instead of spinning.
    QVERIFY(clock.elapsed() >= 110);
}

QTEST_GUILESS_MAIN(TestDevices)
#include "tst_devices.moc"
