// SPDX-License-Identifier: GPL-2.0-or-later
#include "phonetree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

PhoneTree::PhoneTree() : previous(qgetenv("EZX_ROOT")), hadPrevious(qEnvironmentVariableIsSet("EZX_ROOT"))
{
    qputenv("EZX_ROOT", QFile::encodeName(dir.path()));
}

PhoneTree::~PhoneTree()
{
    if (hadPrevious)
        qputenv("EZX_ROOT", previous);
    else
        qunsetenv("EZX_ROOT");
}

QString PhoneTree::root() const
{
    return dir.path();
}

QString PhoneTree::path(const QString &phonePath) const
{
    return dir.path() + (phonePath.startsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"))
           + phonePath;
}

void PhoneTree::mkdir(const QString &phonePath) const
{
    QDir().mkpath(path(phonePath));
}

void PhoneTree::write(const QString &phonePath, const QByteArray &content) const
{
    const QString real = path(phonePath);
    QDir().mkpath(QFileInfo(real).absolutePath());
    QFile file(real);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QByteArray PhoneTree::read(const QString &phonePath) const
{
    QFile file(path(phonePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
