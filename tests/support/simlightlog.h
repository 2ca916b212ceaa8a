// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The event log of the simulated lights, read back.
class SimLightLog
{
public:
    explicit SimLightLog(const QString &path = QString());

    QString path() const;
    QStringList lines() const;
    // The levels set successfully, in order.
    QList<int> levelsSet() const;
    // The level steps from one level to another, each one set on its own.
    static QList<int> steps(int from, int to);

private:
    QString file;
};
