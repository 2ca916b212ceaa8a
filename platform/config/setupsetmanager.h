// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "amglobal.h"

#include <QString>

// The phone's settings manager: the user's settings in the system configuration
// (systemsettings.h), read afresh at every call.
class SETUP_SET_Manager
{
public:
    SETUP_SET_Manager(AM_Global::Apps app, bool writable);

    // value = the setting as an unsigned decimal, or defaultValue when it is absent or not a
    // number. Returns 1 when the setting was found, 0 when the default was used. Once the
    // sysfs lights are in use, an absent "Brightness" is the backlight's level when they began
    // (backlightstart.h).
    int getSettingInfo(const QString &group, const QString &key, unsigned int &value,
                       unsigned int defaultValue);
};
