// SPDX-License-Identifier: GPL-2.0-or-later
#include "fakesysfs.h"
#include "privatebus.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QtEndian>
#include <QtTest>
#include <csignal>
#include <memory>
#include <poll.h>
#include <sys/inotify.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

// glowrad and glowra themselves on fake /sys trees: following a ringing modem, leaving
// nothing dark when killed, and reaching a backlight they may not write through logind.
class TestLightHardware : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void glowradFollowsModemManagerCall();
    void sigkillLeavesNothingDark_data();
    void sigkillLeavesNothingDark();
    void unwritableBacklightGoesThroughLogind();
    void ambidSteersACoarseBacklight();

private:
    // A program linked (or, for another user, copied) into the test's folder, beside a
    // schemes file whose scheme 0 is STEPS (duration ms, backlight, keypad).
    void start(QProcess &process, const QString &program, const QStringList &arguments,
               const QList<QList<int>> &steps = {}, bool copy = false);
    bool dark() const;
    bool restored() const;

    std::unique_ptr<QTemporaryDir> dir;
    FakeSysfs sys;
    QProcessEnvironment environment;
    bool power = true;
};

namespace {

constexpr long START_RAW = 120;  // of 200: level 60

QByteArray schemes(const QList<QList<int>> &steps)
{
    QByteArray file(80, '\0');
    for (int scheme = 0; scheme < 10; ++scheme) {
        qToLittleEndian<quint32>(80, file.data() + scheme * 8);
        qToLittleEndian<quint32>(scheme == 0 ? quint32(steps.size()) : 0, file.data() + scheme * 8 + 4);
    }
    for (const QList<int> &step : steps) {
        char record[4];
        qToLittleEndian<quint16>(quint16(step[0]), record);
        record[2] = char(step[1]);
        record[3] = char(step[2]);
        file.append(record, 4);
    }
    return file;
}

void callState(PrivateBus &bus, int state)
{
    QVERIFY(bus.call("org.freedesktop.ModemManager1", "/org/freedesktop/ModemManager1/Call/1",
                     "org.freedesktop.DBus.Mock", "UpdateProperties", [&](sd_bus_message *m) {
                         return sd_bus_message_append(m, "sa{sv}", "org.freedesktop.ModemManager1.Call", 1,
                                                      "State", "i", state);
                     }));
}

// Waits until FILE has been read COUNT more times (opened and closed without a write), for at
// most ms. The simulated camera reads its frame file once a measurement.
bool waitForReads(const QString &file, int count, int ms)
{
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0)
        return false;
    int seen = 0;
    if (inotify_add_watch(watch, QFile::encodeName(file).constData(), IN_CLOSE_NOWRITE) >= 0) {
        QDeadlineTimer deadline(ms);
        while (seen < count && !deadline.hasExpired()) {
            pollfd entry{watch, POLLIN, 0};
            if (::poll(&entry, 1, int(deadline.remainingTime())) <= 0)
                continue;
            alignas(inotify_event) char events[4096];
            const ssize_t got = ::read(watch, events, sizeof events);
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(events + at);
                seen += (event->mask & IN_CLOSE_NOWRITE) ? 1 : 0;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }
    ::close(watch);
    return seen >= count;
}

}  // namespace

void TestLightHardware::init()
{
    dir.reset(new QTemporaryDir);
    sys.root = dir->filePath("phone");
    power = true;
    environment = QProcessEnvironment::systemEnvironment();
    environment.insert("EZX_ROOT", sys.root);
    environment.insert("EZX_LIGHTS", "sysfs");
    for (const char *var : {"EZX_CALL", "EZX_BACKLIGHT", "EZX_KEYLIGHT", "EZX_MIC"})
        environment.remove(var);
}

void TestLightHardware::cleanup()
{
    dir.reset();
}

void TestLightHardware::start(QProcess &process, const QString &program, const QStringList &arguments,
                              const QList<QList<int>> &steps, bool copy)
{
    const QString built = qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/" + program;
    // Not named glowrad: the panel's tests end every glowrad on the machine by that name.
    const QString here = dir->filePath(program == "glowrad" ? "showd" : program);
    QVERIFY(copy ? QFile::copy(built, here) : QFile::link(built, here));
    QFile sch(here + ".sch");
    QVERIFY(sch.open(QIODevice::WriteOnly));
    sch.write(schemes(steps));
    sch.close();
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(here, arguments);
    QVERIFY(process.waitForStarted());
}

