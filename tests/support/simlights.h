// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "simlightlog.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTest>
#include <cstdlib>
#include <unistd.h>

// The panel's flasher opens the lights when the program loads, before main() runs. A test
// program that links it therefore starts itself again with EZX_LIGHTS pointing at a log of
// simulated lights when the variable is missing, so that no test ever touches real devices.
inline void useSimLights(char **argv)
{
    if (qEnvironmentVariableIsSet("EZX_LIGHTS"))
        return;
    const QByteArray log = QFile::encodeName(QDir::tempPath()) + "/glowra-test-"
                           + QByteArray::number(qint64(::getpid())) + ".lights";
    ::unlink(log.constData());
    ::setenv("EZX_LIGHTS", ("sim:" + log).constData(), 1);
    ::execv("/proc/self/exe", argv);
    std::abort();
}

inline QString lightLogPath()
{
    return QFile::decodeName(qgetenv("EZX_LIGHTS").mid(4));
}

inline QStringList lightLog(const QString &path = lightLogPath())
{
    return SimLightLog(path).lines();
}

// The lights append to their log, so truncating it starts a fresh record.
inline void clearLightLog()
{
    QFile(lightLogPath()).resize(0);
}

inline void removeTestLightLog()
{
    if (lightLogPath().contains(QLatin1String("/glowra-test-")))
        QFile::remove(lightLogPath());
}

// The main() of such a test program: on simulated lights, with an application object of type
// Application, and the log removed at the end.
#define SIM_LIGHTS_TEST_MAIN(TestObject, Application)                                                        \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        useSimLights(argv);                                                                                  \
        Application app(argc, argv);                                                                         \
        TestObject test;                                                                                     \
        const int result = QTest::qExec(&test, argc, argv);                                                  \
        removeTestLightLog();                                                                                \
        return result;                                                                                       \
    }
