// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera.h"
#include "daemon.h"
#include "fakecamera.h"
#include "lights.h"
#include "simlightlog.h"
#include "stderrcapture.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The daemon's cycle on the simulated backlight and a fake camera, and its pid file.
class TestCycle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cycleMovesLevelToTarget_data();
    void cycleMovesLevelToTarget();
    void failingSetIsRetriedThenLeftForNextCycle();
    void runningCopyFromPidFile_data();
    void runningCopyFromPidFile();
    void pidFileIsReplacedWhole();

private:
    void startLights();

    QTemporaryDir dir;
    SimLightLog log;
    FakeCamera *fake = nullptr;
    int fb = -1;
};

void TestCycle::init()
{
    log = SimLightLog(dir.filePath(
        QStringLiteral("lights-%1-%2.log")
            .arg(QTest::currentTestFunction(), QTest::currentDataTag() ? QTest::currentDataTag() : "")));
    qputenv("EZX_LIGHTS", ("sim:" + log.path()).toLocal8Bit());
    for (const char *var : {"EZX_SIM_LEVEL", "EZX_SIM_BACKLIGHT", "EZX_SIM_FAIL", "EZX_ROOT"})
        qunsetenv(var);
    fake = new FakeCamera;
    cameraUse(fake);
}

void TestCycle::cleanup()
{
    if (fb >= 0)
        lightClose(fb);
    fb = -1;
    lightsReset();
    cameraReset();
}

void TestCycle::startLights()
{
    lightsReset();
    fb = lightOpen(LIGHT_NODE_FB, O_RDWR);
    QVERIFY(fb >= 0);
}

void TestCycle::cycleMovesLevelToTarget_data()
{
    QTest::addColumn<QByteArray>("backlight");  // EZX_SIM_BACKLIGHT
    QTest::addColumn<int>("startLevel");
    QTest::addColumn<int>("sample");  // every sample of the frame; -1: camera busy
    QTest::addColumn<int>("minLevel");
    QTest::addColumn<int>("errorLevel");
    QTest::addColumn<QByteArray>("failing");  // EZX_SIM_FAIL
    QTest::addColumn<QList<int>>("levels");
    QTest::addColumn<int>("cameraOpens");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("bright_from_40_up_to_99") << QByteArray() << 40 << 200 << 10 << 50 << QByteArray()
                                             << SimLightLog::steps(40, 99) << 1 << QByteArray();
    QTest::newRow("dark_from_40_down_to_min") << QByteArray() << 40 << 0 << 10 << 50 << QByteArray()
                                              << SimLightLog::steps(40, 10) << 1 << QByteArray();
    QTest::newRow("99_is_still_followed") << QByteArray() << 99 << 30 << 10 << 50 << QByteArray()
                                          << SimLightLog::steps(99, 20) << 1 << QByteArray();
    QTest::newRow("target_equals_current_sets_nothing")
        << QByteArray() << 40 << 60 << 10 << 50 << QByteArray() << QList<int>() << 1 << QByteArray();
    QTest::newRow("busy_camera_aims_at_error_level") << QByteArray() << 40 << -1 << 10 << 50 << QByteArray()
                                                     << SimLightLog::steps(40, 50) << 1 << QByteArray();
    QTest::newRow("error_level_30") << QByteArray() << 40 << -1 << 10 << 30 << QByteArray()
                                    << SimLightLog::steps(40, 30) << 1 << QByteArray();
    QTest::newRow("error_level_below_min") << QByteArray() << 35 << -1 << 40 << 30 << QByteArray()
                                           << SimLightLog::steps(35, 40) << 1 << QByteArray();
    QTest::newRow("backlight_off_camera_untouched")
        << QByteArray("0") << 40 << 0 << 10 << 50 << QByteArray() << QList<int>() << 0 << QByteArray();
    QTest::newRow("level_100_camera_untouched")
        << QByteArray() << 100 << 0 << 10 << 50 << QByteArray() << QList<int>() << 0 << QByteArray();
    QTest::newRow("state_unreadable")
        << QByteArray() << 40 << 0 << 10 << 50 << QByteArray("461a") << QList<int>() << 0
        << QByteArray("Could not get backliht state: -1\n");
    QTest::newRow("level_unreadable")
        << QByteArray() << 40 << 0 << 10 << 50 << QByteArray("461c") << QList<int>() << 0
        << QByteArray("Could not get brightness level: -1\n");
}

void TestCycle::cycleMovesLevelToTarget()
{
    QFETCH(QByteArray, backlight);
    QFETCH(int, startLevel);
    QFETCH(int, sample);
    QFETCH(int, minLevel);
    QFETCH(int, errorLevel);
    QFETCH(QByteArray, failing);
    QFETCH(QList<int>, levels);
    QFETCH(int, cameraOpens);
    QFETCH(QByteArray, message);

    qputenv("EZX_SIM_BACKLIGHT", backlight);
    qputenv("EZX_SIM_LEVEL", QByteArray::number(startLevel));
    qputenv("EZX_SIM_FAIL", failing);
    startLights();
    fake->openFails = sample < 0;
    std::fill(fake->memory.begin(), fake->memory.end(), static_cast<unsigned char>(qMax(sample, 0)));

    StderrCapture err;
    adjustBacklight(fb, minLevel, errorLevel);
    QCOMPARE(err.text(), message);
    QCOMPARE(log.levelsSet(), levels);
    QCOMPARE(fake->trace.filter(QRegularExpression("^open ")).size(), cameraOpens);
    QCOMPARE(fake->openDescriptors, 0);
}

