// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The sources of samples behind ZAudioNormalDev (zaudionormaldev.h), one file each;
// mic_select.cpp picks one from EZX_MIC.
class MicSource
{
public:
    virtual ~MicSource() = default;
    // Fills buffer with up to count samples and returns how many it delivered (the rest is
    // silence); may block in real time itself, and then paced() is true.
    virtual int fill(short *buffer, unsigned int count) = 0;
    virtual bool paced() const { return false; }
};

// Raw signed 16-bit little-endian mono samples from the file at path, then silence; nullptr
// when it cannot be opened.
MicSource *openFileMic(const char *path);

MicSource *makeSilentMic();

// The microphone of a PulseAudio or PipeWire sound server: signed 16-bit mono at the rate given,
// recorded in fragments of about 24 ms so that a reader follows the sound closely. Connecting
// gives up after connectTimeoutMs; nullptr when no server answers or the source is refused.
// A server that stops answering or goes away later turns the rest into silence, never an error
// or a wait of more than a fraction of a second per read.
MicSource *openPulseMic(const char *sourceName, unsigned int rate, int connectTimeoutMs);

// The source EZX_MIC asks for (see zaudionormaldev.h); nullptr when it cannot be opened.
MicSource *selectMic(unsigned int rate);
