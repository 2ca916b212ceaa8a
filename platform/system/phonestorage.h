// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "systemconfig.h"

#include <string>

// A machine that is not the phone gets the phone's storage in the user's data folder (see
// phonePath). preparePhoneStorage() lays it out the first time, as a new phone has it: the
// memory card /mmc/mmca1, /usr/data_resource, and /ezx_user with the system configuration
// ezx_system.cfg, whose LanguageType follows the desktop's locale. What exists is left alone,
// so the user's later changes stay. Does nothing on the phone or with EZX_ROOT set.
// False when a folder or the configuration could not be made.
bool preparePhoneStorage();

// The same below an explicit storage root, for a given language type.
bool preparePhoneStorageIn(const std::string &root, const std::string &languageType);

// The phone's language type for a locale name such as "ru_RU.UTF-8": "en-us" for English,
// "ru" for Russian, "zh-cn" (the phone's own language) for everything else.
std::string languageTypeForLocale(const std::string &locale);

// The locale that messages are shown in: LC_ALL, else LC_MESSAGES, else LANG.
std::string messagesLocale();
