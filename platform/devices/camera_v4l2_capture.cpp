// SPDX-License-Identifier: GPL-2.0-or-later
// The capture of the V4L2 webcam backend: the frame format agreed, the buffers, the exposure
// fixed while streaming, and the luma plane of a frame.
#include "camera_v4l2_session.h"
#include "monotonic.h"

#include <algorithm>
#include <cstring>
#include <linux/videodev2.h>

namespace {

// A small frame is plenty for a mean; the driver picks its nearest size.
constexpr uint32_t WANTED_WIDTH = 160;
constexpr uint32_t WANTED_HEIGHT = 120;
constexpr uint32_t LARGEST_SIDE = 8192;
constexpr unsigned CAPTURE_BUFFERS = 3;
constexpr unsigned MAX_FORMATS = 64;

// The sensor settles after a few frames of the fixed exposure; a slow camera gets a bounded time.
constexpr int SETTLE_FRAMES = 10;
constexpr std::int64_t SETTLE_TIME_MS = 1000;
// Longer than this without a usable frame and the camera counts as silent.
constexpr std::int64_t SILENCE_LIMIT_MS = 2000;

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

// Automatic exposure and gain would make every scene look alike: fixed for the capture,
// remembering what the user had. Controls the camera lacks or refuses are left alone.
void fixExposure(int fd, Session &session)
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

void restoreControls(int fd, Session &session)
{
    for (auto it = session.saved.rbegin(); it != session.saved.rend(); ++it) {
        v4l2_control control{};
        control.id = it->id;
        control.value = it->value;
        xioctl(session.calls, fd, VIDIOC_S_CTRL, &control);
    }
    session.saved.clear();
}

void releaseBuffers(int fd, Session &session)
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

// Gives back buffers and controls after a start that went wrong half-way.
int abandon(int fd, Session &session, int error)
{
    releaseBuffers(fd, session);
    restoreControls(fd, session);
    return fail(error);
}

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

bool prepareSession(int fd, Session *session)
{
    v4l2_capability capability{};
    if (xioctl(session->calls, fd, VIDIOC_QUERYCAP, &capability) < 0)
        return false;
    const uint32_t caps =
        (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps : capability.capabilities;
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

int startCapture(int fd, Session &session)
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

int stopCapture(int fd, Session &session)
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

int releaseSession(int fd, Session &session)
{
    stopCapture(fd, session);
    return session.calls->close(fd);
}

int takeFrame(int fd, Session &session)
{
    session.frameReady = false;
    if (!session.streaming || !session.plane)
        return fail(session.captureError = EINVAL);
    const std::int64_t settled = monotonicNs() + SETTLE_TIME_MS * NS_PER_MS;
    std::int64_t silentAt = monotonicNs() + SILENCE_LIMIT_MS * NS_PER_MS;
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
                    silentAt = monotonicNs() + SILENCE_LIMIT_MS * NS_PER_MS;
                }
            }
            if (xioctl(session.calls, fd, VIDIOC_QBUF, &buffer) < 0)
                break;
            if (session.frameReady && (goodFrames >= SETTLE_FRAMES || monotonicNs() >= settled))
                return 0;
            continue;
        }
        if (errno != EAGAIN)
            break;
        const int left = msUntil(silentAt);
        if (left <= 0) {
            errno = ETIMEDOUT;
            break;
        }
        const int ready = session.calls->poll(fd, left);
        if (ready < 0 && errno != EINTR)
            break;
    }
    // A settled frame is worth more than the failure that came after it.
    if (session.frameReady)
        return 0;
    return fail(session.captureError = errno);
}
