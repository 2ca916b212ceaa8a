// SPDX-License-Identifier: GPL-2.0-or-later
// The sd-bus calls the platform makes, taken from libsystemd when the first one is made. Only
// the lights and calls of an ordinary machine (logind, ModemManager, oFono) talk to the bus;
// linking libsystemd with its compression and crypto libraries would cost every program about
// 0.8 MiB of memory and the time to map them, bus or not. Without the library every call fails
// as a missing bus does, with -ENOSYS.
#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>

namespace {

void *libsystemd()
{
    static void *const handle = ::dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function> Function resolve(const char *name)
{
    void *handle = libsystemd();
    return handle ? reinterpret_cast<Function>(::dlsym(handle, name)) : nullptr;
}

}  // namespace

// Each call looks its function up once; `failed` is what it answers without the library.
#define SDBUS_FORWARD(type, name, failed, parameters, arguments)                                             \
    extern "C" type name parameters                                                                          \
    {                                                                                                        \
        static const auto real = resolve<type(*) parameters>(#name);                                         \
        return real ? real arguments : failed;                                                               \
    }

SDBUS_FORWARD(int, sd_bus_open_system, -ENOSYS, (sd_bus * *ret), (ret))
SDBUS_FORWARD(sd_bus *, sd_bus_unref, nullptr, (sd_bus * bus), (bus))
SDBUS_FORWARD(sd_bus *, sd_bus_flush_close_unref, nullptr, (sd_bus * bus), (bus))
SDBUS_FORWARD(int, sd_bus_is_open, -ENOSYS, (sd_bus * bus), (bus))
SDBUS_FORWARD(int, sd_bus_is_ready, -ENOSYS, (sd_bus * bus), (bus))
SDBUS_FORWARD(int, sd_bus_call, -ENOSYS,
              (sd_bus * bus, sd_bus_message *m, uint64_t usec, sd_bus_error *error, sd_bus_message **reply),
              (bus, m, usec, error, reply))
SDBUS_FORWARD(int, sd_bus_process, -ENOSYS, (sd_bus * bus, sd_bus_message **r), (bus, r))
SDBUS_FORWARD(int, sd_bus_wait, -ENOSYS, (sd_bus * bus, uint64_t timeout), (bus, timeout))
SDBUS_FORWARD(int, sd_bus_message_new_method_call, -ENOSYS,
              (sd_bus * bus, sd_bus_message **m, const char *destination, const char *path,
               const char *interface, const char *member),
              (bus, m, destination, path, interface, member))
SDBUS_FORWARD(sd_bus_message *, sd_bus_message_unref, nullptr, (sd_bus_message * m), (m))
SDBUS_FORWARD(int, sd_bus_message_set_auto_start, -ENOSYS, (sd_bus_message * m, int b), (m, b))
SDBUS_FORWARD(int, sd_bus_message_skip, -ENOSYS, (sd_bus_message * m, const char *types), (m, types))
SDBUS_FORWARD(int, sd_bus_message_enter_container, -ENOSYS,
              (sd_bus_message * m, char type, const char *contents), (m, type, contents))
SDBUS_FORWARD(int, sd_bus_message_exit_container, -ENOSYS, (sd_bus_message * m), (m))
SDBUS_FORWARD(int, sd_bus_error_has_name, 0, (const sd_bus_error *e, const char *name), (e, name))

// Nothing to free without the library: no call could have filled the error.
extern "C" void sd_bus_error_free(sd_bus_error *e)
{
    static const auto real = resolve<void (*)(sd_bus_error *)>("sd_bus_error_free");
    if (real)
        real(e);
}

// The two calls with a variable argument list go to their va_list forms.
#define SDBUS_FORWARD_VARIADIC(name, listForm)                                                               \
    extern "C" int name(sd_bus_message *m, const char *types, ...)                                           \
    {                                                                                                        \
        static const auto real = resolve<int (*)(sd_bus_message *, const char *, va_list)>(#listForm);       \
        if (!real)                                                                                           \
            return -ENOSYS;                                                                                  \
        va_list arguments;                                                                                   \
        va_start(arguments, types);                                                                          \
        const int result = real(m, types, arguments);                                                        \
        va_end(arguments);                                                                                   \
        return result;                                                                                       \
    }

SDBUS_FORWARD_VARIADIC(sd_bus_message_append, sd_bus_message_appendv)
SDBUS_FORWARD_VARIADIC(sd_bus_message_read, sd_bus_message_readv)
