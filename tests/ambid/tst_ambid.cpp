// SPDX-License-Identifier: GPL-2.0-or-later
#include "simlightlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The ambid program itself, on the simulated backlight and camera in a private phone tree,
// cycling every 20 ms instead of every five seconds.
class TestAmbid : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void badCommandLineShowsUsage_data();
    void badCommandLineShowsUsage();
    void liveCopyStopsStart_data();
    void liveCopyStopsStart();
    void missingFramebufferStopsStart();
    void foregroundReachesTarget_data();
    void foregroundReachesTarget();
    void foregroundFollowsChangingLight();
    void backlightLeftAlone_data();
    void backlightLeftAlone();
    void failingSetRetriedEachCycle();
    void detachesWithPidFile_data();
    void detachesWithPidFile();
    void unwritablePidFileFailsStart();

private:
    QProcessEnvironment environment() const;
    QProcess *startForeground(const QStringList &args, const QProcessEnvironment &env);
    void runToEnd(QProcess *process, const QStringList &args, const QProcessEnvironment &env);
    void writeFrame(const QByteArray &samples) const;
    int cyclesSeen() const;
    QString usage() const;

    QString program;
    std::unique_ptr<QTemporaryDir> tree;
    SimLightLog log;
    QString frame;
    std::unique_ptr<QProcess> foreground;
    QList<pid_t> daemons;
};

void TestAmbid::initTestCase()
{
    program = qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/ambid";
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
}

void TestAmbid::init()
{
    tree = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(tree->path()).mkpath("var/run"));
    log = SimLightLog(tree->filePath("lights.log"));
    frame = tree->filePath("frame.raw");
}

void TestAmbid::cleanup()
{
    if (foreground) {
        foreground->kill();
        foreground->waitForFinished(5000);
        foreground.reset();
    }
    for (pid_t daemon : std::as_const(daemons))
        ::kill(daemon, SIGKILL);
    daemons.clear();
}

QProcessEnvironment TestAmbid::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name : env.keys())
        if (name.startsWith("EZX_") && name != "EZX_TEST_BIN_DIR")
            env.remove(name);
    env.insert("EZX_ROOT", tree->path());
    env.insert("EZX_LIGHTS", "sim:" + log.path());
    env.insert("EZX_CAMERA", "sim:" + frame);
    env.insert("EZX_AMBID_CYCLE_MS", "20");
    return env;
}

QProcess *TestAmbid::startForeground(const QStringList &args, const QProcessEnvironment &env)
{
    foreground = std::make_unique<QProcess>();
    foreground->setProcessEnvironment(env);
    foreground->start(program, QStringList("-f") + args);
    return foreground.get();
}

void TestAmbid::runToEnd(QProcess *process, const QStringList &args, const QProcessEnvironment &env)
{
    process->setProcessEnvironment(env);
    process->start(program, args);
    QVERIFY(process->waitForFinished(10000));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
}

void TestAmbid::writeFrame(const QByteArray &samples) const
{
    QFile file(frame);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(samples);
}

// Each cycle that finds the backlight readable starts by asking for its state.
int TestAmbid::cyclesSeen() const
{
    return log.lines().filter(QStringLiteral("/dev/fb0 0x461a")).size();
}

QString TestAmbid::usage() const
{
    return "Usage: " + program
           + " [-d] [-f] [-m level]\n"
             "\t-m level\tSet minimal brightness level (0..100)\n"
             "\t-e level\tSet brightness level on camera open error (0..100)\n"
             "\t-d\t\tDebug mode\n"
             "\t-f\t\tRun in foreground\n\n";
}

void TestAmbid::badCommandLineShowsUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("complaint");  // PROGRAM: the invocation name

    QTest::newRow("help") << QStringList{"-h"} << QString();
    QTest::newRow("help_after_good_options") << QStringList{"-f", "-m", "20", "-h"} << QString();
    QTest::newRow("unknown_option") << QStringList{"-x"} << "PROGRAM: invalid option -- 'x'\n";
    QTest::newRow("m_without_level") << QStringList{"-m"} << "PROGRAM: option requires an argument -- 'm'\n";
    QTest::newRow("e_without_level") << QStringList{"-d", "-e"}
                                     << "PROGRAM: option requires an argument -- 'e'\n";
}

void TestAmbid::badCommandLineShowsUsage()
{
    QFETCH(QStringList, args);
    QFETCH(QString, complaint);
    QProcess process;
    runToEnd(&process, args, environment());
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    const QString expected = complaint.replace("PROGRAM", program) + usage();
    QCOMPARE(err.left(expected.size()), expected);
    QVERIFY(err.mid(expected.size()).contains("WITHOUT ANY WARRANTY"));
    QVERIFY(!QFile::exists(log.path()));  // nothing was opened
}