void TestCycle::failingSetIsRetriedThenLeftForNextCycle()
{
    qputenv("EZX_SIM_LEVEL", "40");
    qputenv("EZX_SIM_FAIL", "461b");
    startLights();
    std::fill(fake->memory.begin(), fake->memory.end(), 255);

    const QByteArray failure("main(): Could not change brightness: -1\n");
    StderrCapture err;
    QVERIFY(!rampLevel(fb, 40, 45));
    QCOMPARE(err.text(), failure.repeated(1 + SET_RETRIES));
    QCOMPARE(log.lines().filter("0x461b"), QStringList(1 + SET_RETRIES, "/dev/fb0 0x461b 41 failed"));

    // The next cycle reads the backlight afresh and tries again.
    QFile::remove(log.path());
    startLights();
    StderrCapture again;
    adjustBacklight(fb, 10, 50);
    QCOMPARE(again.text(), failure.repeated(1 + SET_RETRIES));
    QCOMPARE(log.lines().mid(1, 2), QStringList({"/dev/fb0 0x461a 1", "/dev/fb0 0x461c 40"}));
    QCOMPARE(log.lines().filter("0x461b").size(), 1 + SET_RETRIES);
}

void TestCycle::runningCopyFromPidFile_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");  // LIVE, DEAD and SELF stand for such pids
    QTest::addColumn<bool>("running");

    QTest::newRow("no_file") << false << QByteArray() << false;
    QTest::newRow("empty") << true << QByteArray() << false;
    QTest::newRow("no_number") << true << QByteArray("ambid") << false;
    QTest::newRow("zero") << true << QByteArray("0") << false;
    QTest::newRow("negative") << true << QByteArray("-1") << false;
    QTest::newRow("process_gone") << true << QByteArray("DEAD") << false;
    QTest::newRow("own_pid_left_over") << true << QByteArray("SELF") << false;
    QTest::newRow("live") << true << QByteArray("LIVE") << true;
    QTest::newRow("live_with_line_end") << true << QByteArray("LIVE\n") << true;
    QTest::newRow("live_after_blanks") << true << QByteArray("  LIVE") << true;
}

void TestCycle::runningCopyFromPidFile()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(bool, running);

    const pid_t live = fork();
    if (live == 0) {
        pause();
        _exit(0);
    }
    const pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    waitpid(dead, nullptr, 0);

    content.replace("LIVE", QByteArray::number(live));
    content.replace("DEAD", QByteArray::number(dead));
    content.replace("SELF", QByteArray::number(getpid()));
    const QString path = dir.filePath("ambid.pid");
    QFile::remove(path);
    if (present) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const int found = runningCopy(path.toStdString());
    kill(live, SIGKILL);
    waitpid(live, nullptr, 0);
    QCOMPARE(found, running ? int(live) : 0);
}

void TestCycle::pidFileIsReplacedWhole()
{
    const QString path = dir.filePath("run/ambid.pid");
    std::string temporary;
    const int missing = preparePidFile(path.toStdString(), &temporary);
    const int missingError = errno;
    QCOMPARE(missing, -1);
    QCOMPARE(missingError, ENOENT);

    // A link planted at the pid file's place is replaced, not written through.
    QVERIFY(QDir(dir.path()).mkpath("run"));
    const QString victim = dir.filePath("victim");
    QFile victimFile(victim);
    QVERIFY(victimFile.open(QIODevice::WriteOnly));
    victimFile.write("keep");
    victimFile.close();
    QVERIFY(QFile::link(victim, path));

    const int fd = preparePidFile(path.toStdString(), &temporary);
    QVERIFY(fd >= 0);
    QVERIFY(QFile::exists(QString::fromStdString(temporary)));
    QCOMPARE(publishPidFile(fd, temporary, path.toStdString(), 4242), 0);

    QFile pidFile(path);
    QVERIFY(pidFile.open(QIODevice::ReadOnly));
    QCOMPARE(pidFile.readAll(), QByteArray("4242"));
    QVERIFY(!QFileInfo(path).isSymLink());
    struct stat info;
    QCOMPARE(stat(path.toLocal8Bit().constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0644));
    QVERIFY(victimFile.open(QIODevice::ReadOnly));
    QCOMPARE(victimFile.readAll(), QByteArray("keep"));
    QCOMPARE(QDir(dir.filePath("run")).entryList(QDir::Files | QDir::System), QStringList("ambid.pid"));

    // A folder in the way: reported, and the temporary file does not stay behind.
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir(dir.path()).mkpath("run/ambid.pid"));
    const int blocked = preparePidFile(path.toStdString(), &temporary);
    QVERIFY(blocked >= 0);
    const int published = publishPidFile(blocked, temporary, path.toStdString(), 4242);
    const int publishError = errno;
    QCOMPARE(published, -1);
    QCOMPARE(publishError, EISDIR);
    QCOMPARE(QDir(dir.filePath("run")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList("ambid.pid"));
}

QTEST_GUILESS_MAIN(TestCycle)
#include "tst_cycle.moc"
