// SPDX-License-Identifier: GPL-2.0-or-later
#include "fakesysfs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace {

const QFileDevice::Permissions READ_ALL =
    QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

}  // namespace

void FakeSysfs::addBacklight(const QString &name, const QString &type, long max, long brightness,
                             bool power) const
{
    const QString folder = root + "/sys/class/backlight/" + name + "/";
    writeFile(folder + "max_brightness", QByteArray::number(qlonglong(max)) + "\n");
    writeFile(folder + "type", type.toUtf8() + "\n");
    set("backlight/" + name + "/brightness", brightness);
    if (power)
        set("backlight/" + name + "/bl_power", 0);
}

void FakeSysfs::addLed(const QString &name, long max, long brightness) const
{
    writeFile(root + "/sys/class/leds/" + name + "/max_brightness",
              QByteArray::number(qlonglong(max)) + "\n");
    set("leds/" + name + "/brightness", brightness);
}

long FakeSysfs::value(const QString &relative) const
{
    QFile file(root + "/sys/class/" + relative);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const long number = file.readAll().trimmed().toLong(&ok);
    return ok ? number : -1;
}

void FakeSysfs::set(const QString &relative, long value) const
{
    writeFile(root + "/sys/class/" + relative, QByteArray::number(qlonglong(value)) + "\n");
}

void FakeSysfs::openToAll() const
{
    QFile::setPermissions(root, READ_ALL | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                    | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::setPermissions(it.next(), READ_ALL | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                             | QFileDevice::ExeGroup | QFileDevice::ExeOther);
}
