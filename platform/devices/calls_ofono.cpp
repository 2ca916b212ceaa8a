// SPDX-License-Identifier: GPL-2.0-or-later
#include "calls_backends.h"

#include "systembus.h"

#include <cstring>
#include <functional>
#include <string>
#include <systemd/sd-bus.h>
#include <vector>

namespace {

// a(oa{sv}): true when `wanted` finds an entry whose properties it accepts.
bool anyEntry(sd_bus_message *reply,
              const std::function<bool(const char *, sd_bus_message *, bool &)> &wanted,
              std::vector<std::string> *matching)
{
    if (sd_bus_message_enter_container(reply, 'a', "(oa{sv})") <= 0)
        return false;
    bool found = false;
    while (sd_bus_message_enter_container(reply, 'r', "oa{sv}") > 0) {
        const char *path = nullptr;
        if (sd_bus_message_read(reply, "o", &path) < 0)
            return found;
        bool matches = false;
        if (!readProperties(reply,
                            [&](const char *name, sd_bus_message *v) { return wanted(name, v, matches); }))
            return found;
        if (matches) {
            found = true;
            if (matching)
                matching->push_back(path);
        }
        if (sd_bus_message_exit_container(reply) < 0)
            return found;
    }
    return found;
}

}  // namespace

int ofonoRinging(SystemBus &bus)
{
    std::lock_guard<std::mutex> lock(bus.lock());
    bool missing = false;
    sd_bus_message *modems = bus.call("org.ofono", "/", "org.ofono.Manager", "GetModems", {}, &missing);
    if (!modems)
        return missing ? -1 : 0;
    std::vector<std::string> voiceModems;
    anyEntry(
        modems,
        [](const char *name, sd_bus_message *v, bool &matches) {
            if (std::strcmp(name, "Interfaces") != 0)
                return false;
            if (sd_bus_message_enter_container(v, 'v', "as") <= 0
                || sd_bus_message_enter_container(v, 'a', "s") <= 0)
                return false;
            const char *interface = nullptr;
            int got;
            while ((got = sd_bus_message_read(v, "s", &interface)) > 0)
                matches = matches || std::strcmp(interface, "org.ofono.VoiceCallManager") == 0;
            return got == 0 && sd_bus_message_exit_container(v) >= 0 && sd_bus_message_exit_container(v) >= 0;
        },
        &voiceModems);
    sd_bus_message_unref(modems);

    for (const std::string &modem : voiceModems) {
        sd_bus_message *calls =
            bus.call("org.ofono", modem.c_str(), "org.ofono.VoiceCallManager", "GetCalls");
        if (!calls)
            continue;
        const bool ringing = anyEntry(
            calls,
            [](const char *name, sd_bus_message *v, bool &matches) {
                const char *state = nullptr;
                if (std::strcmp(name, "State") != 0 || sd_bus_message_read(v, "v", "s", &state) < 0)
                    return false;
                matches = std::strcmp(state, "incoming") == 0;
                return true;
            },
            nullptr);
        sd_bus_message_unref(calls);
        if (ringing)
            return 1;
    }
    return 0;
}
