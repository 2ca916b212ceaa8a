// SPDX-License-Identifier: GPL-2.0-or-later
#include "lights.h"

#include "backlightstart.h"
#include "lights_backends.h"

#include <mutex>

namespace {

std::mutex backendMutex;
// Never destroyed at exit: programs close their lights from destructors of static objects
// (glowra's flasher), which may run after this file's statics are gone.
LightBackend *backend = nullptr;

}  // namespace

LightBackend &lights()
{
    std::lock_guard<std::mutex> lock(backendMutex);
    if (!backend) {
        backend = selectLights();
        unsigned int level = 0;
        recordBacklightLevelAtStart(backend->levelAtStart(&level) ? int(level) : -1);
    }
    return *backend;
}

void lightsReset()
{
    std::lock_guard<std::mutex> lock(backendMutex);
    delete backend;
    backend = nullptr;
    recordBacklightLevelAtStart(-1);
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
