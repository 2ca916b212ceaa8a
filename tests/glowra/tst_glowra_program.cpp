// SPDX-License-Identifier: GPL-2.0-or-later
#include "simlights.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

// The real glowra, started through a link in a folder of its own: its settings file and its
// daemon are looked for beside the link.
class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void signalStopsFlasherWithoutSaving_data();
    void signalStopsFlasherWithoutSaving();
    void settingsSurviveRestart();
    void overlongPathIsRefused();
    void missingLightIsToldAtStart();

private:
    void start(QProcess &panel, const QString &script, const QString &linkFolder = QString());
    QByteArray settings() const;

    std::unique_ptr<QTemporaryDir> dir;
};

void TestProgram::init()
{
    dir.reset(new QTemporaryDir);
    QDir(dir->path()).mkpath("ezx_user/download/appwrite/setup");
    QFile config(dir->filePath("ezx_user/download/appwrite/setup/ezx_system.cfg"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("[SYS_SYSTEM_SET]\nBrightness = 40\nLanguageType = en-us\n");
}

void TestProgram::start(QProcess &panel, const QString &script, const QString &linkFolder)
{
    const QString folder = linkFolder.isEmpty() ? dir->path() : linkFolder;
    const QString link = folder + "/glowra";
    QFile::link(qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/glowra", link);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("EZX_ROOT", dir->path());
    env.insert("EZX_LIGHTS", "sim:" + dir->filePath("lights.log"));
    env.insert("EZX_MIC", "silence");
    env.insert("EZX_UI_SCRIPT", script);
    panel.setProcessEnvironment(env);
    panel.start(link, {});
    QVERIFY(panel.waitForStarted());
}

QByteArray TestProgram::settings() const
{
    QFile file(dir->filePath("glowra.conf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toHex() : QByteArray("none");
}

void TestProgram::signalStopsFlasherWithoutSaving_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGFPE") << SIGFPE;
}

void TestProgram::signalStopsFlasherWithoutSaving()
{
    QFETCH(int, signal);
    QProcess panel;
    start(panel, "click cstMidBtn");
    const QString log = dir->filePath("lights.log");
    QTRY_VERIFY(lightLog(log).contains("/dev/fb0 0x4619 0"));  // the flasher runs
    QVERIFY(panel.processId() > 0);                            // kill(0, ...) would hit the whole test run
    ::kill(pid_t(panel.processId()), signal);
    QVERIFY(panel.waitForFinished(3000));
    QCOMPARE(panel.exitStatus(), QProcess::NormalExit);
    QCOMPARE(panel.exitCode(), 0);
    const QStringList end{"/dev/keylight 0xf2 0", "/dev/fb0 0x4611 0", "/dev/fb0 0x4619 1",
                          "/dev/fb0 0x461b 40",   "close /dev/fb0",    "close /dev/keylight"};
    QCOMPARE(lightLog(log).mid(lightLog(log).size() - end.size()), end);
    QCOMPARE(settings(), QByteArray("none"));
}

void TestProgram::settingsSurviveRestart()
{
    for (const char *expected : {"0000000007280000", "0000000008280000"}) {
        QProcess panel;
        start(panel, "key Right; click cstRightBtn");
        QVERIFY(panel.waitForFinished(10000));
        QCOMPARE(panel.exitCode(), 0);
        QCOMPARE(settings(), QByteArray(expected));
    }
}

void TestProgram::overlongPathIsRefused()
{
    const QString deep = dir->path() + "/" + QString(120, 'a') + "/" + QString(120, 'b');
    QVERIFY(QDir().mkpath(deep));
    QProcess panel;
    start(panel, "answer 0", deep);
    QVERIFY(panel.waitForFinished(10000));
    QCOMPARE(panel.exitCode(), 1);
    QVERIFY(panel.readAllStandardError().contains("too long"));
    QVERIFY(!QFile::exists(deep + "/glowra.conf"));
}

void TestProgram::missingLightIsToldAtStart()
{
    qputenv("EZX_SIM_MISSING", "/dev/keylight");
    QProcess panel;
    start(panel, "quit 0");
    qunsetenv("EZX_SIM_MISSING");
    QVERIFY(panel.waitForFinished(10000));
    QCOMPARE(panel.exitCode(), 0);
    QVERIFY(panel.readAllStandardError().contains(
        "glowra: Can't open /dev/keylight: no keypad light to flash\n"));
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_glowra_program.moc"
