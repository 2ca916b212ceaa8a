// SPDX-License-Identifier: GPL-2.0-or-later
#include "calls_backends.h"

#include "systembus.h"

#include <cstring>
#include <map>
#include <string>
#include <systemd/sd-bus.h>
#include <vector>

namespace {

constexpr const char *MM_SERVICE = "org.freedesktop.ModemManager1";
constexpr const char *MM_PATH = "/org/freedesktop/ModemManager1";
constexpr const char *MM_VOICE = "org.freedesktop.ModemManager1.Modem.Voice";
constexpr const char *MM_CALL = "org.freedesktop.ModemManager1.Call";
// ModemManager's MMCallState and MMCallDirection.
constexpr int MM_CALL_STATE_RINGING_IN = 3;
constexpr int MM_CALL_DIRECTION_INCOMING = 1;

struct CallState
{
    int state = -1;
    int direction = -1;
    bool ringsIn() const
    {
        return state == MM_CALL_STATE_RINGING_IN && direction == MM_CALL_DIRECTION_INCOMING;
    }
};

bool readCallState(sd_bus_message *message, CallState &call)
{
    return readProperties(message, [&call](const char *name, sd_bus_message *variant) {
        int *target = std::strcmp(name, "State") == 0       ? &call.state
                      : std::strcmp(name, "Direction") == 0 ? &call.direction
                                                            : nullptr;
        return target && sd_bus_message_read(variant, "v", "i", target) >= 0;
    });
}

bool readObjectPaths(sd_bus_message *variant, std::vector<std::string> &paths)
{
    if (sd_bus_message_enter_container(variant, 'v', "ao") <= 0)
        return false;
    if (sd_bus_message_enter_container(variant, 'a', "o") <= 0)
        return false;
    const char *path = nullptr;
    int got;
    while ((got = sd_bus_message_read(variant, "o", &path)) > 0)
        paths.push_back(path);
    return got == 0 && sd_bus_message_exit_container(variant) >= 0
           && sd_bus_message_exit_container(variant) >= 0;
}

// The managed objects: the calls every modem's Voice interface lists, and the state of those
// calls that the object manager shows itself.
bool readManagedObjects(sd_bus_message *reply, std::vector<std::string> &calls,
                        std::map<std::string, CallState> &known)
{
    if (sd_bus_message_enter_container(reply, 'a', "{oa{sa{sv}}}") <= 0)
        return false;
    while (sd_bus_message_enter_container(reply, 'e', "oa{sa{sv}}") > 0) {
        const char *object = nullptr;
        if (sd_bus_message_read(reply, "o", &object) < 0
            || sd_bus_message_enter_container(reply, 'a', "{sa{sv}}") <= 0)
            return false;
        const std::string objectPath = object;
        while (sd_bus_message_enter_container(reply, 'e', "sa{sv}") > 0) {
            const char *interface = nullptr;
            if (sd_bus_message_read(reply, "s", &interface) < 0)
                return false;
            bool read = true;
            if (std::strcmp(interface, MM_VOICE) == 0) {
                read = readProperties(reply, [&calls](const char *name, sd_bus_message *v) {
                    return std::strcmp(name, "Calls") == 0 && readObjectPaths(v, calls);
                });
            } else if (std::strcmp(interface, MM_CALL) == 0) {
                read = readCallState(reply, known[objectPath]);
            } else if (sd_bus_message_skip(reply, "a{sv}") < 0) {
                return false;
            }
            if (!read || sd_bus_message_exit_container(reply) < 0)
                return false;
        }
        if (sd_bus_message_exit_container(reply) < 0 || sd_bus_message_exit_container(reply) < 0)
            return false;
    }
    return sd_bus_message_exit_container(reply) >= 0;
}

}  // namespace

int modemManagerRinging(SystemBus &bus)
{
    std::lock_guard<std::mutex> lock(bus.lock());
    bool missing = false;
    sd_bus_message *reply = bus.call(MM_SERVICE, MM_PATH, "org.freedesktop.DBus.ObjectManager",
                                     "GetManagedObjects", {}, &missing);
    if (!reply)
        return missing ? -1 : 0;
    std::vector<std::string> calls;
    std::map<std::string, CallState> known;
    const bool read = readManagedObjects(reply, calls, known);
    sd_bus_message_unref(reply);
    if (!read)
        return 0;
    for (const std::string &path : calls) {
        auto shown = known.find(path);
        if (shown != known.end()) {
            if (shown->second.ringsIn())
                return 1;
            continue;
        }
        // Calls are not always under the object manager: ask the call itself.
        sd_bus_message *properties =
            bus.call(MM_SERVICE, path.c_str(), "org.freedesktop.DBus.Properties", "GetAll",
                     [](sd_bus_message *m) { return sd_bus_message_append(m, "s", MM_CALL); });
        if (!properties)
            continue;
        CallState call;
        const bool ok = readCallState(properties, call);
        sd_bus_message_unref(properties);
        if (ok && call.ringsIn())
            return 1;
    }
    return 0;
}
