// SPDX-License-Identifier: GPL-2.0-or-later
#include "mic_backends.h"

#include <cstdlib>
#include <cstring>

namespace {

// The device is opened on the caller's thread (the panel's window): a server that does not
// answer must not hold it up for long.
constexpr int PULSE_CONNECT_TIMEOUT_MS = 1000;

}  // namespace

MicSource *selectMic(unsigned int rate)
{
    const char *choice = std::getenv("EZX_MIC");
    if (choice && std::strncmp(choice, "file:", 5) == 0)
        return openFileMic(choice + 5);
    const bool pulse =
        choice && std::strncmp(choice, "pulse", 5) == 0 && (choice[5] == '\0' || choice[5] == ':');
    if (pulse || !choice || !*choice) {
        if (MicSource *server =
                openPulseMic(pulse && choice[5] ? choice + 6 : nullptr, rate, PULSE_CONNECT_TIMEOUT_MS))
            return server;
        // Asked for by name, the server's absence is a failure; by default it is quiet.
        if (pulse)
            return nullptr;
    }
    return makeSilentMic();
}