bool TestLightHardware::dark() const
{
    return power ? sys.value("backlight/panel/bl_power") == 4 : sys.value("backlight/panel/brightness") == 0;
}

bool TestLightHardware::restored() const
{
    return sys.value("backlight/panel/brightness") == START_RAW
           && sys.value("backlight/panel/bl_power") == (power ? 0 : -1)
           && sys.value("leds/tpacpi::kbd_backlight/brightness") == 0;
}

void TestLightHardware::glowradFollowsModemManagerCall()
{
    PrivateBus bus;
    if (!bus.missingTool().isEmpty())
        QSKIP(qPrintable(bus.missingTool()));
    QVERIFY(bus.startMock("org.freedesktop.ModemManager1",
                          {"-m", "org.freedesktop.ModemManager1", "/org/freedesktop/ModemManager1",
                           "org.freedesktop.ModemManager1"}));
    const char *call = "/org/freedesktop/ModemManager1/Call/1";
    QVERIFY(bus.call("org.freedesktop.ModemManager1", "/org/freedesktop/ModemManager1",
                     "org.freedesktop.DBus.Mock", "AddObject", [&](sd_bus_message *m) {
                         return sd_bus_message_append(m, "ssa{sv}a(ssss)", call,
                                                      "org.freedesktop.ModemManager1.Call", 2, "State", "i",
                                                      2, "Direction", "i", 1, 0);
                     }));
    QVERIFY(bus.call("org.freedesktop.ModemManager1", "/org/freedesktop/ModemManager1",
                     "org.freedesktop.DBus.Mock", "AddObject", [&](sd_bus_message *m) {
                         return sd_bus_message_append(
                             m, "ssa{sv}a(ssss)", "/org/freedesktop/ModemManager1/Modem/0",
                             "org.freedesktop.ModemManager1.Modem.Voice", 1, "Calls", "ao", 1, call, 0);
                     }));
    sys.addBacklight("panel", "firmware", 200, START_RAW, true);
    sys.addLed("tpacpi::kbd_backlight", 2, 0);
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", bus.address());

    QProcess daemon;
    start(daemon, "glowrad", {}, {{300, 0, 1}, {300, 90, 0}});
    QByteArray output;
    QTRY_VERIFY((output += daemon.readAllStandardOutput()).contains("Running daemon"));
    // A second look at the modem: the idle pass after the first has left the lights alone.
    QTRY_VERIFY_WITH_TIMEOUT(
        bus.callsOf("org.freedesktop.ModemManager1", "/org/freedesktop/ModemManager1", "GetManagedObjects")
            >= 2,
        5000);
    QVERIFY(restored());

    callState(bus, 3);  // ringing in
    QTRY_VERIFY_WITH_TIMEOUT(dark() && sys.value("leds/tpacpi::kbd_backlight/brightness") == 2, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!dark() && sys.value("backlight/panel/brightness") == 180, 5000);
    callState(bus, 4);  // answered
    QTRY_VERIFY_WITH_TIMEOUT(restored(), 5000);

    QVERIFY(daemon.processId() > 0);  // never kill(0, ...): that is the whole test run
    ::kill(pid_t(daemon.processId()), SIGTERM);
    QVERIFY(daemon.waitForFinished(5000));
    QVERIFY((output += daemon.readAllStandardOutput()).contains("Exiting"));
    QVERIFY(restored());
}

void TestLightHardware::sigkillLeavesNothingDark_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("power");
    QTest::newRow("glowrad, bl_power") << "glowrad" << true;
    QTest::newRow("glowrad, brightness only") << "glowrad" << false;
    QTest::newRow("glowra, bl_power") << "glowra" << true;
    QTest::newRow("glowra, brightness only") << "glowra" << false;
}

