// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemonrig.h"

#include "simlightlog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <csignal>

DaemonRig::DaemonRig() : environment(QProcessEnvironment::systemEnvironment())
{
    const QString built = qEnvironmentVariable("EZX_TEST_BIN_DIR") + QStringLiteral("/glowrad");
    QFile::link(built, program());
    QDir().mkpath(folder() + QStringLiteral("/root"));
    for (const char *name : {"EZX_SIM_LEVEL", "EZX_SIM_BACKLIGHT", "EZX_SIM_FAIL", "EZX_SIM_MISSING"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("EZX_LIGHTS"),
                       QStringLiteral("sim:") + folder() + QStringLiteral("/lights.log"));
    environment.insert(QStringLiteral("EZX_ROOT"), folder() + QStringLiteral("/root"));
    environment.insert(QStringLiteral("EZX_CALL"),
                       QStringLiteral("file:") + folder() + QStringLiteral("/ringing"));
}

DaemonRig::~DaemonRig()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool DaemonRig::isValid() const
{
    return dir.isValid() && QFileInfo(program()).isExecutable();
}

QString DaemonRig::program() const
{
    return folder() + QStringLiteral("/glowrad");
}

QString DaemonRig::folder() const
{
    return dir.path();
}

void DaemonRig::writeSchemes(const QByteArray &file) const
{
    QFile out(program() + QStringLiteral(".sch"));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(file);
}

void DaemonRig::setBrightnessSetting(const QString &value) const
{
    const QString setup = folder() + QStringLiteral("/root/ezx_user/download/appwrite/setup");
    QDir().mkpath(setup);
    QFile out(setup + QStringLiteral("/ezx_system.cfg"));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write("[SYS_SYSTEM_SET]\nBrightness = " + value.toUtf8() + "\n");
}

void DaemonRig::setEnvironment(const QString &name, const QString &value)
{
    environment.insert(name, value);
}

void DaemonRig::ring(bool ringing) const
{
    const QString path = folder() + QStringLiteral("/ringing");
    if (ringing) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
    } else {
        QFile::remove(path);
    }
}

void DaemonRig::start(const QStringList &arguments)
{
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program(), arguments);
    process.waitForStarted(5000);
}

bool DaemonRig::waitForEnd(int ms)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(ms);
}

void DaemonRig::signal(int number)
{
    // processId() is 0 once the daemon has ended, and kill(0, ...) would hit the whole test run.
    const pid_t daemon = pid_t(process.processId());
    if (daemon > 0)
        ::kill(daemon, number);
}

qint64 DaemonRig::pid() const
{
    return process.processId();
}

QString DaemonRig::output()
{
    stdoutSoFar += process.readAllStandardOutput();
    return QString::fromLocal8Bit(stdoutSoFar);
}

bool DaemonRig::waitForOutput(const QString &text, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!output().contains(text)) {
        if (clock.elapsed() > ms || process.state() == QProcess::NotRunning)
            return output().contains(text);
        process.waitForReadyRead(20);
    }
    return true;
}

int DaemonRig::exitCode() const
{
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QStringList DaemonRig::log() const
{
    return SimLightLog(folder() + QStringLiteral("/lights.log")).lines();
}

bool DaemonRig::waitForLog(const std::function<bool(const QStringList &)> &ready, int ms) const
{
    QElapsedTimer clock;
    clock.start();
    while (!ready(log())) {
        if (clock.elapsed() > ms)
            return false;
        QThread::msleep(5);
    }
    return true;
}

bool DaemonRig::waitForLogLine(const QString &line, int ms) const
{
    return waitForLog([&](const QStringList &lines) { return lines.contains(line); }, ms);
}

QByteArray schemesFile(const std::vector<std::vector<SchemeStep>> &schemes)
{
    const std::vector<unsigned char> bytes = encodeSchemes(schemes);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

SchemeStep step(int duration, int backlight, int keypad)
{
    SchemeStep s;
    s.duration = std::uint16_t(duration);
    s.backlight = std::uint8_t(backlight);
    s.keypad = std::uint8_t(keypad);
    return s;
}

QStringList openLines()
{
    return {QStringLiteral("open /dev/fb0"), QStringLiteral("open /dev/keylight")};
}

QStringList stepLines(const SchemeStep &s, unsigned int userLevel)
{
    QStringList lines{s.keypad ? QStringLiteral("/dev/keylight 0xf0 0")
                               : QStringLiteral("/dev/keylight 0xf2 0")};
    if (s.backlight == 0) {
        lines << QStringLiteral("/dev/fb0 0x4619 0");
        return lines;
    }
    lines << QStringLiteral("/dev/fb0 0x4611 0") << QStringLiteral("/dev/fb0 0x4619 1")
          << QStringLiteral("/dev/fb0 0x461b %1").arg(s.backlight == 1 ? userLevel : s.backlight);
    return lines;
}

QStringList restoreLines(unsigned int userLevel)
{
    return {QStringLiteral("/dev/fb0 0x4619 1"), QStringLiteral("/dev/fb0 0x461b %1").arg(userLevel),
            QStringLiteral("/dev/keylight 0xf2 0"), QStringLiteral("close /dev/fb0"),
            QStringLiteral("close /dev/keylight")};
}
