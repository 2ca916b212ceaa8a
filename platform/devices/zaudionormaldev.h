// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <memory>

// The phone's audio input type codes; the microphone is 0xC0FC.
enum SOUNDM_AUDIO_NORMALDEV_TYPE_ENUM_T : unsigned int {
    SOUNDM_AUDIO_NORMALDEV_TYPE_MIC = 0xC0FC,
};

class MicSource;

// Microphone input: signed 16-bit samples at the rate given, read in blocks. The source comes
// from EZX_MIC when open() is called:
//   file:PATH     raw signed 16-bit little-endian mono samples from PATH, then silence
//   pulse         the default source of the PulseAudio or PipeWire server (mic_pulse.cpp)
//   pulse:SOURCE  that source of the server, e.g. a sink's ".monitor"
//   silence       silence
//   (unset)       the server's default source when a server answers, else silence
// Every source is paced in real time: a read of n samples returns n / rate seconds after the
// previous one ended, so a reader loop never spins, not even on a device that failed to open
// or was closed (it then gets silence and -1).
class ZAudioNormalDev
{
public:
    ZAudioNormalDev(SOUNDM_AUDIO_NORMALDEV_TYPE_ENUM_T type, unsigned int rate, unsigned int channels,
                    unsigned int bytesPerSample);
    ~ZAudioNormalDev();
    ZAudioNormalDev(const ZAudioNormalDev &) = delete;
    ZAudioNormalDev &operator=(const ZAudioNormalDev &) = delete;

    int open();                                   // 0, or -1 when the source cannot be opened
    int read(short *buffer, unsigned int count);  // count samples; returns count, or -1 (silence)
    int close();
    bool isOpen() const;

private:
    void pace(unsigned int count);

    unsigned int rate;
    unsigned int channels;
    unsigned int bytesPerSample;
    std::unique_ptr<MicSource> source;
    std::int64_t paceOriginNs = 0;
    unsigned long long pacedSamples = 0;
};
