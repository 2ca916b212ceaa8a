// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera_v4l2.h"
#include "camera_requests.h"
#include "phonepath.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/mman.h>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A small frame is plenty for a mean; the driver picks its nearest size.
constexpr uint32_t WANTED_WIDTH = 160;
constexpr uint32_t WANTED_HEIGHT = 120;
constexpr uint32_t LARGEST_SIDE = 8192;
constexpr unsigned CAPTURE_BUFFERS = 3;
constexpr unsigned MAX_FORMATS = 64;

// The sensor settles after a few frames of the fixed exposure; a slow camera gets a bounded time.
constexpr int SETTLE_FRAMES = 10;
constexpr auto SETTLE_TIME = std::chrono::milliseconds(1000);
// Longer than this without a usable frame and the camera counts as silent.
constexpr auto SILENCE_LIMIT = std::chrono::milliseconds(2000);

int fail(int error)
{
    errno = error;
    return -1;
}

bool refuse(int error)
{
    errno = error;
    return false;
}

int xioctl(const V4l2Calls *calls, int fd, unsigned long request, void *arg)
{
    int result;
    do
        result = calls->ioctl(fd, request, arg);
    while (result < 0 && errno == EINTR);
    return result;
}

// Preference of the formats read natively: less work and no colour to skip comes first.
int formatRank(uint32_t format)
{
    switch (format) {
    case V4L2_PIX_FMT_GREY: return 0;
    case V4L2_PIX_FMT_YUYV:
    case V4L2_PIX_FMT_YVYU:
    case V4L2_PIX_FMT_UYVY:
    case V4L2_PIX_FMT_VYUY: return 1;
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YVU420:
    case V4L2_PIX_FMT_NV12:
    case V4L2_PIX_FMT_NV21: return 2;
    default: return -1;
    }
}

// Bytes from one luma sample to the next in a line, and where the first one sits.
void lumaLayout(uint32_t format, uint32_t *step, uint32_t *first)
{
    *step = 1;
    *first = 0;
    if (format == V4L2_PIX_FMT_YUYV || format == V4L2_PIX_FMT_YVYU) {
        *step = 2;
    } else if (format == V4L2_PIX_FMT_UYVY || format == V4L2_PIX_FMT_VYUY) {
        *step = 2;
        *first = 1;
    }
}

// A control the capture fixes, and the value it gets: the manual mode or the driver's default.
struct FixedControl
{
    uint32_t id;
    bool useDefault;
    int32_t value;
};

// Modes first, so the values that follow are accepted; restored in the opposite order.
constexpr FixedControl FIXED_CONTROLS[] = {
    {V4L2_CID_EXPOSURE_AUTO, false, V4L2_EXPOSURE_MANUAL},
    {V4L2_CID_EXPOSURE_AUTO_PRIORITY, false, 0},
    {V4L2_CID_AUTOGAIN, false, 0},
    {V4L2_CID_EXPOSURE_ABSOLUTE, true, 0},
    {V4L2_CID_EXPOSURE, true, 0},
    {V4L2_CID_GAIN, true, 0},
};

struct SavedControl
{
    uint32_t id;
    int32_t value;
};

struct Buffer
{
    void *start = MAP_FAILED;
    size_t length = 0;
};

struct Session
{
    const V4l2Calls *calls = nullptr;
    uint32_t format = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bytesPerLine = 0;
    int bufferCount = 0;
    std::vector<Buffer> buffers;
    std::vector<SavedControl> saved;
    bool streaming = false;
    unsigned char *plane = nullptr;  // the caller's capture memory
    bool frameReady = false;
    int captureError = EINVAL;

    size_t planeBytes() const { return size_t(width) * height; }
};

class V4l2Camera : public CameraBackend
{
public:
    V4l2Camera(const char *node, const V4l2Calls *calls) : node(node ? node : ""), calls(calls) {}
    ~V4l2Camera() override
    {
        for (auto &entry : sessions)
            release(entry.first, entry.second);
    }

