// SPDX-License-Identifier: GPL-2.0-or-later
#include "lights.h"

#include "phonepath.h"
#include "sysfslights.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

namespace {

std::mutex backendMutex;
// Never destroyed at exit: programs close their lights from destructors of static objects
// (glowra's flasher), which may run after this file's statics are gone.
LightBackend *backend = nullptr;

LightBackend *makeFromEnvironment()
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

}  // namespace

LightBackend &lights()
{
    std::lock_guard<std::mutex> lock(backendMutex);
    if (!backend)
        backend = makeFromEnvironment();
    return *backend;
}

void lightsReset()
{
    std::lock_guard<std::mutex> lock(backendMutex);
    delete backend;
    backend = nullptr;
}

int lightOpen(const char *node, int flags)
{
    return lights().open(node, flags);
}

int lightRequest(int fd, unsigned long request, unsigned long arg)
{
    return lights().request(fd, request, arg);
}

int lightRequest(int fd, unsigned long request, void *arg)
{
    return lights().request(fd, request, reinterpret_cast<unsigned long>(arg));
}

int lightClose(int fd)
{
    return lights().close(fd);
}
