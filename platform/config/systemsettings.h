// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "systemconfig.h"

#include <QString>

// The phone's system configuration (systemconfig.h), read afresh at every call.

// Its file, phone path applied.
QString systemConfigPath();

// The phone's language ("zh-cn", "en-us", "ru", ...); "zh-cn" when the configuration does not
// say.
QString languageType();