void TestAmbid::liveCopyStopsStart_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("background") << QStringList();
    QTest::newRow("foreground") << QStringList{"-f"};
}

void TestAmbid::liveCopyStopsStart()
{
    QFETCH(QStringList, args);
    QFile pidFile(tree->filePath("var/run/ambid.pid"));
    QVERIFY(pidFile.open(QIODevice::WriteOnly));
    pidFile.write(QByteArray::number(getpid()));
    pidFile.close();

    QProcess process;
    runToEnd(&process, args, environment());
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()),
             QStringLiteral("main(): %1 is already running (pid %2)\n").arg(program).arg(getpid()));
    QVERIFY(!QFile::exists(log.path()));
}

void TestAmbid::missingFramebufferStopsStart()
{
    QProcessEnvironment env = environment();
    env.remove("EZX_LIGHTS");  // the real device node, which the phone tree lacks
    QProcess process;
    runToEnd(&process, {}, env);
    QCOMPARE(process.exitCode(), 1);
    // The phone's message, and how to come by lights on a machine that is not the phone.
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()),
             "main(): Could not open framebuffer device " + tree->path()
                 + "/dev/fb0: No such file or directory\n"
                   "main(): hint: not a phone? set EZX_LIGHTS=sysfs on a desktop or laptop (the lights of "
                   "/sys/class), or EZX_LIGHTS=sim:FILE to simulate them\n");
    QVERIFY(!QFile::exists(tree->filePath("var/run/ambid.pid")));
}

void TestAmbid::foregroundReachesTarget_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("startLevel");
    QTest::addColumn<QByteArray>("frameSamples");  // empty: no camera
    QTest::addColumn<QList<int>>("levels");

    QTest::newRow("bright_up_to_99") << QStringList() << 40 << QByteArray(4096, char(200))
                                     << SimLightLog::steps(40, 99);
    QTest::newRow("dark_down_to_10") << QStringList() << 40 << QByteArray(4096, '\0')
                                     << SimLightLog::steps(40, 10);
    QTest::newRow("m_not_a_number_means_0")
        << QStringList{"-m", "dim"} << 3 << QByteArray(64, '\0') << QList<int>{2, 1, 0};
    QTest::newRow("e_30_without_camera")
        << QStringList{"-e", "30"} << 40 << QByteArray() << SimLightLog::steps(40, 30);
    QTest::newRow("m_45_beats_e_30") << QStringList{"-d", "-m", "45", "-e", "30"} << 40 << QByteArray()
                                     << SimLightLog::steps(40, 45);
}

void TestAmbid::foregroundReachesTarget()
{
    QFETCH(QStringList, args);
    QFETCH(int, startLevel);
    QFETCH(QByteArray, frameSamples);
    QFETCH(QList<int>, levels);
    if (!frameSamples.isEmpty())
        writeFrame(frameSamples);
    QProcessEnvironment env = environment();
    env.insert("EZX_SIM_LEVEL", QString::number(startLevel));
    startForeground(args, env);

    QTRY_COMPARE_WITH_TIMEOUT(log.levelsSet().size(), levels.size(), 10000);
    // Once there, the level stays.
    const int cycles = cyclesSeen();
    QTRY_VERIFY_WITH_TIMEOUT(cyclesSeen() >= cycles + 3, 10000);
    QCOMPARE(log.levelsSet(), levels);
    QVERIFY(!QFile::exists(tree->filePath("var/run/ambid.pid")));
    QCOMPARE(foreground->state(), QProcess::Running);
}

void TestAmbid::foregroundFollowsChangingLight()
{
    writeFrame(QByteArray(4096, char(255)));
    QProcessEnvironment env = environment();
    env.insert("EZX_SIM_LEVEL", "40");
    startForeground({}, env);
    QTRY_COMPARE_WITH_TIMEOUT(log.levelsSet().value(58), 99, 10000);

    writeFrame(QByteArray(1000, char(60)));
    QTRY_COMPARE_WITH_TIMEOUT(log.levelsSet().size(), 59 + 59, 10000);
    QCOMPARE(log.levelsSet(), SimLightLog::steps(40, 99) + SimLightLog::steps(99, 40));
    QCOMPARE(foreground->readAllStandardError(), QByteArray());
}

void TestAmbid::backlightLeftAlone_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");
    QTest::newRow("backlight_off") << "EZX_SIM_BACKLIGHT"
                                   << "0";
    QTest::newRow("level_100") << "EZX_SIM_LEVEL"
                               << "100";
}

void TestAmbid::backlightLeftAlone()
{
    QFETCH(QString, variable);
    QFETCH(QString, value);
    writeFrame(QByteArray(64, '\0'));
    QProcessEnvironment env = environment();
    env.insert(variable, value);
    startForeground({}, env);
    QTRY_VERIFY_WITH_TIMEOUT(cyclesSeen() >= 5, 10000);
    QCOMPARE(log.levelsSet(), QList<int>());
    QCOMPARE(log.lines().filter(" failed"), QStringList());
}

