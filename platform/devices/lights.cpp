#include "lights.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

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
    return makePhoneLights();
}

} // namespace

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
