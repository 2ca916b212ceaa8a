// SPDX-License-Identifier: GPL-2.0-or-later
#include "callstatus.h"

#include "calls_backends.h"
#include "systembus.h"

#include <cstdlib>
#include <cstring>

CallSource callSourceFrom(const char *setting)
{
    if (!setting || !*setting)
        return CallSource::Automatic;
    if (std::strncmp(setting, "file:", 5) == 0)
        return CallSource::File;
    if (std::strcmp(setting, "modemmanager") == 0)
        return CallSource::ModemManager;
    if (std::strcmp(setting, "ofono") == 0)
        return CallSource::Ofono;
    return CallSource::None;
}

int UTIL_GetIncomingCallStatus()
{
    const char *source = std::getenv("EZX_CALL");
    switch (callSourceFrom(source)) {
    case CallSource::File: return fileRinging(source + 5);
    case CallSource::ModemManager: return modemManagerRinging(processSystemBus()) > 0 ? 1 : 0;
    case CallSource::Ofono: return ofonoRinging(processSystemBus()) > 0 ? 1 : 0;
    case CallSource::Automatic: {
        // ModemManager where it runs, else oFono; neither means no call.
        const int modemManager = modemManagerRinging(processSystemBus());
        if (modemManager >= 0)
            return modemManager;
        return ofonoRinging(processSystemBus()) > 0 ? 1 : 0;
    }
    case CallSource::None: break;
    }
    return 0;
}
