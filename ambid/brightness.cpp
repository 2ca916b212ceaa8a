// SPDX-License-Identifier: GPL-2.0-or-later
#include "brightness.h"

#include "camera.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/select.h>

namespace {

// The size the phone's camera is asked to deliver (CIF).
constexpr uint32_t FRAME_COLUMNS = 352;
constexpr uint32_t FRAME_ROWS = 288;
constexpr int CAPTURE_BUFFERS = 4;

constexpr int LEVEL_CAP = 99;
constexpr double SAMPLES_PER_LEVEL = 1.5;

// Holds the camera for one measurement and gives it back on every way out, so that a daemon
// measuring every few seconds never piles up descriptors or mappings.
struct CameraSession
{
    explicit CameraSession(int fd) : fd(fd) {}
    ~CameraSession()
    {
        if (memory != MAP_FAILED)
            cameraUnmap(memory, length);
        cameraClose(fd);
    }
    CameraSession(const CameraSession &) = delete;
    CameraSession &operator=(const CameraSession &) = delete;

    const int fd;
    void *memory = MAP_FAILED;
    size_t length = 0;
};

int failed(const char *step)
{
    std::perror(step);
    return -1;
}

}  // namespace

int frameMean(const unsigned char *memory, long long mappedBytes, const int *record)
{
    const long long pixels = static_cast<long long>(record[FRAME_WIDTH]) * record[FRAME_HEIGHT];
    if (pixels <= 0)
        return -1;
    const long long offset = record[FRAME_SAMPLE_OFFSET];
    const long long count = record[FRAME_SAMPLE_COUNT];
    long long sum = 0;
    if (count > 0) {
        if (offset < 0 || offset + count > mappedBytes)
            return -1;
        for (const unsigned char *sample = memory + offset; sample != memory + offset + count; ++sample)
            sum += *sample;
    }
    // A driver that counts more samples than pixels cannot push the mean past 8 bits.
    return static_cast<int>(std::min(sum / pixels, 255LL));
}

int measureBrightness()
{
    const int fd = cameraOpen(CAMERA_NODE, O_RDWR);
    if (fd < 0)
        return -1;
    CameraSession session(fd);

    int captureInfo[2] = {15, 16};
    if (cameraRequest(fd, WCAM_VIDIOCSCINFOR, captureInfo) < 0)
        return failed("WCAM_VIDIOCSCINFOR");
    int bufferCount = CAPTURE_BUFFERS;
    if (cameraRequest(fd, WCAM_VIDIOCSBUFCOUNT, &bufferCount) < 0)
        return failed("WCAM_VIDIOCSBUFCOUNT");
    video_mbuf mbuf{};
    if (cameraRequest(fd, VIDIOCGMBUF, &mbuf) < 0)
        return failed("VIDIOCGMBUF");
    if (mbuf.size <= 0) {
        errno = EINVAL;
        return failed("mmap");
    }
    session.memory = cameraMap(size_t(mbuf.size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (session.memory == MAP_FAILED)
        return failed("mmap");
    session.length = size_t(mbuf.size);

    int framesPerSecond[2] = {30, 30};
    if (cameraRequest(fd, WCAM_VIDIOCSFPS, framesPerSecond) < 0)
        return failed("WCAM_VIDIOCSFPS");
    int nightMode[2] = {2, 1};
    if (cameraRequest(fd, WCAM_VIDIOCSNIGHTMODE, nightMode) < 0)
        return failed("WCAM_VIDIOCSNIGHTMODE");
    if (cameraRequest(fd, WCAM_VIDIOCSBRIGHT, 0ul) < 0)
        return failed("WCAM_VIDIOCSBRIGHT");
    video_window window{};
    window.width = FRAME_COLUMNS;
    window.height = FRAME_ROWS;
    if (cameraRequest(fd, VIDIOCSWIN, &window) < 0)
        return failed("VIDIOCSWIN");
    uint16_t outputSize[2] = {FRAME_COLUMNS, FRAME_ROWS};
    if (cameraRequest(fd, WCAM_VIDIOCSOSIZE, outputSize) < 0)
        return failed("WCAM_VIDIOCSOSIZE");
    if (cameraRequest(fd, VIDIOCCAPTURE, 0ul) < 0)
        return failed("VIDIOCCAPTURE");
    if (cameraRequest(fd, WCAM_VIDIOCGBUFCOUNT, &bufferCount) < 0)
        return failed("WCAM_VIDIOCGBUFCOUNT");

    // A descriptor beyond what an fd_set holds cannot be waited for without writing past it.
    if (fd >= FD_SETSIZE) {
        errno = EMFILE;
        return failed("select");
    }
    // No time-out: the driver signals each captured frame. 0 means nothing yet, wait again.
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        if (cameraSelect(fd + 1, &readable, nullptr, nullptr, nullptr) != 0)
            break;
    }

    int record[CAMERA_FRAME_WORDS] = {};
    if (cameraRequest(fd, WCAM_VIDIOCGRABFRAME, record) < 0)
        return failed("WCAM_VIDIOCGRABFRAME");
    const int mean = frameMean(static_cast<const unsigned char *>(session.memory),
                               static_cast<long long>(session.length), record);
    if (mean < 0) {
        errno = EINVAL;
        return failed("WCAM_VIDIOCGRABFRAME");
    }

    if (cameraRequest(fd, VIDIOCCAPTURE, static_cast<unsigned long>(-1)) < 0)
        return failed("VIDIOCCAPTURE");
    return mean;
}

int targetLevel(int measurement, int minLevel, int errorLevel)
{
    const int raw = measurement < 0 ? errorLevel : static_cast<int>(measurement / SAMPLES_PER_LEVEL);
    const int capped = raw > LEVEL_CAP ? LEVEL_CAP : raw;
    return capped < minLevel ? minLevel : capped;
}
