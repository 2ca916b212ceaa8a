// SPDX-License-Identifier: GPL-2.0-or-later
#include "zaudionormaldev.h"
#include "mic_pulse.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

// open() runs on the caller's thread (the panel's window): a server that does not answer
// must not hold it up for long.
constexpr int PULSE_CONNECT_TIMEOUT_MS = 1000;

long long monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void sleepUntilNs(long long deadline)
{
    timespec when;
    when.tv_sec = deadline / 1000000000LL;
    when.tv_nsec = deadline % 1000000000LL;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr) == EINTR) {}
}

// Raw s16le mono from a file; silence once it runs out.
class FileMic : public MicSource
{
public:
    explicit FileMic(int fd) : fd(fd) {}
    ~FileMic() override { ::close(fd); }

    int fill(short *buffer, unsigned int count) override
    {
        unsigned char *bytes = reinterpret_cast<unsigned char *>(buffer);
        size_t want = size_t(count) * 2, got = 0;
        while (got < want) {
            ssize_t n = ::read(fd, bytes + got, want - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += size_t(n);
        }
        unsigned int samples = unsigned(got / 2);
        for (unsigned int i = 0; i < samples; ++i)
            buffer[i] = short(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        return int(samples);
    }

private:
    int fd;
};

class SilentMic : public MicSource
{
public:
    int fill(short *, unsigned int) override { return 0; }
};

}  // namespace

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
    const char *choice = std::getenv("EZX_MIC");
    if (choice && std::strncmp(choice, "file:", 5) == 0) {
        int fd = ::open(choice + 5, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        source.reset(new FileMic(fd));
        return 0;
    }
    const bool pulse =
        choice && std::strncmp(choice, "pulse", 5) == 0 && (choice[5] == '\0' || choice[5] == ':');
    if (pulse || !choice || !*choice) {
        source.reset(openPulseMic(pulse && choice[5] ? choice + 6 : nullptr, rate, PULSE_CONNECT_TIMEOUT_MS));
        if (source)
            return 0;
        // Asked for by name, the server's absence is a failure; by default it is quiet.
        if (pulse)
            return -1;
    }
    source.reset(new SilentMic);
    return 0;
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
        return paceOriginNs + (long long)(pacedSamples / rate) * 1000000000LL
               + (long long)(pacedSamples % rate) * 1000000000LL / rate;
    };
    long long now = monotonicNs();
    if (paceOriginNs == 0 || now - endOfPaced() > 1000000000LL) {
        paceOriginNs = now;
        pacedSamples = 0;
    }
    pacedSamples += count;
    sleepUntilNs(endOfPaced());
}