void TestAmbid::failingSetRetriedEachCycle()
{
    writeFrame(QByteArray(64, char(255)));
    QProcessEnvironment env = environment();
    env.insert("EZX_SIM_LEVEL", "40");
    env.insert("EZX_SIM_FAIL", "461b");
    startForeground({}, env);
    QTRY_VERIFY_WITH_TIMEOUT(cyclesSeen() >= 3, 10000);

    // Each cycle: the state, the level, the first step tried four times, then a pause.
    const QStringList cycle =
        QStringList{"/dev/fb0 0x461a 1", "/dev/fb0 0x461c 40"} + QStringList(4, "/dev/fb0 0x461b 41 failed");
    QCOMPARE(log.lines().mid(1, 2 * cycle.size()), cycle + cycle);
    foreground->kill();
    foreground->waitForFinished(5000);
    const QByteArray err = foreground->readAllStandardError();
    QVERIFY(err.startsWith(QByteArray("main(): Could not change brightness: -1\n").repeated(8)));
}

void TestAmbid::detachesWithPidFile_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("no_pid_file") << QString();
    QTest::newRow("stale_pid_file") << "stale";
    QTest::newRow("link_planted_at_pid_file") << "link";
}

void TestAmbid::detachesWithPidFile()
{
    QFETCH(QString, before);
    const QString pidPath = tree->filePath("var/run/ambid.pid");
    const QString victim = tree->filePath("victim");
    if (before == "stale") {
        const pid_t gone = fork();
        if (gone == 0)
            _exit(0);
        waitpid(gone, nullptr, 0);
        QFile file(pidPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(gone));
    } else if (before == "link") {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
        file.close();
        QVERIFY(QFile::link(victim, pidPath));
    }
    writeFrame(QByteArray(64, char(255)));
    QProcessEnvironment env = environment();
    env.insert("EZX_SIM_LEVEL", "90");

    QProcess starter;
    runToEnd(&starter, {}, env);
    QCOMPARE(starter.exitCode(), 0);
    QCOMPARE(starter.readAllStandardError(), QByteArray());

    // The pid file is in place by the time the start returns.
    QVERIFY(!QFileInfo(pidPath).isSymLink());
    QFile pidFile(pidPath);
    QVERIFY(pidFile.open(QIODevice::ReadOnly));
    const QByteArray digits = pidFile.readAll();
    bool isNumber = false;
    const pid_t daemon = digits.toInt(&isNumber);
    QVERIFY2(isNumber && daemon > 0, digits.constData());
    daemons << daemon;
    QCOMPARE(QByteArray::number(daemon), digits);
    QVERIFY(daemon != pid_t(starter.processId()));
    QCOMPARE(::kill(daemon, 0), 0);
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(pidPath).constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0644));
    if (before == "link") {
        QFile kept(victim);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep"));
    }

    // Detached: its own session, working from /, its standard streams on the null device.
    // The starter may end before the background copy has got that far.
    QTRY_COMPARE_WITH_TIMEOUT(::getsid(daemon), daemon, 10000);
    const QString proc = QStringLiteral("/proc/%1/").arg(daemon);
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(proc + "cwd").symLinkTarget(), QStringLiteral("/"), 10000);
    for (const char *stream : {"fd/0", "fd/1", "fd/2"})
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(proc + stream).symLinkTarget(), QStringLiteral("/dev/null"),
                                  10000);

    // It works in the background, and a second start finds it.
    QTRY_COMPARE_WITH_TIMEOUT(log.levelsSet(), SimLightLog::steps(90, 99), 10000);
    QProcess second;
    runToEnd(&second, {}, env);
    QCOMPARE(second.exitCode(), 2);
    QCOMPARE(QString::fromLocal8Bit(second.readAllStandardError()),
             QStringLiteral("main(): %1 is already running (pid %2)\n").arg(program).arg(daemon));
}

void TestAmbid::unwritablePidFileFailsStart()
{
    QVERIFY(QDir(tree->filePath("var/run")).removeRecursively());
    writeFrame(QByteArray(64, char(255)));
    QProcess starter;
    runToEnd(&starter, {}, environment());
    QCOMPARE(starter.exitCode(), 1);
    QCOMPARE(QString::fromLocal8Bit(starter.readAllStandardError()),
             "main(): Could not open pid file " + tree->path()
                 + "/var/run/ambid.pid for writing: No such file or directory");
    // No copy runs on behind the failed start.
    QTest::qWait(300);
    QCOMPARE(cyclesSeen(), 0);
}

QTEST_GUILESS_MAIN(TestAmbid)
#include "tst_ambid.moc"
