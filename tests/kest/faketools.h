// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

// Puts recording stand-ins (fake-tools/faketool.sh) for the archiving tools first on PATH for
// its lifetime. cp, mkdir, chmod and rm do their real work after being recorded; tar, unzip,
// unrar, lsar, unar and 7zz only record and exit. lsar's stand-in gives an empty member list.
class FakeTools
{
public:
    using Command = QStringList;  // tool name, then its arguments

    FakeTools();
    ~FakeTools();

    // code: an exit status, or "kill" to die by SIGKILL.
    void exitWith(const QByteArray &tool, const QByteArray &code);
    void printOnRun(const QByteArray &tool, const QByteArray &output);
    void recordOnly(const QByteArray &tools);
    void clear();

    // The commands run, without the member listings and checks the engine takes around an
    // extraction (withListings: all of them).
    QList<Command> commands(bool withListings = false) const;
    // What each tool had as standard input.
    QStringList inputs() const;

private:
    struct Record
    {
        QString tool, input;
        QStringList args;
    };
    QString logPath() const;
    QList<Record> records(bool withListings) const;
    void setVariable(const QByteArray &name, const QByteArray &value);

    QTemporaryDir bin;
    QByteArray savedPath;
    QList<QByteArray> variables;
};
