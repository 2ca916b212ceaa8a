// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera_requests.h"

#include "camera.h"

#include <cerrno>
#include <cstring>

bool answerCommonCameraRequest(unsigned long request, unsigned long arg, int &bufferCount,
                               std::size_t frameBytes, int *result)
{
    *result = 0;
    const bool pointerArgument = request != WCAM_VIDIOCSBRIGHT && request != VIDIOCCAPTURE;
    if (pointerArgument && arg == 0) {
        errno = EFAULT;
        *result = -1;
        return true;
    }
    switch (request) {
    case WCAM_VIDIOCSCINFOR:
    case WCAM_VIDIOCSOSIZE:
    case WCAM_VIDIOCSFPS:
    case WCAM_VIDIOCSNIGHTMODE:
    case WCAM_VIDIOCSBRIGHT:
    case VIDIOCSWIN: return true;
    case WCAM_VIDIOCSBUFCOUNT: bufferCount = *reinterpret_cast<int *>(arg); return true;
    case WCAM_VIDIOCGBUFCOUNT: *reinterpret_cast<int *>(arg) = bufferCount; return true;
    case VIDIOCGMBUF: {
        auto *mbuf = reinterpret_cast<video_mbuf *>(arg);
        std::memset(mbuf, 0, sizeof *mbuf);
        mbuf->size = int(frameBytes);
        mbuf->frames = 1;
        return true;
    }
    default: return false;
    }
}

void writeFrameRecord(unsigned long arg, int width, int height, int sampleCount)
{
    int *record = reinterpret_cast<int *>(arg);
    std::memset(record, 0, CAMERA_FRAME_WORDS * sizeof(int));
    record[FRAME_WIDTH] = width;
    record[FRAME_HEIGHT] = height;
    record[FRAME_SAMPLE_OFFSET] = 0;
    record[FRAME_SAMPLE_COUNT] = sampleCount;
}
