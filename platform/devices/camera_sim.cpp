// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera_backends.h"
#include "camera_requests.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

// A simulated camera for tests and desktops. Each open reads the frame file anew, so a test can
// change the scene between two measurements; the whole file is one frame of one-byte samples,
// described by the frame record as (bytes) x 1 pixels starting at offset 0. The descriptors
// are real ones on the frame file, so select() works on them and a descriptor that is never
// closed shows up like any other leak.
//
// The sim speaks the requests of the phone's driver: it accepts the settings, reports the frame
// size as the capture memory, hands out a copy of the frame as its mapping, and grabs only while
// capturing. Anything else fails like an unknown ioctl (ENOTTY).

namespace {

// Far beyond any camera frame; keeps sim:/dev/zero from eating the memory.
constexpr size_t MAX_FRAME_BYTES = 64u << 20;

struct SimStream
{
    std::vector<unsigned char> frame;
    int bufferCount = 0;
    bool capturing = false;
};

class SimCamera : public CameraBackend
{
public:
    explicit SimCamera(const char *frameFile) : frameFile(frameFile) {}

    int open(const char *, int) override
    {
        const int fd = ::open(frameFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        SimStream stream;
        if (!readFrame(fd, &stream.frame)) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return -1;
        }
        std::lock_guard<std::mutex> lock(mutex);
        streams[fd] = std::move(stream);
        return fd;
    }

    int request(int fd, unsigned long request, unsigned long arg) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = streams.find(fd);
        if (it == streams.end())
            return fail(EBADF);
        SimStream &stream = it->second;
        int result = 0;
        if (answerCommonCameraRequest(request, arg, stream.bufferCount, stream.frame.size(), &result))
            return result;
        switch (request) {
        case VIDIOCCAPTURE: stream.capturing = int(arg) == 0; return 0;
        case WCAM_VIDIOCGRABFRAME:
            if (!stream.capturing)
                return fail(EINVAL);
            writeFrameRecord(arg, int(stream.frame.size()), 1, int(stream.frame.size()));
            return 0;
        default: return fail(ENOTTY);
        }
    }

    void *map(size_t length, int, int, int fd, off_t offset) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = streams.find(fd);
        if (it == streams.end()) {
            errno = EBADF;
            return MAP_FAILED;
        }
        const std::vector<unsigned char> &frame = it->second.frame;
        if (length == 0 || offset != 0 || length > frame.size()) {
            errno = EINVAL;
            return MAP_FAILED;
        }
        void *memory = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory != MAP_FAILED)
            std::memcpy(memory, frame.data(), length);
        return memory;
    }

    int unmap(void *address, size_t length) override { return ::munmap(address, length); }

    int select(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout) override
    {
        return ::select(nfds, readSet, writeSet, exceptSet, timeout);
    }

    int close(int fd) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (streams.erase(fd) == 0)
            return fail(EBADF);
        return ::close(fd);
    }

private:
    static int fail(int error)
    {
        errno = error;
        return -1;
    }

    static bool readFrame(int fd, std::vector<unsigned char> *frame)
    {
        unsigned char chunk[65536];
        for (;;) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            if (got == 0)
                break;
            if (frame->size() + size_t(got) > MAX_FRAME_BYTES) {
                errno = EFBIG;
                return false;
            }
            frame->insert(frame->end(), chunk, chunk + got);
        }
        if (frame->empty()) {
            errno = ENODATA;
            return false;
        }
        return true;
    }

    std::string frameFile;
    std::mutex mutex;
    std::map<int, SimStream> streams;
};

}  // namespace

CameraBackend *makeSimCamera(const char *frameFile)
{
    return new SimCamera(frameFile);
}
