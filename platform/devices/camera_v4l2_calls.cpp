// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera_v4l2.h"

#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <libv4l2.h>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

int waitReadable(int fd, int timeoutMs)
{
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, timeoutMs);
    if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(entry.revents & POLLIN)) {
        errno = ENODEV;  // unplugged
        return -1;
    }
    return ready;
}

// libv4l2 is loaded only for a camera that needs it, so ambid keeps to the C library otherwise.
struct Libv4l2
{
    decltype(&v4l2_fd_open) fdOpen = nullptr;
    decltype(&v4l2_close) close = nullptr;
    decltype(&v4l2_ioctl) ioctl = nullptr;
    decltype(&v4l2_mmap) mmap = nullptr;
    decltype(&v4l2_munmap) munmap = nullptr;
};

const Libv4l2 *libv4l2()
{
    static Libv4l2 library;
    static std::once_flag loaded;
    std::call_once(loaded, [] {
        void *handle = ::dlopen("libv4l2.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return;
        Libv4l2 found;
        found.fdOpen = reinterpret_cast<decltype(found.fdOpen)>(::dlsym(handle, "v4l2_fd_open"));
        found.close = reinterpret_cast<decltype(found.close)>(::dlsym(handle, "v4l2_close"));
        found.ioctl = reinterpret_cast<decltype(found.ioctl)>(::dlsym(handle, "v4l2_ioctl"));
        found.mmap = reinterpret_cast<decltype(found.mmap)>(::dlsym(handle, "v4l2_mmap"));
        found.munmap = reinterpret_cast<decltype(found.munmap)>(::dlsym(handle, "v4l2_munmap"));
        if (found.fdOpen && found.close && found.ioctl && found.mmap && found.munmap)
            library = found;
        else
            ::dlclose(handle);
    });
    return library.fdOpen ? &library : nullptr;
}

const V4l2Calls *convertingCalls(int fd);

const V4l2Calls LIBV4L2_CALLS = {
    [](const char *path, int flags) { return ::open(path, flags); },
    [](int fd) { return libv4l2()->close(fd); },
    [](int fd, unsigned long request, void *arg) { return libv4l2()->ioctl(fd, request, arg); },
    [](void *start, size_t length, int prot, int flags, int fd, int64_t offset) {
        return libv4l2()->mmap(start, length, prot, flags, fd, offset);
    },
    [](void *start, size_t length) { return libv4l2()->munmap(start, length); },
    waitReadable,
    [](int) -> const V4l2Calls * { return nullptr; },
};

const V4l2Calls SYSTEM_CALLS = {
    [](const char *path, int flags) { return ::open(path, flags); },
    [](int fd) { return ::close(fd); },
    [](int fd, unsigned long request, void *arg) { return ::ioctl(fd, request, arg); },
    [](void *start, size_t length, int prot, int flags, int fd, int64_t offset) {
        return ::mmap(start, length, prot, flags, fd, off_t(offset));
    },
    [](void *start, size_t length) { return ::munmap(start, length); },
    waitReadable,
    convertingCalls,
};

const V4l2Calls *convertingCalls(int fd)
{
    const Libv4l2 *library = libv4l2();
    if (!library || library->fdOpen(fd, 0) < 0)
        return nullptr;
    return &LIBV4L2_CALLS;
}

}  // namespace

const V4l2Calls *systemV4l2Calls()
{
    return &SYSTEM_CALLS;
}