void TestLightHardware::sigkillLeavesNothingDark()
{
    QFETCH(QString, program);
    QFETCH(bool, power);
    this->power = power;
    sys.addBacklight("panel", "raw", 200, START_RAW, power);
    sys.addLed("tpacpi::kbd_backlight", 2, 0);
    QProcess process;
    if (program == "glowrad") {
        // Ringing through a dark step with the keypad light on.
        QFile ringing(dir->filePath("ringing"));
        QVERIFY(ringing.open(QIODevice::WriteOnly));
        environment.insert("EZX_CALL", "file:" + ringing.fileName());
        start(process, program, {}, {{60000, 0, 1}});
    } else {
        // The flasher, on a silent microphone, keeps the display dark.
        environment.insert("EZX_UI_SCRIPT", "click cstMidBtn");
        start(process, program, {});
    }
    QTRY_VERIFY_WITH_TIMEOUT(dark(), 10000);
    if (program == "glowrad")
        QTRY_COMPARE(sys.value("leds/tpacpi::kbd_backlight/brightness"), 2L);

    QVERIFY(process.processId() > 0);
    ::kill(pid_t(process.processId()), SIGKILL);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QTRY_VERIFY_WITH_TIMEOUT(restored(), 5000);
}

void TestLightHardware::unwritableBacklightGoesThroughLogind()
{
    PrivateBus bus;
    if (!bus.missingTool().isEmpty())
        QSKIP(qPrintable(bus.missingTool()));
    if (::geteuid() != 0)
        QSKIP("needs root to play the unprivileged user");
    power = false;
    sys.addBacklight("panel", "firmware", 200, START_RAW);
    sys.addLed("tpacpi::kbd_backlight", 2, 0);
    sys.openToAll();
    QFile::setPermissions(dir->path(), QFile::permissions(sys.root));

    // logind with the caller's session; it writes /sys as root, and notes every request.
    QVERIFY(bus.startMock("org.freedesktop.login1", {"-t", "logind"}));
    QVERIFY(bus.call("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.DBus.Mock",
                     "AddSession", [](sd_bus_message *m) {
                         return sd_bus_message_append(m, "ssusb", "auto", "seat0", 65534u, "nobody", 1);
                     }));
    const QString requests = dir->filePath("requests");
    const QString code =
        QString("open('%1/sys/class/%s/%s/brightness' % (args[0], args[1]), 'w')"
                ".write('%d\\n' % args[2]); open('%2', 'a').write('%s %s %d\\n' % tuple(args))")
            .arg(sys.root, requests);
    QVERIFY(bus.call("org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                     "org.freedesktop.DBus.Mock", "AddMethod", [&](sd_bus_message *m) {
                         return sd_bus_message_append(m, "sssss", "org.freedesktop.login1.Session",
                                                      "SetBrightness", "ssu", "", code.toUtf8().constData());
                     }));
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", bus.address());

    QProcess demo;
    demo.setChildProcessModifier([] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
    });
    start(demo, "glowrad", {"0", "d"}, {{50, 0, 1}, {50, 90, 0}}, true);
    QVERIFY(demo.waitForFinished(10000));
    QCOMPARE(demo.exitCode(), 0);
    QVERIFY(demo.readAllStandardOutput().contains("Done"));

    QFile log(requests);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList sent = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    // Dark, lit at 90, then back at the level the backlight had when the daemon began.
    QCOMPARE(sent, QStringList({"leds tpacpi::kbd_backlight 2", "backlight panel 0",
                                "leds tpacpi::kbd_backlight 0", "backlight panel 120", "backlight panel 180",
                                "backlight panel 120", "leds tpacpi::kbd_backlight 0"}));
    QVERIFY(restored());
}

void TestLightHardware::ambidSteersACoarseBacklight()
{
    // Seven steps: level 29 at start; a scene of 60 asks for level 40, which is step 3.
    sys.addBacklight("panel", "raw", 7, 2);
    QFile frame(dir->filePath("frame"));
    QVERIFY(frame.open(QIODevice::WriteOnly));
    frame.write(QByteArray(4096, char(60)));
    frame.close();
    environment.insert("EZX_CAMERA", "sim:" + frame.fileName());
    environment.insert("EZX_AMBID_CYCLE_MS", "20");
    QProcess ambid;
    ambid.setProcessEnvironment(environment);
    ambid.setProcessChannelMode(QProcess::ForwardedChannels);
    ambid.start(qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/ambid", {"-f"});
    QVERIFY(ambid.waitForStarted());
    QTRY_COMPARE(sys.value("backlight/panel/brightness"), 3L);
    QVERIFY(waitForReads(frame.fileName(), 3, 5000));  // three more measurements: it stays
    QCOMPARE(sys.value("backlight/panel/brightness"), 3L);
    QCOMPARE(ambid.state(), QProcess::Running);
    ambid.kill();
    ambid.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(TestLightHardware)
#include "tst_lighthardware.moc"
