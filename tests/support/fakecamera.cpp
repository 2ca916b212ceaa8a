// SPDX-License-Identifier: GPL-2.0-or-later
#include "fakecamera.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

// Frame of 64 x 32 pixels whose first 2048 bytes are the samples.
FakeCamera::FakeCamera() : memory(4096, 0)
{
    record[2] = 64;
    record[3] = 32;
    record[6] = 0;
    record[9] = 2048;
}

FakeCamera::~FakeCamera() = default;

int FakeCamera::open(const char *node, int flags)
{
    trace << QStringLiteral("open %1 %2").arg(node, (flags & O_ACCMODE) == O_RDWR ? "rw" : "not rw");
    if (openFails) {
        errno = EBUSY;
        return -1;
    }
    cameraFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    ++opens;
    ++openDescriptors;
    return cameraFd;
}

// The request numbers are written out here as the driver knows them, so a wrong constant on
// the caller's side shows up as an unknown request.
QString FakeCamera::describe(unsigned long request, unsigned long arg) const
{
    const int *ints = reinterpret_cast<const int *>(arg);
    switch (request) {
    case 215: return QStringLiteral("WCAM_VIDIOCSCINFOR %1 %2").arg(ints[0]).arg(ints[1]);
    case 253: return QStringLiteral("WCAM_VIDIOCSBUFCOUNT %1").arg(ints[0]);
    case 0x80887614: return QStringLiteral("VIDIOCGMBUF");
    case 221: return QStringLiteral("WCAM_VIDIOCSFPS %1 %2").arg(ints[0]).arg(ints[1]);
    case 222: return QStringLiteral("WCAM_VIDIOCSNIGHTMODE %1 %2").arg(ints[0]).arg(ints[1]);
    case 252: return QStringLiteral("WCAM_VIDIOCSBRIGHT %1").arg(long(arg));
    case 0x4020760A: {
        const auto *window = reinterpret_cast<const video_window *>(arg);
        const bool restZero = window->x == 0 && window->y == 0 && window->chromakey == 0 && window->flags == 0
                              && window->clips == nullptr && window->clipcount == 0;
        return QStringLiteral("VIDIOCSWIN %1x%2%3")
            .arg(window->width)
            .arg(window->height)
            .arg(restZero ? "" : " with other fields set");
    }
    case 218: {
        const auto *size = reinterpret_cast<const uint16_t *>(arg);
        return QStringLiteral("WCAM_VIDIOCSOSIZE %1 %2").arg(size[0]).arg(size[1]);
    }
    case 0x40047608: return QStringLiteral("VIDIOCCAPTURE %1").arg(int(arg));
    case 267:
        return QStringLiteral("WCAM_VIDIOCGBUFCOUNT %1")
            .arg(ints == bufferCountAddress ? "same integer" : "another integer");
    case 265: return QStringLiteral("WCAM_VIDIOCGRABFRAME");
    default: return QStringLiteral("unknown request %1").arg(request, 0, 16);
    }
}

int FakeCamera::request(int fd, unsigned long request, unsigned long arg)
{
    if (fd != cameraFd) {
        trace << QStringLiteral("request on a descriptor that is not the camera's");
        errno = EBADF;
        return -1;
    }
    const QString line = describe(request, arg);
    trace << line;
    if (request == failingRequest || line.startsWith(QLatin1String("unknown"))) {
        errno = EIO;
        return -1;
    }
    switch (request) {
    case WCAM_VIDIOCSBUFCOUNT: bufferCountAddress = reinterpret_cast<const int *>(arg); break;
    case WCAM_VIDIOCGBUFCOUNT: *reinterpret_cast<int *>(arg) = 3; break;
    case VIDIOCGMBUF: {
        auto *mbuf = reinterpret_cast<video_mbuf *>(arg);
        mbuf->size = reportedSize >= 0 ? reportedSize : int(memory.size());
        mbuf->frames = 4;
        break;
    }
    case WCAM_VIDIOCGRABFRAME:
        std::memcpy(reinterpret_cast<int *>(arg), record.data(), sizeof(int) * record.size());
        break;
    }
    return 0;
}

void *FakeCamera::map(size_t length, int prot, int flags, int fd, off_t offset)
{
    trace << QStringLiteral("mmap %1%2%3 offset %4")
                 .arg(length)
                 .arg(prot == (PROT_READ | PROT_WRITE) ? " read-write" : " other protection")
                 .arg(flags == MAP_SHARED ? " shared" : " not shared")
                 .arg(offset);
    if (mapFails || fd != cameraFd || length > memory.size()) {
        errno = ENOMEM;
        return MAP_FAILED;
    }
    ++liveMappings;
    return memory.data();
}

int FakeCamera::unmap(void *address, size_t length)
{
    trace << QStringLiteral("munmap %1%2").arg(length).arg(address == memory.data() ? "" : " elsewhere");
    --liveMappings;
    return 0;
}

int FakeCamera::select(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout)
{
    bool onlyCamera = nfds == cameraFd + 1 && readSet && FD_ISSET(cameraFd, readSet);
    for (int fd = 0; onlyCamera && fd < cameraFd; ++fd)
        onlyCamera = !FD_ISSET(fd, readSet);
    trace << QStringLiteral("select%1%2")
                 .arg(onlyCamera && !writeSet && !exceptSet ? "" : " not just the camera for reading")
                 .arg(timeout ? " with a time-out" : "");
    if (idleSelects > 0) {
        --idleSelects;
        return 0;
    }
    return 1;
}

int FakeCamera::close(int fd)
{
    trace << QStringLiteral("close");
    if (fd != cameraFd) {
        errno = EBADF;
        return -1;
    }
    --openDescriptors;
    cameraFd = -1;
    return ::close(fd);
}
