// SPDX-License-Identifier: GPL-2.0-or-later
#include "lights_backends.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unistd.h>

// Simulated lights for tests and demos. Every event becomes one line of the log file:
//   open NODE | close NODE | NODE REQUEST ARG [failed]
// NODE as the program named it, REQUEST in lower-case hex with 0x, ARG in decimal; for the two
// read requests ARG is the value answered ("-" when the request failed). Each line is one
// write() on a descriptor opened with O_APPEND, so several processes can share one log.
//
// Start state: backlight on at EZX_SIM_LEVEL (default 50), off when EZX_SIM_BACKLIGHT=0.
// EZX_SIM_FAIL: comma-separated request numbers (hex) that fail with -1 (EIO).
// EZX_SIM_MISSING: comma-separated nodes that cannot be opened (ENOENT).

namespace {

std::set<std::string> splitList(const char *text)
{
    std::set<std::string> items;
    if (!text)
        return items;
    std::string all(text);
    size_t start = 0;
    while (start <= all.size()) {
        size_t comma = all.find(',', start);
        if (comma == std::string::npos)
            comma = all.size();
        std::string item = all.substr(start, comma - start);
        while (!item.empty() && item.front() == ' ')
            item.erase(item.begin());
        while (!item.empty() && item.back() == ' ')
            item.pop_back();
        if (!item.empty())
            items.insert(item);
        start = comma + 1;
    }
    return items;
}

class SimLights : public LightBackend
{
public:
    explicit SimLights(const char *logFile)
    {
        logFd = ::open(logFile, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        const char *level = std::getenv("EZX_SIM_LEVEL");
        state.level = level && *level ? std::atoi(level) : 50;
        const char *on = std::getenv("EZX_SIM_BACKLIGHT");
        state.backlightOn = !(on && std::strcmp(on, "0") == 0);
        state.keypadOn = false;
        state.blanked = false;
        for (const std::string &req : splitList(std::getenv("EZX_SIM_FAIL")))
            failing.insert(std::strtoul(req.c_str(), nullptr, 16));
        missing = splitList(std::getenv("EZX_SIM_MISSING"));
    }

    ~SimLights() override
    {
        if (logFd >= 0)
            ::close(logFd);
    }

    int open(const char *node, int) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (missing.count(node)) {
            errno = ENOENT;
            return -1;
        }
        int fd = nextFd++;
        nodes[fd] = node;
        log("open " + std::string(node));
        return fd;
    }

    int request(int fd, unsigned long request, unsigned long arg) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = nodes.find(fd);
        if (it == nodes.end()) {
            errno = EBADF;
            return -1;
        }
        const std::string &node = it->second;
        char head[64];
        std::snprintf(head, sizeof head, " 0x%lx ", request);
        const bool reads = request == LIGHT_FB_GET_BACKLIGHT || request == LIGHT_FB_GET_LEVEL;
        if (failing.count(request) || !understands(node, request)) {
            log(node + head + (reads ? std::string("-") : std::to_string(long(arg))) + " failed");
            errno = failing.count(request) ? EIO : ENOTTY;
            return -1;
        }
        long shown = long(arg);
        switch (request) {
        case LIGHT_KEYPAD_ON: state.keypadOn = true; break;
        case LIGHT_KEYPAD_OFF: state.keypadOn = false; break;
        case LIGHT_FB_BLANK: state.blanked = arg != 0; break;
        case LIGHT_FB_BACKLIGHT: state.backlightOn = arg != 0; break;
        case LIGHT_FB_SET_LEVEL: state.level = int(arg); break;
        case LIGHT_FB_GET_BACKLIGHT:
            *reinterpret_cast<unsigned char *>(arg) = state.backlightOn ? 1 : 0;
            shown = state.backlightOn ? 1 : 0;
            break;
        case LIGHT_FB_GET_LEVEL:
            *reinterpret_cast<int *>(arg) = state.level;
            shown = state.level;
            break;
        }
        log(node + head + std::to_string(shown));
        return 0;
    }

    int close(int fd) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = nodes.find(fd);
        if (it == nodes.end()) {
            errno = EBADF;
            return -1;
        }
        log("close " + it->second);
        nodes.erase(it);
        return 0;
    }

    SimLightState snapshot()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return state;
    }

private:
    static bool understands(const std::string &node, unsigned long request)
    {
        if (node == LIGHT_NODE_KEYPAD)
            return request == LIGHT_KEYPAD_ON || request == LIGHT_KEYPAD_OFF;
        if (node == LIGHT_NODE_FB)
            return request == LIGHT_FB_BLANK || request == LIGHT_FB_BACKLIGHT
                   || request == LIGHT_FB_GET_BACKLIGHT || request == LIGHT_FB_SET_LEVEL
                   || request == LIGHT_FB_GET_LEVEL;
        return false;
    }

    void log(const std::string &line)
    {
        if (logFd < 0)
            return;
        std::string whole = line + "\n";
        ssize_t written = ::write(logFd, whole.data(), whole.size());
        (void)written;
    }

    std::mutex mutex;
    int logFd = -1;
    int nextFd = 1000;
    std::map<int, std::string> nodes;
    std::set<unsigned long> failing;
    std::set<std::string> missing;
    SimLightState state{};
};

}  // namespace

LightBackend *makeSimLights(const char *logFile)
{
    return new SimLights(logFile);
}

bool lightSimState(SimLightState *out)
{
    auto *sim = dynamic_cast<SimLights *>(&lights());
    if (!sim)
        return false;
    *out = sim->snapshot();
    return true;
}
