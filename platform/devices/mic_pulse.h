// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zaudionormaldev.h"

// The microphone of a PulseAudio or PipeWire sound server: signed 16-bit mono at the rate given,
// recorded in fragments of about 24 ms so that a reader follows the sound closely. Connecting
// gives up after connectTimeoutMs; nullptr when no server answers or the source is refused.
// A server that stops answering or goes away later turns the rest into silence, never an error
// or a wait of more than a fraction of a second per read.
MicSource *openPulseMic(const char *sourceName, unsigned int rate, int connectTimeoutMs);
