// SPDX-License-Identifier: GPL-2.0-or-later
#include "systemsettings.h"

#include "phonepath.h"
#include "zconfig.h"

QString systemConfigPath()
{
    return phonePath(QString::fromLatin1(PHONE_SYSTEM_CONFIG));
}

QString languageType()
{
    const ZConfig config(systemConfigPath(), false);
    return config.readEntry(QString::fromLatin1(SYSTEM_CONFIG_GROUP),
                            QString::fromLatin1(SYSTEM_CONFIG_LANGUAGE),
                            QString::fromLatin1(DEFAULT_LANGUAGE_TYPE));
}
