// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A private phone file tree for one test: sets EZX_ROOT to a fresh temporary folder for its
// lifetime, so every phone path of the code under test lands inside it.
class PhoneTree
{
public:
    PhoneTree();
    ~PhoneTree();

    QString root() const;
    // The real path of a phone path ("/mmc/mmca1/a.zip" -> ROOT/mmc/mmca1/a.zip).
    QString path(const QString &phonePath) const;
    void mkdir(const QString &phonePath) const;
    void write(const QString &phonePath, const QByteArray &content) const;
    QByteArray read(const QString &phonePath) const;

private:
    QTemporaryDir dir;
    QByteArray previous;
    bool hadPrevious;
};
