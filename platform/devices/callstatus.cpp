// SPDX-License-Identifier: GPL-2.0-or-later
#include "callstatus.h"

#include "modemcalls.h"
#include "systembus.h"

#include <cstdlib>
#include <unistd.h>

int UTIL_GetIncomingCallStatus()
{
    const char *source = std::getenv("EZX_CALL");
    switch (callSourceFrom(source)) {
    case CallSource::File: return ::access(source + 5, F_OK) == 0 ? 1 : 0;
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
