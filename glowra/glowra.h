// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zaudionormaldev.h"

#include <atomic>
#include <pthread.h>

// The sound-driven flasher: while it runs, a worker thread listens to the microphone in blocks
// and flashes the display backlight and the keypad light to the beat (see blockanalysis.h).
// Its state is process-wide, shared by the window's thread and the worker without locks; the
// worker sees a change at the latest one block later.
class Glowra
{
public:
    // Closes the microphone and opens the keypad light and the framebuffer; failures show only
    // as requests that fail later.
    explicit Glowra(short sens);
    ~Glowra();
    Glowra(const Glowra &) = delete;
    Glowra &operator=(const Glowra &) = delete;

    // Opens the microphone, starts the worker and darkens the display; nothing when running.
    // False, with nothing started and no light touched, when there is no microphone to open.
    bool start();
    // Stops and joins the worker, closes the microphone and switches the backlight on again.
    // The brightness is left to the caller.
    void stop();
    bool runned();
    void setSens(short sens);
    void setSmooth(bool smooth);

    // The worker thread; returns once fl_run is found cleared.
    static void *glow(void *);

private:
    pthread_t thread{};
    bool threadToJoin = false;
};

extern std::atomic<bool> fl_run;
extern std::atomic<bool> fl_smooth;
extern std::atomic<short> fl_sens;
extern int fl_keylight;
extern int fl_fb;
extern std::atomic<int> fl_fbbr;  // brightness of a flash, 0 to 100
// The last block read held sound from the microphone, not silence standing in for it.
extern std::atomic<bool> fl_hearing;
extern ZAudioNormalDev fl_mic;

// The program's one flasher, made when it loads, with sensitivity 2560.
extern Glowra glowO;

// Says on standard error which light the flasher could not open, with a hint on getting it.
void reportMissingLights();
