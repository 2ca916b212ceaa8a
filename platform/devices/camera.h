// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/select.h>
#include <sys/types.h>

// The camera, /dev/video0. Programs open it by its phone name and talk to it the way they would
// to the driver: requests, a mapping of the capture memory, a wait until a frame is ready. The
// backend behind these calls is chosen once per process from EZX_CAMERA:
//
//   (unset)    the phone's driver when it answers, else the first V4L2 webcam (camera_select.cpp)
//   phone      the device node (through phonePath), ioctl, mmap and select as they are
//   v4l2       the first V4L2 capture device among /dev/videoN (through phonePath)
//   v4l2:DEV   the V4L2 capture device DEV, e.g. /dev/video2
//   sim:FILE   a simulated camera whose every frame is the bytes of FILE, read afresh at each
//              open; a missing or empty FILE cannot be opened (see camera_sim.cpp)
//
// Results follow the system calls: -1 (cameraMap: MAP_FAILED) with errno set on failure.

constexpr const char *CAMERA_NODE = "/dev/video0";

// The phone camera driver's own requests: plain numbers, not encoded with size and direction.
constexpr unsigned long WCAM_VIDIOCSCINFOR = 215;     // int[2]
constexpr unsigned long WCAM_VIDIOCSOSIZE = 218;      // uint16_t[2]: output width, height
constexpr unsigned long WCAM_VIDIOCSFPS = 221;        // int[2]
constexpr unsigned long WCAM_VIDIOCSNIGHTMODE = 222;  // int[2]
constexpr unsigned long WCAM_VIDIOCSBRIGHT = 252;     // the value itself
constexpr unsigned long WCAM_VIDIOCSBUFCOUNT = 253;   // int *
constexpr unsigned long WCAM_VIDIOCGRABFRAME = 265;   // int[CAMERA_FRAME_WORDS], filled
constexpr unsigned long WCAM_VIDIOCGBUFCOUNT = 267;   // int *, filled

// Video4Linux version 1, with the request numbers of the phone's 32-bit kernel.
constexpr unsigned long VIDIOCGMBUF = 0x80887614;    // video_mbuf *, filled
constexpr unsigned long VIDIOCSWIN = 0x4020760A;     // video_window *
constexpr unsigned long VIDIOCCAPTURE = 0x40047608;  // the value itself: 0 start, -1 stop

constexpr int VIDEO_MAX_FRAME = 32;

struct video_mbuf
{
    int size;  // bytes of capture memory to map
    int frames;
    int offsets[VIDEO_MAX_FRAME];
};

struct video_clip;

struct video_window
{
    uint32_t x, y;
    uint32_t width, height;
    uint32_t chromakey;
    uint32_t flags;
    video_clip *clips;
    int clipcount;
};

// The frame record that WCAM_VIDIOCGRABFRAME fills: 32-bit words, of which these are known.
constexpr int CAMERA_FRAME_WORDS = 12;
constexpr int FRAME_WIDTH = 2;          // pixels
constexpr int FRAME_HEIGHT = 3;         // pixels
constexpr int FRAME_SAMPLE_OFFSET = 6;  // bytes from the start of the capture memory
constexpr int FRAME_SAMPLE_COUNT = 9;   // one byte each

int cameraOpen(const char *node, int flags);
int cameraRequest(int fd, unsigned long request, unsigned long arg);
int cameraRequest(int fd, unsigned long request, void *arg);
void *cameraMap(size_t length, int prot, int flags, int fd, off_t offset);
int cameraUnmap(void *address, size_t length);
int cameraSelect(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout);
int cameraClose(int fd);

// What every backend does (one file each, camera_<backend>.cpp; camera_select.cpp picks one).
class CameraBackend
{
public:
    virtual ~CameraBackend() = default;
    virtual int open(const char *node, int flags) = 0;
    virtual int request(int fd, unsigned long request, unsigned long arg) = 0;
    virtual void *map(size_t length, int prot, int flags, int fd, off_t offset) = 0;
    virtual int unmap(void *address, size_t length) = 0;
    virtual int select(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout) = 0;
    virtual int close(int fd) = 0;
};

// The backend in use; made from EZX_CAMERA on first use.
CameraBackend &camera();

// Tests only: forget the backend, so that the next call reads EZX_CAMERA again.
void cameraReset();

// Tests only: use this backend (taken over) until the next cameraReset() or cameraUse().
void cameraUse(CameraBackend *backend);
