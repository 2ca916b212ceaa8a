// SPDX-License-Identifier: GPL-2.0-or-later
#include "lights_sysfs.h"

#include "lightguard.h"
#include "lights_backends.h"
#include "logind.h"
#include "phonepath.h"
#include "systembus.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

// The level a backlight found dark comes back at when nothing better is known.
constexpr int FALLBACK_LEVEL = 50;
// bl_power values of the framebuffer blanking interface.
constexpr long POWER_ON = 0;
constexpr long POWER_DOWN = 4;

bool plainName(const char *name)
{
    return name && *name && std::strchr(name, '/') == nullptr && std::strcmp(name, ".") != 0
           && std::strcmp(name, "..") != 0;
}

std::vector<std::string> namesIn(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *dir = opendir(folder.c_str())) {
        while (dirent *entry = readdir(dir)) {
            if (plainName(entry->d_name))
                names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readText(const std::string &path)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[128];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got > 0)
        text.assign(buffer, size_t(got));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

SysfsDevice deviceNamed(const char *subsystem, const std::string &name)
{
    SysfsDevice device;
    device.subsystem = subsystem;
    device.name = name;
    device.folder = phonePath("/sys/class/" + device.subsystem + "/" + name);
    long max = 0;
    if (plainName(name.c_str()) && readAttribute(device, "max_brightness", &max) && max > 0)
        device.maxBrightness = max;
    return device;
}

bool endsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int backlightTypeRank(const std::string &type)
{
    if (type == "firmware")
        return 0;
    if (type == "platform")
        return 1;
    if (type == "raw")
        return 2;
    return 3;
}

SysfsDevice findBacklight()
{
    const char *wanted = std::getenv("EZX_BACKLIGHT");
    if (wanted && *wanted)
        return deviceNamed("backlight", wanted);
    SysfsDevice best;
    int bestRank = 99;
    for (const std::string &name : namesIn(phonePath("/sys/class/backlight"))) {
        SysfsDevice device = deviceNamed("backlight", name);
        const int rank = backlightTypeRank(readText(device.folder + "/type"));
        if (device.valid() && rank < bestRank) {
            best = device;
            bestRank = rank;
        }
    }
    return best;
}

SysfsDevice findKeyboardLight()
{
    const char *wanted = std::getenv("EZX_KEYLIGHT");
    if (wanted && *wanted)
        return deviceNamed("leds", wanted);
    for (const std::string &name : namesIn(phonePath("/sys/class/leds"))) {
        if (!endsWith(name, "kbd_backlight"))
            continue;
        SysfsDevice device = deviceNamed("leds", name);
        if (device.valid())
            return device;
    }
    return SysfsDevice();
}

long levelToRaw(int level, long maxBrightness)
{
    if (level <= 0 || maxBrightness <= 0)
        return 0;
    level = std::min(level, 100);
    const long raw = (long(level) * maxBrightness + 50) / 100;
    return std::max(1L, std::min(raw, maxBrightness));
}

int rawToLevel(long raw, long maxBrightness)
{
    if (raw <= 0 || maxBrightness <= 0)
        return 0;
    raw = std::min(raw, maxBrightness);
    return int((raw * 100 + maxBrightness / 2) / maxBrightness);
}

bool readAttribute(const SysfsDevice &device, const char *attribute, long *value)
{
    const std::string text = readText(device.folder + "/" + attribute);
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str())
        return false;
    *value = number;
    return true;
}

bool writeAttribute(const SysfsDevice &device, const char *attribute, long value, SystemBus &bus)
{
    const std::string path = device.folder + "/" + attribute;
    const std::string text = std::to_string(value) + "\n";
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd >= 0) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        const int writeError = errno;
        ::close(fd);
        if (written == ssize_t(text.size()))
            return true;
        errno = written < 0 ? writeError : EIO;
        return false;
    }
    const int openError = errno;
    const bool denied = openError == EACCES || openError == EPERM || openError == EROFS;
    if (denied && std::strcmp(attribute, "brightness") == 0 && value >= 0
        && logindSetBrightness(bus, device.subsystem.c_str(), device.name.c_str(), (unsigned int)value))
        return true;
    errno = openError;
    return false;
}

namespace {

enum class Light { Backlight, Keypad };

class SysfsLights : public LightBackend
{
public:
    SysfsLights() : backlight(findBacklight()), keyboard(findKeyboardLight())
    {
        const char *keylight = std::getenv("EZX_KEYLIGHT");
        noKeyboard = keylight && std::strcmp(keylight, "none") == 0;
        long raw = 0;
        if (backlight.valid() && readAttribute(backlight, "brightness", &raw)) {
            startLevel = rawToLevel(raw, backlight.maxBrightness);
            if (raw > 0)
                remembered = startLevel;
        }
        // bl_power only where this process may write it; logind cannot.
        powerSwitch = backlight.valid() && ::access((backlight.folder + "/bl_power").c_str(), W_OK) == 0;
    }

    int open(const char *node, int) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        Light light;
        std::string folder;
        if (std::strcmp(node, LIGHT_NODE_FB) == 0 && backlight.valid()) {
            light = Light::Backlight;
            folder = backlight.folder;
        } else if (std::strcmp(node, LIGHT_NODE_KEYPAD) == 0 && (keyboard.valid() || noKeyboard)) {
            light = Light::Keypad;
            folder = noKeyboard ? "/" : keyboard.folder;
        } else {
            errno = ENOENT;
            return -1;
        }
        // A real descriptor, so that numbers never clash with the program's own.
        const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        lit[fd] = light;
        if (lit.size() == 1)
            guard.arm(true);
        return fd;
    }

