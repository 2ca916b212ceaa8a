// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera.h"

#include "camera_backends.h"

#include <memory>
#include <mutex>

namespace {

std::mutex backendMutex;
std::unique_ptr<CameraBackend> backend;

}  // namespace

CameraBackend &camera()
{
    std::lock_guard<std::mutex> lock(backendMutex);
    if (!backend)
        backend.reset(selectCamera());
    return *backend;
}

void cameraReset()
{
    std::lock_guard<std::mutex> lock(backendMutex);
    backend.reset();
}

void cameraUse(CameraBackend *replacement)
{
    std::lock_guard<std::mutex> lock(backendMutex);
    backend.reset(replacement);
}

int cameraOpen(const char *node, int flags)
{
    return camera().open(node, flags);
}

int cameraRequest(int fd, unsigned long request, unsigned long arg)
{
    return camera().request(fd, request, arg);
}

int cameraRequest(int fd, unsigned long request, void *arg)
{
    return camera().request(fd, request, reinterpret_cast<unsigned long>(arg));
}

void *cameraMap(size_t length, int prot, int flags, int fd, off_t offset)
{
    return camera().map(length, prot, flags, fd, offset);
}

int cameraUnmap(void *address, size_t length)
{
    return camera().unmap(address, length);
}

int cameraSelect(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout)
{
    return camera().select(nfds, readSet, writeSet, exceptSet, timeout);
}

int cameraClose(int fd)
{
    return camera().close(fd);
}
