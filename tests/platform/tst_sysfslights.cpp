// SPDX-License-Identifier: GPL-2.0-or-later
#include "fakesysfs.h"
#include "lights.h"
#include "lights_sysfs.h"
#include "phonetree.h"
#include "setupsetmanager.h"

#include <QtTest>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// The sysfs lights on fake /sys trees, in this process.
class TestSysfsLights : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void backlightChoice_data();
    void backlightChoice();
    void levelsReadBackAsAsked_data();
    void levelsReadBackAsAsked();
    void switchingKeepsTheLevel_data();
    void switchingKeepsTheLevel();
    void keyboardLight();
    void defaultBackend_data();
    void defaultBackend();
    void brightnessSetting_data();
    void brightnessSetting();

private:
    int request(int fd, unsigned long request, unsigned long arg = 0)
    {
        return lightRequest(fd, request, arg);
    }
    int level(int fd)
    {
        int value = -1;
        return lightRequest(fd, LIGHT_FB_GET_LEVEL, &value) == 0 ? value : -1;
    }
    int backlightOn(int fd)
    {
        unsigned char on = 7;
        return lightRequest(fd, LIGHT_FB_GET_BACKLIGHT, &on) == 0 ? on : -1;
    }

    std::unique_ptr<PhoneTree> tree;
    FakeSysfs sys;
};

void TestSysfsLights::init()
{
    for (const char *var : {"EZX_BACKLIGHT", "EZX_KEYLIGHT"})
        qunsetenv(var);
    qputenv("EZX_LIGHTS", "sysfs");
    tree.reset(new PhoneTree);
    sys.root = tree->root();
    lightsReset();
}

void TestSysfsLights::cleanup()
{
    lightsReset();
    tree.reset();
}

void TestSysfsLights::backlightChoice_data()
{
    QTest::addColumn<QStringList>("devices");  // name:type:max_brightness
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("chosen");
    const QStringList three{"intel_backlight:raw:1000", "pwm-backlight:platform:255",
                            "acpi_video0:firmware:100"};
    QTest::newRow("firmware first") << three << ""
                                    << "acpi_video0";
    QTest::newRow("then platform") << three.mid(0, 2) << ""
                                   << "pwm-backlight";
    QTest::newRow("unknown type last") << QStringList{"odd:vendor:10", "intel_backlight:raw:1000"} << ""
                                       << "intel_backlight";
    QTest::newRow("no max_brightness skipped")
        << QStringList{"acpi_video0:firmware:0", "intel_backlight:raw:1000"} << ""
        << "intel_backlight";
    QTest::newRow("named") << three << "intel_backlight"
                           << "intel_backlight";
    QTest::newRow("named but missing") << three << "nosuch"
                                       << "";
    QTest::newRow("name leaving the class") << three << "../leds/x"
                                            << "";
    QTest::newRow("none") << QStringList() << ""
                          << "";
}

void TestSysfsLights::backlightChoice()
{
    QFETCH(QStringList, devices);
    QFETCH(QString, wanted);
    QFETCH(QString, chosen);
    for (const QString &device : devices) {
        const QStringList part = device.split(':');
        sys.addBacklight(part[0], part[1], part[2].toLong(), 1);
    }
    sys.addBacklight("../leds/x", "firmware", 10, 1);
    if (!wanted.isEmpty())
        qputenv("EZX_BACKLIGHT", wanted.toUtf8());
    const SysfsDevice found = findBacklight();
    QCOMPARE(found.valid() ? QString::fromStdString(found.name) : QString(), chosen);
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
    QCOMPARE(fb >= 0, !chosen.isEmpty());
    if (fb < 0)
        QCOMPARE(errno, ENOENT);
    else
        QCOMPARE(lightClose(fb), 0);
}

void TestSysfsLights::levelsReadBackAsAsked_data()
{
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("answered");
    QTest::newRow("fine") << 1000 << 37 << 370 << 37;
    QTest::newRow("coarse keeps the asked level") << 7 << 40 << 3 << 40;
    QTest::newRow("low level is never dark") << 7 << 5 << 1 << 5;
    QTest::newRow("above 100 clamped") << 255 << 255 << 255 << 100;
    QTest::newRow("zero") << 100 << 0 << 0 << 0;
}

