// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "camera.h"

#include <cstddef>
#include <cstdint>

// A Video4Linux2 webcam standing in for the phone's camera. It answers the phone driver's
// requests, so a measurement runs unchanged: the capture memory it maps is one 8-bit luma
// sample per pixel of a small frame, filled when the caller waits for the descriptor.
//
// Requests and their meaning here:
//   VIDIOCGMBUF          size = width x height of the negotiated frame
//   VIDIOCCAPTURE 0/-1   start streaming (exposure and gain fixed) / stop, user's controls back
//   select               drops the first frames while the sensor settles, then converts the
//                        last one; -1 (ETIMEDOUT) when the camera stays silent for two seconds
//   WCAM_VIDIOCGRABFRAME the record of that frame (width, height, offset 0, width x height)
//   the other WCAM and VIDIOCSWIN requests are accepted and change nothing
// Closing the descriptor stops the capture, releases every buffer and restores the controls,
// whatever state the measurement ended in.

// The calls a V4L2 camera is driven through: the system's, libv4l2's for a camera that only
// gives compressed frames, or a test's fake driver.
struct V4l2Calls
{
    int (*open)(const char *path, int flags);
    int (*close)(int fd);
    int (*ioctl)(int fd, unsigned long request, void *arg);
    void *(*mmap)(void *start, size_t length, int prot, int flags, int fd, int64_t offset);
    int (*munmap)(void *start, size_t length);
    // 1 when a frame can be taken, 0 after timeoutMs without one, -1 with errno on failure.
    int (*poll)(int fd, int timeoutMs);
    // Hands an open descriptor to a layer that converts compressed frames; returns the calls to
    // use on it from then on, or nullptr when there is no such layer.
    const V4l2Calls *(*converting)(int fd);
};

// The system calls; compressed frames go through libv4l2 when it can be loaded.
const V4l2Calls *systemV4l2Calls();

// node: a device such as /dev/video1, used as given; nullptr: the first video capture device
// among phonePath("/dev")/videoN in the order of N.
CameraBackend *makeV4l2Camera(const char *node, const V4l2Calls *calls = systemV4l2Calls());

// The default: the phone's driver at the camera's phone node when it answers (opens and is no
// V4L2 device), otherwise the first V4L2 capture device; failing that, the phone node's own
// failure. Decided afresh at each open, so a webcam plugged in later is found
// (camera_select.cpp).
CameraBackend *makeAutoCamera(const V4l2Calls *calls = systemV4l2Calls());

// Copies the luma samples of one frame into plane (width x height bytes). Formats: GREY,
// YUYV, YVYU, UYVY, VYUY and the planar or semi-planar 4:2:0 ones whose first plane is luma.
// False when the format is not one of these or the frame is shorter than its lines claim.
bool lumaPlane(uint32_t pixelFormat, const unsigned char *frame, size_t frameBytes, uint32_t width,
               uint32_t height, uint32_t bytesPerLine, unsigned char *plane);