    int request(int fd, unsigned long request, unsigned long arg) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = lit.find(fd);
        if (it == lit.end()) {
            errno = EBADF;
            return -1;
        }
        if (it->second == Light::Keypad) {
            if (request != LIGHT_KEYPAD_ON && request != LIGHT_KEYPAD_OFF) {
                errno = ENOTTY;
                return -1;
            }
            if (noKeyboard)
                return 0;
            const long value = request == LIGHT_KEYPAD_ON ? keyboard.maxBrightness : 0;
            return write(keyboard, "brightness", value);
        }
        switch (request) {
        case LIGHT_FB_BLANK: return switchBacklight(arg == 0);
        case LIGHT_FB_BACKLIGHT: return switchBacklight(arg != 0);
        case LIGHT_FB_SET_LEVEL: return setLevel(arg > 100 ? 100 : int(arg));
        case LIGHT_FB_GET_BACKLIGHT: {
            bool on = false;
            if (!backlightOn(&on))
                return -1;
            *reinterpret_cast<unsigned char *>(arg) = on ? 1 : 0;
            return 0;
        }
        case LIGHT_FB_GET_LEVEL: {
            long raw = 0;
            if (!readRaw(&raw))
                return -1;
            *reinterpret_cast<int *>(arg) = switchedOff && remembered >= 0 ? remembered : levelOf(raw);
            return 0;
        }
        }
        errno = ENOTTY;
        return -1;
    }

    int close(int fd) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = lit.find(fd);
        if (it == lit.end()) {
            errno = EBADF;
            return -1;
        }
        lit.erase(it);
        ::close(fd);
        if (lit.empty())
            guard.arm(false);
        return 0;
    }

    bool startGuard() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (guard.running())
            return true;
        std::vector<GuardedValue> saved;
        long value = 0;
        if (backlight.valid() && readAttribute(backlight, "brightness", &value))
            saved.push_back({backlight, "brightness", value});
        if (backlight.valid() && readAttribute(backlight, "bl_power", &value))
            saved.push_back({backlight, "bl_power", value});
        if (keyboard.valid() && readAttribute(keyboard, "brightness", &value))
            saved.push_back({keyboard, "brightness", value});
        return !saved.empty() && guard.start(saved, !lit.empty());
    }

    std::string hint(bool backlightMissing, bool) const override
    {
        if (backlightMissing)
            return "no backlight in /sys/class/backlight (EZX_BACKLIGHT=NAME names one); "
                   "EZX_LIGHTS=sim:FILE simulates the lights";
        return "no keyboard LED (*kbd_backlight) in /sys/class/leds: EZX_KEYLIGHT=NAME names one, "
               "EZX_KEYLIGHT=none does without";
    }

    bool levelAtStart(unsigned int *level) const override
    {
        if (startLevel < 0)
            return false;
        *level = unsigned(startLevel);
        return true;
    }

private:
    int write(const SysfsDevice &device, const char *attribute, long value)
    {
        return writeAttribute(device, attribute, value, processSystemBus()) ? 0 : -1;
    }

    bool readRaw(long *raw) const
    {
        if (readAttribute(backlight, "brightness", raw))
            return true;
        errno = EIO;
        return false;
    }

    // The level last asked for while the device still shows it, else what the device shows.
    int levelOf(long raw) const
    {
        if (remembered >= 0 && levelToRaw(remembered, backlight.maxBrightness) == raw)
            return remembered;
        return rawToLevel(raw, backlight.maxBrightness);
    }

    bool backlightOn(bool *on)
    {
        long value = 0;
        if (powerSwitch) {
            if (!readAttribute(backlight, "bl_power", &value)) {
                errno = EIO;
                return false;
            }
            *on = value == POWER_ON;
            return true;
        }
        if (!readRaw(&value))
            return false;
        // Dark at brightness 0, unless this process itself asked for level 0.
        *on = value > 0 || (!switchedOff && remembered == 0);
        return true;
    }

    int switchBacklight(bool on)
    {
        if (powerSwitch)
            return write(backlight, "bl_power", on ? POWER_ON : POWER_DOWN);
        long raw = 0;
        if (!readRaw(&raw))
            return -1;
        if (on) {
            switchedOff = false;
            if (raw > 0 || remembered == 0)
                return 0;
            return write(backlight, "brightness",
                         levelToRaw(remembered > 0 ? remembered : FALLBACK_LEVEL, backlight.maxBrightness));
        }
        if (!switchedOff && raw > 0)
            remembered = levelOf(raw);
        switchedOff = true;
        return raw == 0 ? 0 : write(backlight, "brightness", 0);
    }

    int setLevel(int level)
    {
        remembered = level;
        // Without bl_power, dark is brightness 0: the level waits for the light to come on.
        if (!powerSwitch && switchedOff)
            return 0;
        return write(backlight, "brightness", levelToRaw(level, backlight.maxBrightness));
    }

    std::mutex mutex;
    const SysfsDevice backlight;
    const SysfsDevice keyboard;
    bool noKeyboard = false;
    bool powerSwitch = false;
    int startLevel = -1;
    int remembered = -1;       // the level last asked for, -1 before any
    bool switchedOff = false;  // this process switched the backlight off by brightness 0
    std::map<int, Light> lit;
    LightGuard guard;
};

}  // namespace

LightBackend *makeSysfsLights()
{
    return new SysfsLights;
}