void TestSysfsLights::levelsReadBackAsAsked()
{
    QFETCH(int, max);
    QFETCH(int, asked);
    QFETCH(int, raw);
    QFETCH(int, answered);
    sys.addBacklight("panel", "raw", max, max / 2);
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDWR);
    QVERIFY(fb >= 0);
    QCOMPARE(request(fb, LIGHT_FB_SET_LEVEL, unsigned(asked)), 0);
    QCOMPARE(sys.value("backlight/panel/brightness"), long(raw));
    QCOMPARE(level(fb), answered);
    QCOMPARE(backlightOn(fb), 1);
    // Someone else moved it: the device's own value counts again.
    sys.set("backlight/panel/brightness", max);
    QCOMPARE(level(fb), 100);
    QCOMPARE(request(fb, 0x1234), -1);
    QCOMPARE(lightClose(fb), 0);
    QCOMPARE(request(fb, LIGHT_FB_SET_LEVEL, 10), -1);
}

void TestSysfsLights::switchingKeepsTheLevel_data()
{
    QTest::addColumn<bool>("power");
    QTest::newRow("bl_power") << true;
    QTest::newRow("brightness only") << false;
}

void TestSysfsLights::switchingKeepsTheLevel()
{
    QFETCH(bool, power);
    sys.addBacklight("panel", "firmware", 100, 60, power);
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
    QVERIFY(fb >= 0);
    QCOMPARE(request(fb, LIGHT_FB_BLANK, 0), 0);
    QCOMPARE(request(fb, LIGHT_FB_BACKLIGHT, 0), 0);
    QCOMPARE(backlightOn(fb), 0);
    QCOMPARE(sys.value("backlight/panel/bl_power"), power ? 4L : -1L);
    QCOMPARE(sys.value("backlight/panel/brightness"), power ? 60L : 0L);
    QCOMPARE(level(fb), 60);

    // A level set while dark waits for the light to come on.
    QCOMPARE(request(fb, LIGHT_FB_SET_LEVEL, 80), 0);
    QCOMPARE(backlightOn(fb), 0);
    QCOMPARE(sys.value("backlight/panel/brightness"), power ? 80L : 0L);
    QCOMPARE(level(fb), 80);

    QCOMPARE(request(fb, LIGHT_FB_BLANK, 0), 0);
    QCOMPARE(request(fb, LIGHT_FB_BACKLIGHT, 1), 0);
    QCOMPARE(backlightOn(fb), 1);
    QCOMPARE(sys.value("backlight/panel/bl_power"), power ? 0L : -1L);
    QCOMPARE(sys.value("backlight/panel/brightness"), 80L);
    QCOMPARE(level(fb), 80);
    lightClose(fb);
}

void TestSysfsLights::keyboardLight()
{
    sys.addBacklight("panel", "raw", 100, 50);
    sys.addLed("input3::capslock", 1, 0);
    sys.addLed("tpacpi::kbd_backlight", 2, 0);
    sys.addLed("zz::kbd_backlight", 0, 0);
    int kl = lightOpen(LIGHT_NODE_KEYPAD, O_RDONLY | O_NONBLOCK);
    QVERIFY(kl >= 0);
    QCOMPARE(request(kl, LIGHT_KEYPAD_ON), 0);
    QCOMPARE(sys.value("leds/tpacpi::kbd_backlight/brightness"), 2L);
    QCOMPARE(sys.value("leds/input3::capslock/brightness"), 0L);
    QCOMPARE(request(kl, LIGHT_FB_SET_LEVEL, 5), -1);
    QCOMPARE(request(kl, LIGHT_KEYPAD_OFF), 0);
    QCOMPARE(sys.value("leds/tpacpi::kbd_backlight/brightness"), 0L);
    lightClose(kl);

    qputenv("EZX_KEYLIGHT", "input3::capslock");
    lightsReset();
    kl = lightOpen(LIGHT_NODE_KEYPAD, O_RDONLY | O_NONBLOCK);
    QCOMPARE(request(kl, LIGHT_KEYPAD_ON), 0);
    QCOMPARE(sys.value("leds/input3::capslock/brightness"), 1L);
    lightClose(kl);

    // A machine without one can still play the backlight part.
    qputenv("EZX_KEYLIGHT", "none");
    lightsReset();
    kl = lightOpen(LIGHT_NODE_KEYPAD, O_RDONLY | O_NONBLOCK);
    QVERIFY(kl >= 0);
    QCOMPARE(request(kl, LIGHT_KEYPAD_ON), 0);
    QCOMPARE(sys.value("leds/tpacpi::kbd_backlight/brightness"), 0L);
    lightClose(kl);

    qputenv("EZX_KEYLIGHT", "nosuch");
    lightsReset();
    QCOMPARE(lightOpen(LIGHT_NODE_KEYPAD, O_RDONLY | O_NONBLOCK), -1);
    QCOMPARE(errno, ENOENT);
    QCOMPARE(lightOpen("/dev/other", O_RDONLY), -1);
}

