// SPDX-License-Identifier: GPL-2.0-or-later
#include "lights_backends.h"
#include "lights_sysfs.h"
#include "phonepath.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

LightBackend *selectLights()
{
    const char *choice = std::getenv("EZX_LIGHTS");
    if (choice && std::strncmp(choice, "sim:", 4) == 0)
        return makeSimLights(choice + 4);
    if (choice && std::strcmp(choice, "sysfs") == 0)
        return makeSysfsLights();
    if (choice && *choice)
        return makePhoneLights();
    // Unset: the phone's own keypad light node, else a backlight in /sys, else the phone's
    // nodes after all (whose opens then fail as on a phone without them).
    struct stat node = {};
    if (::stat(phonePath(LIGHT_NODE_KEYPAD).c_str(), &node) == 0 && S_ISCHR(node.st_mode))
        return makePhoneLights();
    if (findBacklight().valid())
        return makeSysfsLights();
    return makePhoneLights();
}
