// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "camera.h"

#include <QStringList>
#include <array>
#include <vector>

// A camera driver that tests put behind the camera seam: it answers the phone driver's requests
// from the fields below and writes down every call, with its arguments, as one line of trace.
// Descriptors are real ones (on /dev/null), so a leak is a leak of the test process.
class FakeCamera : public CameraBackend
{
public:
    FakeCamera();
    ~FakeCamera() override;

    int open(const char *node, int flags) override;
    int request(int fd, unsigned long request, unsigned long arg) override;
    void *map(size_t length, int prot, int flags, int fd, off_t offset) override;
    int unmap(void *address, size_t length) override;
    int select(int nfds, fd_set *readSet, fd_set *writeSet, fd_set *exceptSet, timeval *timeout) override;
    int close(int fd) override;

    // What the driver answers.
    std::vector<unsigned char> memory;  // the capture memory
    int reportedSize = -1;              // VIDIOCGMBUF size; -1: memory.size()
    std::array<int, CAMERA_FRAME_WORDS> record{};
    bool openFails = false;
    bool mapFails = false;
    unsigned long failingRequest = 0;  // this request fails with EIO
    int idleSelects = 0;               // selects that answer 0 before a frame is ready

    // What the driver saw.
    QStringList trace;
    int opens = 0;
    int openDescriptors = 0;
    int liveMappings = 0;

private:
    QString describe(unsigned long request, unsigned long arg) const;

    int cameraFd = -1;
    const int *bufferCountAddress = nullptr;
};
