// SPDX-License-Identifier: GPL-2.0-or-later
#include "glowra.h"

#include "blockanalysis.h"
#include "lights.h"

#include <cstdio>
#include <fcntl.h>

std::atomic<bool> fl_run{false};
std::atomic<bool> fl_smooth{false};
std::atomic<short> fl_sens{0};
// The descriptors change only in the constructor and destructor, never while a worker runs.
int fl_keylight = -1;
int fl_fb = -1;
std::atomic<int> fl_fbbr{0};
std::atomic<bool> fl_hearing{false};

// 8000 samples a second, one channel of 2-byte samples. Defined before glowO in this file, so
// it is made before the flasher and destroyed after it.
ZAudioNormalDev fl_mic(SOUNDM_AUDIO_NORMALDEV_TYPE_MIC, 8000, 1, 2);

Glowra glowO(2560);

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

void switchBacklightOn()
{
    lightRequest(fl_fb, LIGHT_FB_BLANK, 0UL);
    lightRequest(fl_fb, LIGHT_FB_BACKLIGHT, 1UL);
}

}  // namespace

Glowra::Glowra(short sens)
{
    fl_mic.close();
    fl_sens.store(sens, relaxed);
    fl_keylight = lightOpen(LIGHT_NODE_KEYPAD, O_RDONLY | O_NONBLOCK);
    fl_fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
}

Glowra::~Glowra()
{
    if (runned())
        stop();
    if (fl_fb >= 0)
        lightClose(fl_fb);
    if (fl_keylight >= 0)
        lightClose(fl_keylight);
    fl_fb = -1;
    fl_keylight = -1;
}

bool Glowra::start()
{
    if (runned())
        return true;
    // Without a microphone nothing would ever flash: the display would only go dark.
    if (fl_mic.open() != 0)
        return false;
    fl_hearing.store(false, relaxed);
    fl_run.store(true, relaxed);
    threadToJoin = pthread_create(&thread, nullptr, &Glowra::glow, nullptr) == 0;
    // Dark from now on, except while a flash is on.
    lightRequest(fl_fb, LIGHT_FB_BLANK, 0UL);
    lightRequest(fl_fb, LIGHT_FB_BACKLIGHT, 0UL);
    lightRequest(fl_keylight, LIGHT_KEYPAD_OFF, 0UL);
    return true;
}

void Glowra::stop()
{
    fl_run.store(false, relaxed);
    if (threadToJoin) {
        pthread_join(thread, nullptr);
        threadToJoin = false;
    }
    fl_mic.close();
    fl_hearing.store(false, relaxed);
    lightRequest(fl_keylight, LIGHT_KEYPAD_OFF, 0UL);
    switchBacklightOn();
}

void reportMissingLights()
{
    if (fl_fb < 0)
        std::fputs("glowra: Can't open /dev/fb0: no backlight to flash\n", stderr);
    if (fl_keylight < 0)
        std::fputs("glowra: Can't open /dev/keylight: no keypad light to flash\n", stderr);
    const std::string hint = lightsHint(fl_fb < 0, fl_keylight < 0);
    if (!hint.empty())
        std::fprintf(stderr, "glowra: hint: %s\n", hint.c_str());
}

bool Glowra::runned()
{
    return fl_run.load(relaxed);
}

void Glowra::setSens(short sens)
{
    fl_sens.store(sens, relaxed);
}

void Glowra::setSmooth(bool smooth)
{
    fl_smooth.store(smooth, relaxed);
}

void *Glowra::glow(void *)
{
    short block[BLOCK_SAMPLES];
    short held[HOLD_SAMPLES];
    FlashState state;
    while (fl_run.load(relaxed)) {
        fl_hearing.store(fl_mic.read(block, BLOCK_SAMPLES) > 0, relaxed);
        const bool smooth = fl_smooth.load(relaxed);
        const BlockResponse response =
            respondToBlock(state, measureBlock(block), fl_sens.load(relaxed), smooth, fl_fbbr.load(relaxed));
        if (response.beat && smooth)
            fl_fbbr.store(response.level, relaxed);
        if (response.level >= 0)
            lightRequest(fl_fb, LIGHT_FB_SET_LEVEL, (unsigned long)response.level);
        if (response.keypad == KeypadRequest::On)
            lightRequest(fl_keylight, LIGHT_KEYPAD_ON, 0UL);
        else if (response.keypad == KeypadRequest::Off)
            lightRequest(fl_keylight, LIGHT_KEYPAD_OFF, 0UL);
        if (response.flash) {
            switchBacklightOn();
            fl_mic.read(held, HOLD_SAMPLES);
        } else if (response.backlightOff) {
            lightRequest(fl_fb, LIGHT_FB_BACKLIGHT, 0UL);
        }
    }
    return nullptr;
}
