// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Nonzero while an incoming call is being signalled. The source comes from EZX_CALL:
//   file:PATH      rings while PATH exists
//   modemmanager   a ringing incoming call of ModemManager (system bus)
//   ofono          an incoming call of oFono (system bus)
//   none           never rings
//   (unset)        ModemManager where it is on the system bus, else oFono, else never
// A poll asks the bus for at most a few tenths of a second; no bus or service is no call.
int UTIL_GetIncomingCallStatus();
