// SPDX-License-Identifier: GPL-2.0-or-later
// glowra on a desktop: its keys (Return is both a watched key and the middle soft key's),
// the window manager's close, the UI script's submenu choice, and the program's icon.
#include "daemoncommands.h"
#include "glowgui.h"
#include "glowra.h"
#include "lights.h"
#include "popupmenu.h"
#include "simlights.h"
#include "zapplication.h"
#include "zpushbutton.h"

#include "desktop.h"
#include "modal.h"
#include "phonetree.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList commands;

int recordCommand(const char *command)
{
    commands << QString::fromUtf8(command);
    return 0;
}

}  // namespace

class TestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void eachPressStartsOrStopsOnce_data();
    void eachPressStartsOrStopsOnce();
    void leavingSavesAndRestores_data();
    void leavingSavesAndRestores();
    void scriptChoosesASchemeInTheSubmenu_data();
    void scriptChoosesASchemeInTheSubmenu();
    void program();

private:
    QWidget *focused(glowGUI &w);
    QByteArray settings() const;

    std::unique_ptr<PhoneTree> phone;
};

void TestDesktop::initTestCase()
{
    setShellRunner(&recordCommand);
    qputenv("EZX_MIC", "silence");
}

void TestDesktop::init()
{
    phone.reset(new PhoneTree);
    phone->write("/ezx_user/download/appwrite/setup/ezx_system.cfg",
                 "[SYS_SYSTEM_SET]\nBrightness = 40\nLanguageType = en-us\n");
    QVERIFY(setInvocationPath(QFile::encodeName(phone->root() + "/glowra").constData()));
    commands.clear();
}

void TestDesktop::cleanup()
{
    if (glowO.runned())
        glowO.stop();
    closePopups();
    phone.reset();
    QCOMPARE(modalTimeouts(), 0);
}

QByteArray TestDesktop::settings() const
{
    QFile file(phone->root() + "/glowra.conf");
    return file.open(QIODevice::ReadOnly) ? file.readAll().toHex() : QByteArray("none");
}

// Shown and active, the panel's first control has the focus: keys arrive there.
QWidget *TestDesktop::focused(glowGUI &w)
{
    w.show();
    if (!QTest::qWaitFor([&w] { return w.isActiveWindow(); }))
        return nullptr;
    return QApplication::focusWidget();
}

void TestDesktop::eachPressStartsOrStopsOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("F2") << int(Qt::Key_F2);
}

void TestDesktop::eachPressStartsOrStopsOnce()
{
    QFETCH(int, key);
    glowGUI w;
    QWidget *target = focused(w);
    QVERIFY(target);
    QCOMPARE(target->objectName(), QStringLiteral("sensSlider"));
    auto *mid = w.findChild<ZPushButton *>("cstMidBtn");
    QTest::keyClick(target, Qt::Key(key));
    QVERIFY(glowO.runned());
    QCOMPARE(mid->text(), QStringLiteral("Stop"));
    // Held down, the key does not stop what it started.
    QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(target, &repeat);
    QVERIFY(glowO.runned());
    w.lang1();
    QTest::keyClick(target, Qt::Key(key));
    QVERIFY(!glowO.runned());
    QCOMPARE(mid->text(), QString::fromUtf8("Старт"));
    SimLightState lights{};
    QVERIFY(lightSimState(&lights) && lights.backlightOn && lights.level == 40);
}

void TestDesktop::leavingSavesAndRestores_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("F3") << "F3";
    QTest::newRow("window_manager_close") << "close";
}

void TestDesktop::leavingSavesAndRestores()
{
    QFETCH(QString, way);
    glowGUI w;
    QWidget *target = focused(w);
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(target, Qt::Key_Right);  // sensitivity 7
    QVERIFY(glowO.runned());
    if (way == QLatin1String("close"))
        QVERIFY(!closeFromWindowManager(&w));
    else
        QTest::keyClick(target, way == QLatin1String("F3") ? Qt::Key_F3 : Qt::Key_Escape);
    // As the right soft key: settings saved, flasher stopped, the user's brightness back.
    QTRY_COMPARE(settings(), QByteArray("0000000007280000"));
    QVERIFY(!glowO.runned());
    SimLightState lights{};
    QVERIFY(lightSimState(&lights) && lights.backlightOn && lights.level == 40);
}

void TestDesktop::scriptChoosesASchemeInTheSubmenu_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("question");
    QTest::newRow("English") << 0 << "Start daemon with this scheme?";
    QTest::newRow("Russian") << 1 << QString::fromUtf8("Запустить демон с этой схемой?");
}

void TestDesktop::scriptChoosesASchemeInTheSubmenu()
{
    QFETCH(int, language);
    QFETCH(QString, question);
    glowGUI w;
    w.changeLang(language);
    QVERIFY(focused(w));
    QString asked;
    answerMessageBox(1, &asked);
    QVERIFY(playScript(QStringLiteral("key F1; menu 3/4")));
    QCOMPARE(asked, question);
    QCOMPARE(commands, QStringList{phone->root() + "/glowrad 4 d &"});

    // While the flasher runs the schemes are locked, from the keyboard too.
    commands.clear();
    QVERIFY(playScript(QStringLiteral("key Return; key F1; menu 3/5")));
    QVERIFY(glowO.runned());
    QCOMPARE(commands, QStringList());
    QVERIFY(playScript(QStringLiteral("key Escape; key F2")));  // Escape closes the menu only
    QVERIFY(!glowO.runned());
    QVERIFY(w.isVisible());
    QCOMPARE(settings(), QByteArray("none"));
}

// The real panel: its icon, and the window manager's close saving the settings.
void TestDesktop::program()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("ezx_user/download/appwrite/setup");
    QFile config(dir.filePath("ezx_user/download/appwrite/setup/ezx_system.cfg"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("[SYS_SYSTEM_SET]\nBrightness = 40\nLanguageType = en-us\n");
    config.close();
    QVERIFY(QFile::link(qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/glowra", dir.filePath("glowra")));
    QProcess panel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("EZX_ROOT", dir.path());
    env.insert("EZX_LIGHTS", "sim:" + dir.filePath("lights.log"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("EZX_UI_SCRIPT",
               "wait 300; icon " + dir.filePath("icon.png") + "; key Left; close; wait 3000; quit 7");
    panel.setProcessEnvironment(env);
    panel.start(dir.filePath("glowra"), {});
    QVERIFY(panel.waitForFinished(15000));
    QCOMPARE(panel.exitCode(), 0);
    QFile saved(dir.filePath("glowra.conf"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().toHex(), QByteArray("0000000005280000"));
    QVERIFY(isProgramIcon(dir.filePath("icon.png"), "glowra"));
}

int main(int argc, char **argv)
{
    useSimLights(argv);
    ZApplication app(argc, argv, 1);
    TestDesktop test;
    const int result = QTest::qExec(&test, argc, argv);
    removeTestLightLog();
    return result;
}

#include "tst_glowra_desktop.moc"
