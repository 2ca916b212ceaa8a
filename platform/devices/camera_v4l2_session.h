// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "camera_v4l2.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <vector>

// One open V4L2 camera of the webcam backend (camera_v4l2.cpp): the frame format agreed on,
// the capture buffers, the controls the capture changed, and the luma plane of the last frame.
// Inside that backend only.

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

inline int fail(int error)
{
    errno = error;
    return -1;
}

// True for a streaming capture device with a frame format whose luma can be read, directly or
// through the converting layer, and a small frame agreed on; session->calls may then be the
// converting layer's. False with errno set.
bool prepareSession(int fd, Session *session);

// VIDIOCCAPTURE 0 and -1: streaming with exposure and gain fixed, and back to the user's.
int startCapture(int fd, Session &session);
int stopCapture(int fd, Session &session);
// Stops whatever runs and closes the descriptor.
int releaseSession(int fd, Session &session);

// Dequeues frames until the sensor has settled, leaving the luma of the last good one in the
// caller's capture memory. -1 with errno set (also kept as captureError) when none came.
int takeFrame(int fd, Session &session);