void TestSysfsLights::defaultBackend_data()
{
    QTest::addColumn<bool>("keylightNode");
    QTest::addColumn<bool>("backlight");
    QTest::addColumn<bool>("sysfs");
    QTest::newRow("phone's keypad light node") << true << true << false;
    QTest::newRow("a backlight in /sys") << false << true << true;
    QTest::newRow("neither") << false << false << false;
}

void TestSysfsLights::defaultBackend()
{
    QFETCH(bool, keylightNode);
    QFETCH(bool, backlight);
    QFETCH(bool, sysfs);
    qunsetenv("EZX_LIGHTS");
    tree->mkdir("/dev");
    if (keylightNode
        && ::mknod(QFile::encodeName(tree->path("/dev/keylight")).constData(), S_IFCHR | 0600, makedev(1, 3))
               != 0)
        QSKIP("device nodes cannot be made here");
    if (backlight)
        sys.addBacklight("panel", "raw", 100, 30);
    unsigned int start = 0;
    QCOMPARE(lights().levelAtStart(&start), sysfs);
    if (sysfs)
        QCOMPARE(start, 30u);
}

void TestSysfsLights::brightnessSetting_data()
{
    QTest::addColumn<QString>("lights");
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<long>("raw");
    QTest::addColumn<unsigned>("value");
    QTest::addColumn<int>("found");
    QTest::addColumn<bool>("lightsUsed");
    const QByteArray setting = "[SYS_SYSTEM_SET]\nBrightness = 40\n";
    QTest::newRow("setting wins") << "sysfs" << setting << 140L << 40u << 1 << true;
    QTest::newRow("backlight at start") << "sysfs" << QByteArray() << 140L << 70u << 1 << true;
    QTest::newRow("not a number") << "sysfs" << QByteArray("[SYS_SYSTEM_SET]\nBrightness = x\n") << 140L
                                  << 70u << 1 << true;
    QTest::newRow("dark backlight") << "sysfs" << QByteArray() << 0L << 25u << 0 << true;
    QTest::newRow("other lights") << "sim:/dev/null" << QByteArray() << 140L << 25u << 0 << true;
    // Only lights in use tell their level: a program that never opens them gets the default.
    QTest::newRow("lights never used") << "sysfs" << QByteArray() << 140L << 25u << 0 << false;
}

void TestSysfsLights::brightnessSetting()
{
    QFETCH(QString, lights);
    QFETCH(QByteArray, config);
    QFETCH(long, raw);
    QFETCH(unsigned, value);
    QFETCH(int, found);
    QFETCH(bool, lightsUsed);
    qputenv("EZX_LIGHTS", lights.toUtf8());
    sys.addBacklight("panel", "raw", 200, raw);
    if (!config.isEmpty())
        tree->write("/ezx_user/download/appwrite/setup/ezx_system.cfg", config);
    const int fb = lightsUsed ? lightOpen(LIGHT_NODE_FB, O_RDONLY) : -1;
    // What the programs do first may change the backlight; the start level stays.
    if (lightsUsed)
        lightRequest(fb, LIGHT_FB_SET_LEVEL, 90ul);
    SETUP_SET_Manager manager(AM_Global::Apps(77), false);
    unsigned int got = 0;
    QCOMPARE(manager.getSettingInfo("SYS_SYSTEM_SET", "Brightness", got, 25), found);
    QCOMPARE(got, value);
    unsigned int other = 0;
    QCOMPARE(manager.getSettingInfo("SYS_SYSTEM_SET", "Contrast", other, 3), 0);
    QCOMPARE(other, 3u);
    if (lightsUsed)
        lightClose(fb);
}

QTEST_GUILESS_MAIN(TestSysfsLights)
#include "tst_sysfslights.moc"
