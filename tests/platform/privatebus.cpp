// SPDX-License-Identifier: GPL-2.0-or-later
#include "privatebus.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <systemd/sd-bus.h>

namespace {

const char *const CONFIG = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";

}  // namespace

QString PrivateBus::python()
{
    // The Debian interpreter, which has the distribution's dbusmock, before any other.
    return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
}

PrivateBus::PrivateBus()
{
    hadAddress = qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS");
    previousAddress = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    const QString daemonProgram = QStandardPaths::findExecutable("dbus-daemon");
    if (daemonProgram.isEmpty()) {
        missing = "dbus-daemon is not installed";
        return;
    }
    QProcess probe;
    probe.start(python(), {"-c", "import dbusmock"});
    if (!probe.waitForFinished(20000) || probe.exitCode() != 0) {
        missing = "python3-dbusmock is not installed";
        return;
    }
    // Services running as another user (the tests drop to nobody) must reach the socket.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ReadOther | QFileDevice::ExeOther
                                          | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    const QString socket = dir.filePath("system_bus_socket");
    QFile config(dir.filePath("bus.conf"));
    if (!config.open(QIODevice::WriteOnly)
        || config.write(QString::fromLatin1(CONFIG).arg(socket).toUtf8()) < 0) {
        missing = "cannot write the bus configuration";
        return;
    }
    config.close();
    daemon.setStandardErrorFile(QProcess::nullDevice());  // complains of its fd limit
    daemon.start(daemonProgram,
                 {"--config-file=" + config.fileName(), "--nofork", "--nopidfile", "--print-address=1"});
    if (!daemon.waitForStarted(10000)) {
        missing = "dbus-daemon does not start";
        return;
    }
    QDeadlineTimer deadline(20000);
    while (!daemon.canReadLine() && !deadline.hasExpired())
        daemon.waitForReadyRead(100);
    busAddress = QString::fromUtf8(daemon.readLine()).trimmed();
    if (busAddress.isEmpty()) {
        missing = "dbus-daemon gave no address";
        return;
    }
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", busAddress.toUtf8());
}

PrivateBus::~PrivateBus()
{
    for (auto &mock : mocks) {
        mock->kill();
        mock->waitForFinished(5000);
    }
    daemon.kill();
    daemon.waitForFinished(5000);
    if (hadAddress)
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", previousAddress);
    else
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

bool PrivateBus::owned(const QString &name)
{
    int has = 0;
    const QByteArray wanted = name.toUtf8();
    sd_bus *bus = nullptr;
    if (sd_bus_open_system(&bus) < 0)
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message *reply = nullptr;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &error, &reply, "s", wanted.constData())
        >= 0) {
        sd_bus_message_read(reply, "b", &has);
        sd_bus_message_unref(reply);
    }
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return has != 0;
}

bool PrivateBus::startMock(const QString &name, const QStringList &arguments)
{
    if (!missing.isEmpty())
        return false;
    auto mock = std::make_unique<QProcess>();
    mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mock->setStandardOutputFile(QProcess::nullDevice());
    mock->start(python(), QStringList{"-m", "dbusmock", "--system"} + arguments);
    if (!mock->waitForStarted(10000))
        return false;
    mocks.push_back(std::move(mock));
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (owned(name))
            return true;
        if (mocks.back()->state() == QProcess::NotRunning)
            return false;
        QThread::msleep(50);
    }
    return false;
}

bool PrivateBus::call(const char *service, const char *path, const char *interface, const char *method,
                      const std::function<int(sd_bus_message *)> &append,
                      const std::function<bool(sd_bus_message *)> &read)
{
    // The set-up of a stand-in may be slow on a loaded machine: a patient call of its own.
    sd_bus *bus = nullptr;
    if (sd_bus_open_system(&bus) < 0)
        return false;
    sd_bus_message *request = nullptr;
    bool done = false;
    if (sd_bus_message_new_method_call(bus, &request, service, path, interface, method) >= 0
        && (!append || append(request) >= 0)) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message *reply = nullptr;
        done = sd_bus_call(bus, request, 20000000, &error, &reply) >= 0;
        if (!done)
            qWarning("%s failed: %s", method, error.message ? error.message : "?");
        else if (read)
            done = read(reply);
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
    }
    sd_bus_message_unref(request);
    sd_bus_flush_close_unref(bus);
    return done;
}

int PrivateBus::callsOf(const char *service, const char *path, const char *method)
{
    int count = -1;
    call(
        service, path, "org.freedesktop.DBus.Mock", "GetMethodCalls",
        [method](sd_bus_message *m) { return sd_bus_message_append(m, "s", method); },
        [&count](sd_bus_message *reply) {
            if (sd_bus_message_enter_container(reply, 'a', "(tav)") <= 0)
                return false;
            int calls = 0;
            while (sd_bus_message_at_end(reply, 0) == 0) {
                if (sd_bus_message_skip(reply, "(tav)") < 0)
                    return false;
                ++calls;
            }
            count = calls;
            return true;
        });
    return count;
}
