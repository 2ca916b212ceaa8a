// SPDX-License-Identifier: GPL-2.0-or-later
#include "mic_backends.h"
#include "monotonic.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

namespace {

// Longer than this without a sample and the read is made up with silence.
constexpr std::int64_t STALL_LIMIT_MS = 200;
constexpr unsigned FRAGMENT_MS = 24;
// How far the recording may run ahead of a slow reader before the server drops samples.
constexpr unsigned BUFFER_FRAGMENTS = 8;

class PulseMic : public MicSource
{
public:
    PulseMic() = default;
    ~PulseMic() override
    {
        if (stream) {
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
        }
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop)
            pa_mainloop_free(loop);
    }
    PulseMic(const PulseMic &) = delete;
    PulseMic &operator=(const PulseMic &) = delete;

    bool connect(const char *sourceName, unsigned int rate, int timeoutMs)
    {
        const std::int64_t deadline = monotonicNs() + timeoutMs * NS_PER_MS;
        loop = pa_mainloop_new();
        if (!loop)
            return false;
        context = pa_context_new(pa_mainloop_get_api(loop), program_invocation_short_name);
        if (!context || pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return false;
        if (!waitUntil(deadline, [this] { return contextState(); }))
            return false;

        const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, rate, 1};
        stream = pa_stream_new(context, "microphone", &sampleFormat, nullptr);
        if (!stream)
            return false;
        const uint32_t fragmentBytes = uint32_t(rate * FRAGMENT_MS / 1000 * 2);
        pa_buffer_attr attributes;
        attributes.maxlength = fragmentBytes * BUFFER_FRAGMENTS;
        attributes.fragsize = fragmentBytes;
        attributes.tlength = attributes.prebuf = attributes.minreq = uint32_t(-1);
        const char *source = sourceName && *sourceName ? sourceName : nullptr;
        if (pa_stream_connect_record(stream, source, &attributes, PA_STREAM_ADJUST_LATENCY) < 0)
            return false;
        if (!waitUntil(deadline, [this] { return streamState(); }))
            return false;
        live = true;
        return true;
    }

    int fill(short *buffer, unsigned int count) override
    {
        unsigned int got = 0;
        if (live && !iterate(0))
            live = false;
        const std::int64_t stalledAt = monotonicNs() + STALL_LIMIT_MS * NS_PER_MS;
        while (live && got < count) {
            if (contextState() < 0 || streamState() < 0) {
                live = false;
                break;
            }
            if (!fragment.bytes) {
                if (pa_stream_peek(stream, &fragment.data, &fragment.bytes) < 0) {
                    live = false;
                    break;
                }
                fragment.used = 0;
                if (!fragment.bytes) {
                    const int left = msUntil(stalledAt);
                    if (left == 0)
                        break;
                    if (!iterate(left))
                        live = false;
                    continue;
                }
            }
            got += take(buffer + got, count - got);
        }
        return int(got);
    }

    // Samples come at the server's pace while it answers; after that ZAudioNormalDev paces.
    bool paced() const override { return live; }

private:
    struct Fragment
    {
        const void *data = nullptr;  // nullptr with bytes > 0: a hole, silence
        size_t bytes = 0;
        size_t used = 0;
    };

    // 1 ready, 0 on the way, -1 failed or ended.
    int contextState() const
    {
        const pa_context_state_t state = pa_context_get_state(context);
        return state == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
    }
    int streamState() const
    {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        return state == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(state) ? 0 : -1;
    }

    template <typename State> bool waitUntil(std::int64_t deadline, State state)
    {
        for (;;) {
            const int now = state();
            if (now != 0)
                return now > 0;
            const int left = msUntil(deadline);
            if (left == 0 || !iterate(left))
                return false;
        }
    }

    // One round of the loop, waiting at most timeoutMs for something to happen.
    bool iterate(int timeoutMs)
    {
        if (pa_mainloop_prepare(loop, timeoutMs * 1000) < 0)
            return false;
        if (pa_mainloop_poll(loop) < 0 && errno != EINTR)
            return false;
        return pa_mainloop_dispatch(loop) >= 0;
    }

    unsigned int take(short *buffer, unsigned int count)
    {
        const size_t available = (fragment.bytes - fragment.used) / 2;
        const unsigned int samples = unsigned(std::min<size_t>(available, count));
        if (fragment.data) {
            const auto *bytes = static_cast<const unsigned char *>(fragment.data) + fragment.used;
            for (unsigned int i = 0; i < samples; ++i)
                buffer[i] = short(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        } else {
            std::fill(buffer, buffer + samples, short(0));
        }
        fragment.used += size_t(samples) * 2;
        // A stray odd byte at the end cannot form a sample.
        if (fragment.bytes - fragment.used < 2) {
            pa_stream_drop(stream);
            fragment = Fragment();
        }
        return samples;
    }

    pa_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    Fragment fragment;
    bool live = false;
};

}  // namespace

MicSource *openPulseMic(const char *sourceName, unsigned int rate, int connectTimeoutMs)
{
    auto *mic = new PulseMic;
    if (mic->connect(sourceName, rate, connectTimeoutMs))
        return mic;
    delete mic;
    return nullptr;
}
