// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The phone's system configuration: the user's own settings, kept by the phone's settings
// application and read by the programs (a phone path: see phonePath). A ZConfig file; the
// programs read two entries of one group.
constexpr const char *PHONE_SYSTEM_CONFIG = "/ezx_user/download/appwrite/setup/ezx_system.cfg";
constexpr const char *SYSTEM_CONFIG_GROUP = "SYS_SYSTEM_SET";
// The phone's language: "zh-cn" (its own), "en-us", "ru", ...
constexpr const char *SYSTEM_CONFIG_LANGUAGE = "LanguageType";
constexpr const char *DEFAULT_LANGUAGE_TYPE = "zh-cn";
// The user's backlight level, 0 to 100.
constexpr const char *SYSTEM_CONFIG_BRIGHTNESS = "Brightness";
