// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// Backlights and LEDs as /sys shows them, inside the phone tree at ROOT.
struct FakeSysfs
{
    QString root;

    // max_brightness, brightness, type and, when `power`, bl_power 0.
    void addBacklight(const QString &name, const QString &type, long max, long brightness,
                      bool power = false) const;
    void addLed(const QString &name, long max, long brightness) const;
    // The number in ROOT/sys/class/RELATIVE, -1 when it is missing.
    long value(const QString &relative) const;
    void set(const QString &relative, long value) const;
    // Lets every user walk the tree; its files stay writable by their owner alone.
    void openToAll() const;
};
