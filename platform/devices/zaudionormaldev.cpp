// SPDX-License-Identifier: GPL-2.0-or-later
#include "zaudionormaldev.h"

#include "mic_backends.h"
#include "monotonic.h"

#include <cstring>

ZAudioNormalDev::ZAudioNormalDev(SOUNDM_AUDIO_NORMALDEV_TYPE_ENUM_T, unsigned int rate, unsigned int channels,
                                 unsigned int bytesPerSample)
    : rate(rate ? rate : 8000), channels(channels ? channels : 1), bytesPerSample(bytesPerSample)
{}

ZAudioNormalDev::~ZAudioNormalDev() = default;

int ZAudioNormalDev::open()
{
    source.reset();
    pacedSamples = 0;
    // The clock starts at the first read: connecting to a server may take a while.
    paceOriginNs = 0;
    if (bytesPerSample != 2 || channels != 1)
        return -1;
    source.reset(selectMic(rate));
    return source ? 0 : -1;
}

int ZAudioNormalDev::read(short *buffer, unsigned int count)
{
    int delivered = source ? source->fill(buffer, count) : -1;
    unsigned int filled = delivered > 0 ? unsigned(delivered) : 0;
    if (filled < count)
        std::memset(buffer + filled, 0, (count - filled) * sizeof(short));
    if (!source || !source->paced())
        pace(count);
    return source ? int(count) : -1;
}

int ZAudioNormalDev::close()
{
    source.reset();
    return 0;
}

bool ZAudioNormalDev::isOpen() const
{
    return source != nullptr;
}

// Keeps reads in step with the clock: the samples handed out so far end at
// origin + samples / rate. A reader that falls far behind starts afresh instead of bursting.
void ZAudioNormalDev::pace(unsigned int count)
{
    auto endOfPaced = [this] {
        return paceOriginNs + std::int64_t(pacedSamples / rate) * NS_PER_SECOND
               + std::int64_t(pacedSamples % rate) * NS_PER_SECOND / rate;
    };
    const std::int64_t now = monotonicNs();
    if (paceOriginNs == 0 || now - endOfPaced() > NS_PER_SECOND) {
        paceOriginNs = now;
        pacedSamples = 0;
    }
    pacedSamples += count;
    sleepUntilNs(endOfPaced());
}
