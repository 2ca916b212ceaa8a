// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <mutex>

struct sd_bus;
struct sd_bus_message;

// A short-lived-patience client of the D-Bus system bus (DBUS_SYSTEM_BUS_ADDRESS, else the
// standard socket). Every call, the connection set-up included, gives up after
// BUS_PATIENCE_US: a missing bus, a missing service or a stuck peer costs a caller at most
// that, and never starts a service. The connection is opened on first use, kept, and opened
// anew after it broke. Not thread-safe: callers hold lock() around each call and the use of
// its reply.
class SystemBus
{
public:
    static constexpr unsigned long long BUS_PATIENCE_US = 200000;

    SystemBus() = default;
    ~SystemBus();
    SystemBus(const SystemBus &) = delete;
    SystemBus &operator=(const SystemBus &) = delete;

    // Calls METHOD and answers its reply (the caller unrefs it), or nullptr on any failure;
    // `append` adds the arguments. *missing is set when the bus or the service is not there.
    sd_bus_message *call(const char *service, const char *path, const char *interface, const char *method,
                         const std::function<int(sd_bus_message *)> &append = {}, bool *missing = nullptr);

    std::mutex &lock() { return mutex; }

private:
    sd_bus *connection();
    void drop();

    sd_bus *bus = nullptr;
    std::mutex mutex;
};

// The process's own connection, for the call status and the backlight writes.
SystemBus &processSystemBus();

// Reads an a{sv} dictionary at the message's read position: for each entry `take` gets the
// name with the read position at the variant, and either reads it (answering true) or leaves
// it to be skipped (false). Answers false when the message does not hold such a dictionary.
bool readProperties(sd_bus_message *message,
                    const std::function<bool(const char *name, sd_bus_message *variant)> &take);
