// SPDX-License-Identifier: GPL-2.0-or-later
#include "blockanalysis.h"
#include "daemoncommands.h"
#include "glowgui.h"
#include "glowra.h"
#include "lights.h"
#include "modal.h"
#include "phonetree.h"
#include "popupmenu.h"
#include "simlights.h"
#include "zapplication.h"
#include "zpushbutton.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <memory>

namespace {

QStringList commands;

int recordCommand(const char *command)
{
    commands << QString::fromUtf8(command);
    return 0;
}

template <typename T> T *child(const glowGUI &w, const char *name)
{
    T *found = w.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

}  // namespace

// The panel window in this process, with a settings file and phone tree of its own, shell
// commands recorded instead of run.
class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keepsSettingsThroughRightSoftKey();
    void checkBoxRules();
    void sensitivityKeysStopAtTheEnds_data();
    void sensitivityKeysStopAtTheEnds();
    void runningLocksSchemesAndSwitchesToRussian();
    void schemeCommands_data();
    void schemeCommands();
    void quotedPathStartsTheRightFile();

private:
    std::unique_ptr<PhoneTree> phone;
    QString settingsFile;
};

void TestWindow::initTestCase()
{
    setShellRunner(&recordCommand);
    // Never the machine's own microphone.
    qputenv("EZX_MIC", "silence");
}

void TestWindow::init()
{
    phone.reset(new PhoneTree);
    phone->write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                 "[SYS_SYSTEM_SET]\nBrightness = 40\nLanguageType = en-us\n");
    QVERIFY(setInvocationPath(QFile::encodeName(phone->root() + "/glowra").constData()));
    settingsFile = phone->root() + "/glowra.conf";
    commands.clear();
}

void TestWindow::cleanup()
{
    if (glowO.runned())
        glowO.stop();
    phone.reset();
    QCOMPARE(modalTimeouts(), 0);
}

void TestWindow::keepsSettingsThroughRightSoftKey()
{
    {
        // First start: the defaults, the brightness slider at the user's brightness.
        glowGUI w;
        QCOMPARE(child<QLabel>(w, "sensLabel")->text(), QStringLiteral("Sensitivity: 6"));
        QCOMPARE(child<QSlider>(w, "brightSlider")->value(), 40);
        QVERIFY(!child<QSlider>(w, "brightSlider")->isEnabled());
        QVERIFY(!child<QCheckBox>(w, "smoothCheck")->isChecked());
        QTest::keyClick(&w, Qt::Key_Right);
        child<QCheckBox>(w, "brightCheck")->click();
        child<QSlider>(w, "brightSlider")->setValue(33);
        w.lang1();
        child<ZPushButton>(w, "cstRightBtn")->click();
    }
    QFile saved(settingsFile);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().toHex(), QByteArray("0100000007210100"));
    SimLightState lights{};
    QVERIFY(lightSimState(&lights) && lights.backlightOn && lights.level == 40);

    glowGUI w;
    QCOMPARE(child<ZPushButton>(w, "cstMidBtn")->text(), QString::fromUtf8("Старт"));
    QVERIFY(child<QRadioButton>(w, "russianRadio")->isChecked());
    QCOMPARE(child<QSlider>(w, "sensSlider")->value(), 7);
    QCOMPARE(child<QSlider>(w, "brightSlider")->value(), 33);
    QVERIFY(child<QSlider>(w, "brightSlider")->isEnabled());
    QCOMPARE(child<QLabel>(w, "sensLabel")->text(), QString::fromUtf8("Чувствительность: 7"));
}

void TestWindow::checkBoxRules()
{
    glowGUI w;
    auto *bright = child<QCheckBox>(w, "brightCheck");
    auto *smooth = child<QCheckBox>(w, "smoothCheck");
    auto *slider = child<QSlider>(w, "brightSlider");
    smooth->click();
    bright->click();  // ticking brightness unticks smooth
    QVERIFY(bright->isChecked() && !smooth->isChecked() && slider->isEnabled());
    smooth->click();  // ticking smooth unticks brightness
    QVERIFY(smooth->isChecked() && !bright->isChecked() && !slider->isEnabled());
    smooth->click();
    QVERIFY(!smooth->isChecked() && !bright->isChecked() && !slider->isEnabled());
    bright->click();
    bright->click();
    QVERIFY(!bright->isChecked() && !slider->isEnabled());
}

void TestWindow::sensitivityKeysStopAtTheEnds_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("right_at_9") << 9 << int(Qt::Key_Right) << 9;
    QTest::newRow("left_at_0") << 0 << int(Qt::Key_Left) << 0;
    QTest::newRow("right_from_5") << 5 << int(Qt::Key_Right) << 6;
    QTest::newRow("left_from_5") << 5 << int(Qt::Key_Left) << 4;
}

