// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera_requests.h"
#include "camera_v4l2_session.h"
#include "phonepath.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace {

// One capture session per open camera (camera_v4l2_capture.cpp); see camera_v4l2.h.
class V4l2Camera : public CameraBackend
{
public:
    V4l2Camera(const char *node, const V4l2Calls *calls) : node(node ? node : ""), calls(calls) {}
    ~V4l2Camera() override
    {
        for (auto &entry : sessions)
            releaseSession(entry.first, entry.second);
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
            if (prepareSession(fd, &session)) {
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
        const int result = releaseSession(fd, it->second);
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

    std::string node;
    const V4l2Calls *calls;
    std::mutex mutex;
    std::map<int, Session> sessions;
};

}  // namespace

CameraBackend *makeV4l2Camera(const char *node, const V4l2Calls *calls)
{
    return new V4l2Camera(node, calls);
}
