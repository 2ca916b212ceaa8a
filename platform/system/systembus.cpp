// SPDX-License-Identifier: GPL-2.0-or-later
#include "systembus.h"

#include "monotonic.h"

#include <cerrno>
#include <cstring>
#include <systemd/sd-bus.h>

namespace {

unsigned long long monotonicUs()
{
    return (unsigned long long)(monotonicNs() / 1000);
}

bool meansAbsent(const sd_bus_error &error)
{
    return sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN)
           || sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER)
           || sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_OBJECT)
           || sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_METHOD);
}

}  // namespace

SystemBus::~SystemBus()
{
    drop();
}

void SystemBus::drop()
{
    if (bus)
        sd_bus_flush_close_unref(bus);
    bus = nullptr;
}

sd_bus *SystemBus::connection()
{
    if (bus && sd_bus_is_open(bus) > 0)
        return bus;
    drop();
    sd_bus *fresh = nullptr;
    // Connecting to a missing socket fails at once; the greeting below is what may wait.
    if (sd_bus_open_system(&fresh) < 0)
        return nullptr;
    const unsigned long long deadline = monotonicUs() + BUS_PATIENCE_US;
    for (;;) {
        if (sd_bus_is_ready(fresh) > 0)
            break;
        const int processed = sd_bus_process(fresh, nullptr);
        if (processed < 0) {
            sd_bus_unref(fresh);
            return nullptr;
        }
        if (processed > 0)
            continue;
        const unsigned long long now = monotonicUs();
        if (now >= deadline || sd_bus_wait(fresh, deadline - now) < 0) {
            sd_bus_unref(fresh);
            return nullptr;
        }
    }
    bus = fresh;
    return bus;
}

sd_bus_message *SystemBus::call(const char *service, const char *path, const char *interface,
                                const char *method, const std::function<int(sd_bus_message *)> &append,
                                bool *missing)
{
    if (missing)
        *missing = false;
    sd_bus *open = connection();
    if (!open) {
        if (missing)
            *missing = true;
        return nullptr;
    }
    sd_bus_message *request = nullptr;
    if (sd_bus_message_new_method_call(open, &request, service, path, interface, method) < 0)
        return nullptr;
    // Asking must never start a service that is not running.
    sd_bus_message_set_auto_start(request, 0);
    if (append && append(request) < 0) {
        sd_bus_message_unref(request);
        return nullptr;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message *reply = nullptr;
    const int result = sd_bus_call(open, request, BUS_PATIENCE_US, &error, &reply);
    sd_bus_message_unref(request);
    if (result < 0) {
        if (missing)
            *missing = meansAbsent(error);
        sd_bus_error_free(&error);
        if (sd_bus_is_open(open) <= 0)
            drop();
        return nullptr;
    }
    return reply;
}

SystemBus &processSystemBus()
{
    // Never destroyed: lights are closed from destructors of static objects.
    static SystemBus *shared = new SystemBus;
    return *shared;
}

bool readProperties(sd_bus_message *message,
                    const std::function<bool(const char *name, sd_bus_message *variant)> &take)
{
    if (sd_bus_message_enter_container(message, 'a', "{sv}") <= 0)
        return false;
    int entered;
    while ((entered = sd_bus_message_enter_container(message, 'e', "sv")) > 0) {
        const char *name = nullptr;
        if (sd_bus_message_read(message, "s", &name) < 0)
            return false;
        if (!take(name, message) && sd_bus_message_skip(message, "v") < 0)
            return false;
        if (sd_bus_message_exit_container(message) < 0)
            return false;
    }
    return entered == 0 && sd_bus_message_exit_container(message) >= 0;
}
