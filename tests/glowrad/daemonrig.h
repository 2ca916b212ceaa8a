// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "schemefile.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <vector>

// One daemon under test, in a folder of its own: "glowrad" there is a link to the built daemon,
// so the schemes file it reads is the folder's glowrad.sch. Its lights are simulated and log to
// a file, its phone tree is private, and a call rings while the folder's "ringing" file exists.
// A daemon still running when the rig goes is killed.
class DaemonRig
{
public:
    DaemonRig();
    ~DaemonRig();

    bool isValid() const;
    QString program() const;
    QString folder() const;

    void writeSchemes(const QByteArray &file) const;
    void setBrightnessSetting(const QString &value) const;
    void setEnvironment(const QString &name, const QString &value);
    void ring(bool ringing) const;

    void start(const QStringList &arguments);
    bool waitForEnd(int ms = 15000);
    void signal(int number);
    qint64 pid() const;
    QString output();       // standard output so far
    QString errorOutput();  // standard error so far
    bool waitForOutput(const QString &text, int ms = 10000);
    int exitCode() const;

    QStringList log() const;
    // Polls the log until `ready` holds; false after `ms`.
    bool waitForLog(const std::function<bool(const QStringList &)> &ready, int ms = 10000) const;
    bool waitForLogLine(const QString &line, int ms = 10000) const;

private:
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment environment;
    QByteArray stdoutSoFar;
    QByteArray stderrSoFar;
};

QByteArray schemesFile(const std::vector<std::vector<SchemeStep>> &schemes);
SchemeStep step(int duration, int backlight, int keypad);

// The requests the daemon must send, as the simulated lights log them.
QStringList openLines();
QStringList stepLines(const SchemeStep &step, unsigned int userLevel);
QStringList restoreLines(unsigned int userLevel);  // end of a demo, or on a signal