void TestWindow::sensitivityKeysStopAtTheEnds()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    glowGUI w;
    auto *slider = child<QSlider>(w, "sensSlider");
    slider->setValue(from);
    QTest::keyClick(&w, Qt::Key(key));
    QCOMPARE(slider->value(), to);
    // The label and the flasher's threshold follow at the next tick.
    QTRY_COMPARE(fl_sens.load(), sensThreshold(to));
    QCOMPARE(child<QLabel>(w, "sensLabel")->text(), QStringLiteral("Sensitivity: %1").arg(to));
}

void TestWindow::runningLocksSchemesAndSwitchesToRussian()
{
    glowGUI w;
    auto *mid = child<ZPushButton>(w, "cstMidBtn");
    auto *menu = child<PopupMenu>(w, "mainMenu");
    child<QCheckBox>(w, "brightCheck")->click();
    child<QSlider>(w, "brightSlider")->setValue(70);
    auto *micMarker = child<QLabel>(w, "micMarker");
    QVERIFY(micMarker->isHidden());
    mid->click();
    SimLightState lights{};
    QVERIFY(glowO.runned() && lightSimState(&lights) && !lights.backlightOn);
    // The title shows that the microphone listens, and keeps its own text.
    QVERIFY(!micMarker->isHidden());
    QCOMPARE(child<QLabel>(w, "title")->text(), QStringLiteral(" Glowra"));
    QCOMPARE(fl_fbbr.load(), 70);
    QCOMPARE(mid->text(), QStringLiteral("Stop"));
    QVERIFY(!menu->isItemEnabled(3));

    w.lang1();
    QCOMPARE(mid->text(), QString::fromUtf8("Стоп"));
    QCOMPARE(menu->text(3), QString::fromUtf8("Запуск демона"));
    QCOMPARE(menu->text(4), QString::fromUtf8("Остановка демона"));
    QCOMPARE(child<PopupMenu>(w, "schemeMenu")->text(9), QString::fromUtf8("Акустика"));
    QVERIFY(!child<QRadioButton>(w, "englishRadio")->isChecked());

    QTest::keyClick(&w, Qt::Key_Return);
    QVERIFY(!glowO.runned() && lightSimState(&lights) && lights.backlightOn);
    QCOMPARE(lights.level, 40);
    QCOMPARE(mid->text(), QString::fromUtf8("Старт"));
    QVERIFY(menu->isItemEnabled(3));
    QVERIFY(micMarker->isHidden());
}

void TestWindow::schemeCommands_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("run");
    QTest::newRow("no_runs_the_demo_only") << 1 << QStringList{"/glowrad 4 d &"};
    QTest::newRow("yes_replaces_the_daemon") << 0 << QStringList{"/glowrad 4 d &", "kill", "/glowrad 4 &"};
}

void TestWindow::schemeCommands()
{
    QFETCH(int, answer);
    QFETCH(QStringList, run);
    for (QString &command : run)
        command =
            command == QLatin1String("kill") ? QString::fromUtf8(stopDaemonCommand) : phone->root() + command;
    glowGUI w;
    QString question;
    QStringList buttons;
    answerMessageBox(answer, &question, &buttons);
    QVERIFY(child<PopupMenu>(w, "schemeMenu")->activateItem(4));
    QCOMPARE(question, QStringLiteral("Start daemon with this scheme?"));
    QCOMPARE(buttons, (QStringList{"Yes", "No"}));
    QCOMPARE(commands, run);
}

void TestWindow::quotedPathStartsTheRightFile()
{
    // A stand-in daemon that notes its arguments, in a folder the shell would split or
    // misread unquoted.
    const QString folder = phone->root() + "/it's a $(dir)";
    QVERIFY(QDir().mkpath(folder));
    QFile daemon(folder + "/glowrad");
    QVERIFY(daemon.open(QIODevice::WriteOnly));
    daemon.write("#!/bin/sh\necho \"$*\" > \"$0.args\"\n");
    daemon.close();
    daemon.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(setInvocationPath(QFile::encodeName(folder + "/glowra").constData()));

    setShellRunner(nullptr);
    glowGUI w;
    answerMessageBox(1);
    child<PopupMenu>(w, "schemeMenu")->activateItem(7);
    setShellRunner(&recordCommand);
    const auto args = [&folder] {
        QFile file(folder + "/glowrad.args");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_COMPARE(args(), QByteArray("7 d\n"));
}

SIM_LIGHTS_TEST_MAIN(TestWindow, ZApplication)

#include "tst_glowra_window.moc"
