// SPDX-License-Identifier: GPL-2.0-or-later
// The camera's backend: the one EZX_CAMERA names, else the choice at each open between the
// phone's driver and a webcam.
#include "camera_backends.h"
#include "camera_v4l2.h"
#include "phonepath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <map>
#include <memory>
#include <mutex>

namespace {

// Picks, at each open, the phone's driver or a V4L2 webcam, and sends every later call on the
// descriptor to the one that opened it.
class AutoCamera : public CameraBackend
{
public:
    explicit AutoCamera(const V4l2Calls *calls)
        : calls(calls), phone(makePhoneCamera()), webcam(makeV4l2Camera(nullptr, calls))
    {}

    int open(const char *node, int flags) override
    {
        // The phone's driver answers when its node opens and does not speak V4L2.
        const int probe = calls->open(phonePath(node).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        const int phoneError = errno;
        if (probe >= 0) {
            v4l2_capability capability{};
            const bool v4l2 = calls->ioctl(probe, VIDIOC_QUERYCAP, &capability) == 0;
            calls->close(probe);
            if (!v4l2)
                return adopt(phone.get(), phone->open(node, flags));
        }
        const int fd = adopt(webcam.get(), webcam->open(node, flags));
        if (fd < 0 && probe < 0)
            errno = phoneError;
        return fd;
    }
    int request(int fd, unsigned long request, unsigned long arg) override
    {
        return owner(fd).request(fd, request, arg);
    }
    void *map(size_t length, int prot, int flags, int fd, off_t offset) override
    {
        return owner(fd).map(length, prot, flags, fd, offset);
    }
    // Both release what is theirs and hand the rest to the system.
    int unmap(void *address, size_t length) override { return webcam->unmap(address, length); }
    int select(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout) override
    {
        return webcam->select(nfds, readSet, writeSet, exceptSet, timeout);
    }
    int close(int fd) override
    {
        CameraBackend &backend = owner(fd);
        {
            std::lock_guard<std::mutex> lock(mutex);
            owners.erase(fd);
        }
        return backend.close(fd);
    }

private:
    int adopt(CameraBackend *backend, int fd)
    {
        if (fd >= 0) {
            std::lock_guard<std::mutex> lock(mutex);
            owners[fd] = backend;
        }
        return fd;
    }

    CameraBackend &owner(int fd)
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = owners.find(fd);
        return it == owners.end() ? *phone : *it->second;
    }

    const V4l2Calls *calls;
    std::unique_ptr<CameraBackend> phone;
    std::unique_ptr<CameraBackend> webcam;
    std::mutex mutex;
    std::map<int, CameraBackend *> owners;
};

}  // namespace

CameraBackend *makeAutoCamera(const V4l2Calls *calls)
{
    return new AutoCamera(calls);
}

CameraBackend *selectCamera()
{
    const char *choice = std::getenv("EZX_CAMERA");
    if (!choice || !*choice)
        return makeAutoCamera();
    if (std::strncmp(choice, "sim:", 4) == 0)
        return makeSimCamera(choice + 4);
    if (std::strcmp(choice, "v4l2") == 0)
        return makeV4l2Camera(nullptr);
    if (std::strncmp(choice, "v4l2:", 5) == 0 && choice[5])
        return makeV4l2Camera(choice + 5);
    return makePhoneCamera();
}