    int open(const char *, int) override
    {
        std::vector<std::string> candidates;
        if (!node.empty())
            candidates.push_back(node);
        else
            candidates = captureCandidates();
        int error = ENOENT;
        for (const std::string &path : candidates) {
            const int fd = calls->open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) {
                error = errno;
                continue;
            }
            Session session;
            session.calls = calls;
            if (prepare(fd, &session)) {
                std::lock_guard<std::mutex> lock(mutex);
                sessions[fd] = std::move(session);
                return fd;
            }
            error = errno;
            session.calls->close(fd);
        }
        return fail(error);
    }

    int request(int fd, unsigned long request, unsigned long arg) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = sessions.find(fd);
        if (it == sessions.end())
            return fail(EBADF);
        Session &session = it->second;
        int result = 0;
        if (answerCommonCameraRequest(request, arg, session.bufferCount, session.planeBytes(), &result))
            return result;
        switch (request) {
        case VIDIOCCAPTURE: return int(arg) == 0 ? startCapture(fd, session) : stopCapture(fd, session);
        case WCAM_VIDIOCGRABFRAME:
            if (!session.frameReady)
                return fail(session.captureError);
            writeFrameRecord(arg, int(session.width), int(session.height), int(session.planeBytes()));
            return 0;
        default: return fail(ENOTTY);
        }
    }

    // The capture memory is the caller's own copy of the luma plane.
    void *map(size_t length, int, int, int fd, off_t offset) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = sessions.find(fd);
        if (it == sessions.end()) {
            errno = EBADF;
            return MAP_FAILED;
        }
        Session &session = it->second;
        if (length == 0 || offset != 0 || length > session.planeBytes() || session.plane) {
            errno = EINVAL;
            return MAP_FAILED;
        }
        void *memory = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory != MAP_FAILED && length == session.planeBytes())
            session.plane = static_cast<unsigned char *>(memory);
        return memory;
    }

    int unmap(void *address, size_t length) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto &entry : sessions)
            if (entry.second.plane == address)
                entry.second.plane = nullptr;
        return ::munmap(address, length);
    }

    // Waiting for a camera descriptor takes the frame; other descriptors are waited for as usual.
    int select(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout) override
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (int fd = 0; readSet && fd < nfds && fd < FD_SETSIZE; ++fd) {
            if (!FD_ISSET(fd, readSet))
                continue;
            auto it = sessions.find(fd);
            if (it == sessions.end())
                continue;
            if (takeFrame(fd, it->second) < 0)
                return -1;
            FD_ZERO(readSet);
            FD_SET(fd, readSet);
            if (writeSet)
                FD_ZERO(writeSet);
            if (exceptSet)
                FD_ZERO(exceptSet);
            return 1;
        }
        lock.unlock();
        return ::select(nfds, readSet, writeSet, exceptSet, timeout);
    }

    int close(int fd) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = sessions.find(fd);
        if (it == sessions.end())
            return fail(EBADF);
        const int result = release(fd, it->second);
        sessions.erase(it);
        return result;
    }

