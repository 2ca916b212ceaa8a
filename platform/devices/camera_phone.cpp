// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera_backends.h"
#include "phonepath.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The phone's camera driver: plain descriptors and system calls, request numbers unchanged.
class PhoneCamera : public CameraBackend
{
public:
    int open(const char *node, int flags) override
    {
        return ::open(phonePath(node).c_str(), flags | O_CLOEXEC);
    }
    int request(int fd, unsigned long request, unsigned long arg) override
    {
        return ::ioctl(fd, request, arg);
    }
    void *map(size_t length, int prot, int flags, int fd, off_t offset) override
    {
        return ::mmap(nullptr, length, prot, flags, fd, offset);
    }
    int unmap(void *address, size_t length) override { return ::munmap(address, length); }
    int select(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout) override
    {
        return ::select(nfds, readSet, writeSet, exceptSet, timeout);
    }
    int close(int fd) override { return ::close(fd); }
};

}  // namespace

CameraBackend *makePhoneCamera()
{
    return new PhoneCamera;
}
