// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

struct sd_bus_message;

// A system bus of the test's own: a dbus-daemon that anyone may use, DBUS_SYSTEM_BUS_ADDRESS
// pointing at it for the test's lifetime, and stand-ins for system services made with
// python3-dbusmock on it. Everything started is killed when it goes.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();

    // Empty when the tools are there; else why the test cannot run.
    QString missingTool() const { return missing; }
    QString address() const { return busAddress; }
    QString folder() const { return dir.path(); }

    // python3 -m dbusmock --system ARGUMENTS; true once NAME is owned on the bus.
    bool startMock(const QString &name, const QStringList &arguments);
    // A method call on the bus; `read` takes the reply. False when the call or `read` failed.
    bool call(const char *service, const char *path, const char *interface, const char *method,
              const std::function<int(sd_bus_message *)> &append = {},
              const std::function<bool(sd_bus_message *)> &read = {});
    // How often the stand-in's object PATH has been asked METHOD; -1 when it cannot tell.
    int callsOf(const char *service, const char *path, const char *method);

    static QString python();

private:
    bool owned(const QString &name);

    QTemporaryDir dir;
    QString missing;
    QString busAddress;
    QByteArray previousAddress;
    bool hadAddress = false;
    QProcess daemon;
    std::vector<std::unique_ptr<QProcess>> mocks;
};
