// SPDX-License-Identifier: GPL-2.0-or-later
#include "setupsetmanager.h"

#include "backlightstart.h"
#include "systemsettings.h"
#include "zconfig.h"

SETUP_SET_Manager::SETUP_SET_Manager(AM_Global::Apps, bool) {}

int SETUP_SET_Manager::getSettingInfo(const QString &group, const QString &key, unsigned int &value,
                                      unsigned int defaultValue)
{
    ZConfig config(systemConfigPath(), false);
    const QString text = config.readEntry(group, key).trimmed();
    bool ok = false;
    const unsigned int number = text.toUInt(&ok, 10);
    if (ok) {
        value = number;
        return 1;
    }
    // On a machine's own backlight the user's brightness is the one it had when the program
    // began, not a made-up default; a dark backlight tells nothing.
    unsigned int level = 0;
    if (group == QLatin1String(SYSTEM_CONFIG_GROUP) && key == QLatin1String(SYSTEM_CONFIG_BRIGHTNESS)
        && backlightLevelAtStart(&level) && level > 0) {
        value = level;
        return 1;
    }
    value = defaultValue;
    return 0;
}