private:
    // The capture devices under the phone's /dev, video0 first.
    static std::vector<std::string> captureCandidates()
    {
        const std::string dev = phonePath("/dev");
        std::vector<std::pair<long, std::string>> found;
        if (DIR *dir = ::opendir(dev.c_str())) {
            while (dirent *entry = ::readdir(dir)) {
                const char *name = entry->d_name;
                if (std::strncmp(name, "video", 5) != 0 || !name[5])
                    continue;
                char *end = nullptr;
                const long number = std::strtol(name + 5, &end, 10);
                if (*end == '\0' && number >= 0)
                    found.emplace_back(number, dev + "/" + name);
            }
            ::closedir(dir);
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> paths;
        for (auto &entry : found)
            paths.push_back(entry.second);
        return paths;
    }

    // A streaming capture device with a frame format whose luma can be read, directly or
    // through the converting layer, and a small frame agreed on.
    static bool prepare(int fd, Session *session)
    {
        v4l2_capability capability{};
        if (xioctl(session->calls, fd, VIDIOC_QUERYCAP, &capability) < 0)
            return false;
        const uint32_t caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                               : capability.capabilities;
        if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING))
            return refuse(ENODEV);

        uint32_t best = 0;
        int bestRank = -1;
        bool anyFormat = false;
        for (uint32_t index = 0; index < MAX_FORMATS; ++index) {
            v4l2_fmtdesc description{};
            description.index = index;
            description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            if (xioctl(session->calls, fd, VIDIOC_ENUM_FMT, &description) < 0)
                break;
            anyFormat = true;
            const int rank = formatRank(description.pixelformat);
            if (rank >= 0 && (bestRank < 0 || rank < bestRank)) {
                best = description.pixelformat;
                bestRank = rank;
            }
        }
        if (bestRank < 0) {
            // Only compressed frames (or none listed): let the converting layer decode them.
            const V4l2Calls *converting = anyFormat ? session->calls->converting(fd) : nullptr;
            if (!converting)
                return refuse(ENODEV);
            session->calls = converting;
            best = V4L2_PIX_FMT_YUV420;
        }

        v4l2_format format{};
        format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        format.fmt.pix.width = WANTED_WIDTH;
        format.fmt.pix.height = WANTED_HEIGHT;
        format.fmt.pix.pixelformat = best;
        format.fmt.pix.field = V4L2_FIELD_ANY;
        if (xioctl(session->calls, fd, VIDIOC_S_FMT, &format) < 0)
            return false;
        const v4l2_pix_format &agreed = format.fmt.pix;
        uint32_t step, first;
        lumaLayout(agreed.pixelformat, &step, &first);
        if (formatRank(agreed.pixelformat) < 0 || agreed.width == 0 || agreed.height == 0
            || agreed.width > LARGEST_SIDE || agreed.height > LARGEST_SIDE)
            return refuse(EPROTO);
        session->format = agreed.pixelformat;
        session->width = agreed.width;
        session->height = agreed.height;
        session->bytesPerLine = std::max(agreed.bytesperline, agreed.width * step);
        return true;
    }

    // Automatic exposure and gain would make every scene look alike: fixed for the capture,
    // remembering what the user had. Controls the camera lacks or refuses are left alone.
    static void fixExposure(int fd, Session &session)
    {
        for (const FixedControl &fixed : FIXED_CONTROLS) {
            v4l2_queryctrl query{};
            query.id = fixed.id;
            if (xioctl(session.calls, fd, VIDIOC_QUERYCTRL, &query) < 0
                || (query.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)))
                continue;
            v4l2_control control{};
            control.id = fixed.id;
            if (xioctl(session.calls, fd, VIDIOC_G_CTRL, &control) < 0)
                continue;
            const int32_t user = control.value;
            control.value = fixed.useDefault ? query.default_value : fixed.value;
            if (control.value == user)
                continue;
            if (xioctl(session.calls, fd, VIDIOC_S_CTRL, &control) == 0)
                session.saved.push_back({fixed.id, user});
        }
    }

    static void restoreControls(int fd, Session &session)
    {
        for (auto it = session.saved.rbegin(); it != session.saved.rend(); ++it) {
            v4l2_control control{};
            control.id = it->id;
            control.value = it->value;
            xioctl(session.calls, fd, VIDIOC_S_CTRL, &control);
        }
        session.saved.clear();
    }

    static int startCapture(int fd, Session &session)
    {
        if (session.streaming)
            return 0;
        session.frameReady = false;
        fixExposure(fd, session);

        v4l2_requestbuffers request{};
        request.count = CAPTURE_BUFFERS;
        request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        request.memory = V4L2_MEMORY_MMAP;
        if (xioctl(session.calls, fd, VIDIOC_REQBUFS, &request) < 0)
            return abandon(fd, session, errno);
        if (request.count == 0)
            return abandon(fd, session, ENOMEM);
        session.buffers.resize(request.count);
        for (uint32_t index = 0; index < request.count; ++index) {
            v4l2_buffer buffer{};
            buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            buffer.memory = V4L2_MEMORY_MMAP;
            buffer.index = index;
            if (xioctl(session.calls, fd, VIDIOC_QUERYBUF, &buffer) < 0)
                return abandon(fd, session, errno);
            void *start = session.calls->mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd,
                                              buffer.m.offset);
            if (start == MAP_FAILED)
                return abandon(fd, session, errno);
            session.buffers[index].start = start;
            session.buffers[index].length = buffer.length;
            if (xioctl(session.calls, fd, VIDIOC_QBUF, &buffer) < 0)
                return abandon(fd, session, errno);
        }
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (xioctl(session.calls, fd, VIDIOC_STREAMON, &type) < 0)
            return abandon(fd, session, errno);
        session.streaming = true;
        return 0;
    }

    // Gives back buffers and controls after a start that went wrong half-way.
    static int abandon(int fd, Session &session, int error)
    {
        releaseBuffers(fd, session);
        restoreControls(fd, session);
        return fail(error);
    }

    static int stopCapture(int fd, Session &session)
    {
        int result = 0;
        if (session.streaming) {
            int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            result = xioctl(session.calls, fd, VIDIOC_STREAMOFF, &type);
            session.streaming = false;
        }
        const int error = errno;
        releaseBuffers(fd, session);
        restoreControls(fd, session);
        errno = error;
        return result;
    }

    static void releaseBuffers(int fd, Session &session)
    {
        if (session.buffers.empty())
            return;
        for (Buffer &buffer : session.buffers)
            if (buffer.start != MAP_FAILED)
                session.calls->munmap(buffer.start, buffer.length);
        session.buffers.clear();
        v4l2_requestbuffers none{};
        none.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        none.memory = V4L2_MEMORY_MMAP;
        xioctl(session.calls, fd, VIDIOC_REQBUFS, &none);
    }

    static int release(int fd, Session &session)
    {
        stopCapture(fd, session);
        return session.calls->close(fd);
    }

    // Dequeues frames until the sensor has settled, keeping the luma of the last good one.
    static int takeFrame(int fd, Session &session)
    {
        session.frameReady = false;
        if (!session.streaming || !session.plane)
            return fail(session.captureError = EINVAL);
        const Clock::time_point settled = Clock::now() + SETTLE_TIME;
        Clock::time_point silentAt = Clock::now() + SILENCE_LIMIT;
        int goodFrames = 0;
        for (;;) {
            v4l2_buffer buffer{};
            buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            buffer.memory = V4L2_MEMORY_MMAP;
            if (xioctl(session.calls, fd, VIDIOC_DQBUF, &buffer) == 0) {
                if (buffer.index < session.buffers.size() && !(buffer.flags & V4L2_BUF_FLAG_ERROR)) {
                    const Buffer &held = session.buffers[buffer.index];
                    const size_t used = std::min<size_t>(buffer.bytesused, held.length);
                    if (lumaPlane(session.format, static_cast<const unsigned char *>(held.start), used,
                                  session.width, session.height, session.bytesPerLine, session.plane)) {
                        session.frameReady = true;
                        ++goodFrames;
                        silentAt = Clock::now() + SILENCE_LIMIT;
                    }
                }
                if (xioctl(session.calls, fd, VIDIOC_QBUF, &buffer) < 0)
                    break;
                if (session.frameReady && (goodFrames >= SETTLE_FRAMES || Clock::now() >= settled))
                    return 0;
                continue;
            }
            if (errno != EAGAIN)
                break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(silentAt - Clock::now());
            if (left.count() <= 0) {
                errno = ETIMEDOUT;
                break;
            }
            const int ready = session.calls->poll(fd, int(left.count()) + 1);
            if (ready < 0 && errno != EINTR)
                break;
        }
        // A settled frame is worth more than the failure that came after it.
        if (session.frameReady)
            return 0;
        return fail(session.captureError = errno);
    }

    std::string node;
    const V4l2Calls *calls;
    std::mutex mutex;
    std::map<int, Session> sessions;
};

}  // namespace

bool lumaPlane(uint32_t pixelFormat, const unsigned char *frame, size_t frameBytes, uint32_t width,
               uint32_t height, uint32_t bytesPerLine, unsigned char *plane)
{
    if (formatRank(pixelFormat) < 0 || width == 0 || height == 0)
        return false;
    uint32_t step, first;
    lumaLayout(pixelFormat, &step, &first);
    const size_t lineBytes = size_t(width) * step;
    if (bytesPerLine < lineBytes || size_t(height - 1) * bytesPerLine + lineBytes > frameBytes)
        return false;
    for (uint32_t row = 0; row < height; ++row) {
        const unsigned char *sample = frame + size_t(row) * bytesPerLine + first;
        unsigned char *out = plane + size_t(row) * width;
        if (step == 1) {
            std::memcpy(out, sample, width);
            continue;
        }
        for (uint32_t column = 0; column < width; ++column, sample += step)
            out[column] = *sample;
    }
    return true;
}

CameraBackend *makeV4l2Camera(const char *node, const V4l2Calls *calls)
{
    return new V4l2Camera(node, calls);
}
