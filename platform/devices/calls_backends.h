// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class SystemBus;

// The sources of the incoming-call status (callstatus.h), one file each. Each answers 1 while
// a call rings in, 0 when none does, and -1 when the source (the service, or the bus) is not
// there at all.

// A file that exists while a call rings.
int fileRinging(const char *path);

// ModemManager: a call of a modem's Voice interface whose direction is incoming and whose
// state is ringing-in.
int modemManagerRinging(SystemBus &bus);

// oFono: a call of a modem's VoiceCallManager in state "incoming".
int ofonoRinging(SystemBus &bus);

// The source an EZX_CALL value names ("file:PATH", "modemmanager", "ofono", "none"; unset
// or empty is Automatic). Unknown words ring never.
enum class CallSource { None, File, ModemManager, Ofono, Automatic };
CallSource callSourceFrom(const char *setting);
