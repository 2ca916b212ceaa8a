// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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
