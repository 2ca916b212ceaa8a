// SPDX-License-Identifier: GPL-2.0-or-later
#include "callstatus.h"
#include "logind.h"
#include "privatebus.h"
#include "systembus.h"

#include <QElapsedTimer>
#include <QtTest>
#include <memory>
#include <systemd/sd-bus.h>

// Incoming calls and logind on a private system bus with stand-ins of the services.
class TestBusDevices : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void modemManagerCalls_data();
    void modemManagerCalls();
    void ofonoCalls();
    void absentOrStuckServicesNeverHang_data();
    void absentOrStuckServicesNeverHang();

private:
    int ringingWith(const char *source);
    std::unique_ptr<PrivateBus> bus;
};

namespace {

const char *const MM = "org.freedesktop.ModemManager1";
const char *const MM_PATH = "/org/freedesktop/ModemManager1";
const char *const MOCK = "org.freedesktop.DBus.Mock";

bool startModemManager(PrivateBus &bus)
{
    return bus.startMock(MM, {"-m", MM, MM_PATH, MM});
}

}  // namespace

void TestBusDevices::init()
{
    bus.reset(new PrivateBus);
    if (!bus->missingTool().isEmpty())
        QSKIP(qPrintable(bus->missingTool()));
}

void TestBusDevices::cleanup()
{
    bus.reset();
    qunsetenv("EZX_CALL");
}

int TestBusDevices::ringingWith(const char *source)
{
    if (source)
        qputenv("EZX_CALL", source);
    else
        qunsetenv("EZX_CALL");
    return UTIL_GetIncomingCallStatus();
}

void TestBusDevices::modemManagerCalls_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("managed");  // the object manager lists the call itself
    QTest::addColumn<int>("ringing");
    QTest::newRow("ringing in") << 3 << 1 << true << 1;
    QTest::newRow("ringing in, asked of the call") << 3 << 1 << false << 1;
    QTest::newRow("answered") << 4 << 1 << true << 0;
    QTest::newRow("waiting behind another call") << 6 << 1 << false << 0;
    QTest::newRow("ringing out") << 2 << 2 << true << 0;
}

void TestBusDevices::modemManagerCalls()
{
    QFETCH(int, state);
    QFETCH(int, direction);
    QFETCH(bool, managed);
    QFETCH(int, ringing);
    QVERIFY(startModemManager(*bus));
    QCOMPARE(ringingWith("modemmanager"), 0);

    const QByteArray call = managed ? "/org/freedesktop/ModemManager1/Call/1" : "/calls/1";
    QVERIFY(bus->call(MM, MM_PATH, MOCK, "AddObject", [&](sd_bus_message *m) {
        return sd_bus_message_append(m, "ssa{sv}a(ssss)", call.constData(),
                                     "org.freedesktop.ModemManager1.Call", 2, "State", "i", state,
                                     "Direction", "i", direction, 0);
    }));
    QVERIFY(bus->call(MM, MM_PATH, MOCK, "AddObject", [&](sd_bus_message *m) {
        return sd_bus_message_append(m, "ssa{sv}a(ssss)", "/org/freedesktop/ModemManager1/Modem/0",
                                     "org.freedesktop.ModemManager1.Modem.Voice", 1, "Calls", "ao", 1,
                                     call.constData(), 0);
    }));
    QCOMPARE(ringingWith("modemmanager"), ringing);
    QCOMPARE(ringingWith(nullptr), ringing);
    QCOMPARE(ringingWith("ofono"), 0);
    QCOMPARE(ringingWith("none"), 0);
}

void TestBusDevices::ofonoCalls()
{
    QVERIFY(bus->startMock("org.ofono", {"-t", "ofono"}));
    QCOMPARE(ringingWith("ofono"), 0);
    QVERIFY(bus->call("org.ofono", "/ril_0", "org.ofono.VoiceCallManager", "Dial",
                      [](sd_bus_message *m) { return sd_bus_message_append(m, "ss", "555", ""); }));
    QCOMPARE(ringingWith("ofono"), 0);  // dialing out

    QVERIFY(bus->call("org.ofono", "/ril_0/voicecall01", MOCK, "UpdateProperties", [](sd_bus_message *m) {
        return sd_bus_message_append(m, "sa{sv}", "org.ofono.VoiceCall", 1, "State", "s", "incoming");
    }));
    QCOMPARE(ringingWith("ofono"), 1);
    QCOMPARE(ringingWith(nullptr), 1);  // no ModemManager: oFono
    QCOMPARE(ringingWith("modemmanager"), 0);

    QVERIFY(bus->call("org.ofono", "/ril_0/voicecall01", "org.ofono.VoiceCall", "Hangup"));
    QCOMPARE(ringingWith("ofono"), 0);
}

void TestBusDevices::absentOrStuckServicesNeverHang_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("no bus") << "no bus";
    QTest::newRow("no services") << "empty bus";
    QTest::newRow("services that never answer") << "stuck";
}

void TestBusDevices::absentOrStuckServicesNeverHang()
{
    QFETCH(QString, situation);
    if (situation == "no bus") {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + bus->folder().toUtf8() + "/nothing");
    } else if (situation == "stuck") {
        QVERIFY(startModemManager(*bus));
        QVERIFY(bus->startMock("org.freedesktop.login1",
                               {"org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                                "org.freedesktop.login1.Session"}));
        const char *sleep = "import time; time.sleep(3)";
        QVERIFY(bus->call(MM, MM_PATH, MOCK, "AddMethod", [&](sd_bus_message *m) {
            return sd_bus_message_append(m, "sssss", "org.freedesktop.DBus.ObjectManager",
                                         "GetManagedObjects", "", "a{oa{sa{sv}}}", sleep);
        }));
        QVERIFY(bus->call("org.freedesktop.login1", "/org/freedesktop/login1/session/auto", MOCK, "AddMethod",
                          [&](sd_bus_message *m) {
                              return sd_bus_message_append(m, "sssss", "org.freedesktop.login1.Session",
                                                           "SetBrightness", "ssu", "", sleep);
                          }));
    }
    for (const char *source : {"modemmanager", "ofono", static_cast<const char *>(nullptr)}) {
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ringingWith(source), 0);
        QVERIFY2(timer.elapsed() < 2000, source ? source : "automatic");
    }
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!logindSetBrightness(processSystemBus(), "backlight", "panel", 10));
    QVERIFY(timer.elapsed() < 2000);
}

QTEST_GUILESS_MAIN(TestBusDevices)
#include "tst_busdevices.moc"
