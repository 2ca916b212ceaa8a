// SPDX-License-Identifier: GPL-2.0-or-later
#include "lights_backends.h"
#include "phonepath.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The phone's own drivers: plain descriptors and ioctl with the request numbers unchanged.
class PhoneLights : public LightBackend
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
    int close(int fd) override { return ::close(fd); }
};

}  // namespace

LightBackend *makePhoneLights()
{
    return new PhoneLights;
}
