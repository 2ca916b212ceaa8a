// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// How the flasher hears one block of microphone samples and what it asks of the lights in
// answer. No devices here: the worker thread feeds blocks in and sends what comes out.

// One block: 192 samples, 24 ms at 8000 samples a second.
constexpr unsigned int BLOCK_SAMPLES = 192;
// After switching a flash on, this many samples are read and dropped, so the flash stays on
// for 32 ms however quiet the next block is.
constexpr unsigned int HOLD_SAMPLES = 256;
// A beat block with at most this many negative runs is a low sound: it toggles the keypad light.
constexpr int LOW_SOUND_RUNS = 34;

struct BlockMeasure
{
    int negativeRuns = 0;  // N: how often the signal dropped below zero
    float sum = 0.0f;      // S: the sum of magnitude / 192 over the block, about its mean level
};

// Measures a block of BLOCK_SAMPLES samples in one pass.
BlockMeasure measureBlock(const short *block);

// L = S x (100 / N), integer 100 / N: a low sound weighs up to 100 times, a high one once.
// A block that never drops below zero (N = 0) has no pitch to weigh and counts as silence: 0.
float blockLoudness(const BlockMeasure &measure);

// The flash level in smooth mode: (1 - T / L) x 100, truncated; 0 to 99 for L > T > 0.
int smoothLevel(float threshold, float loudness);

// The loudness threshold for a sensitivity slider position, 0 (least sensitive) to 9.
short sensThreshold(int position);

// What the worker remembers between blocks.
struct FlashState
{
    bool lit = false;        // the backlight was switched on by a flash
    bool keyToggle = false;  // the keypad light was last switched on by the low-sound toggle
};

enum class KeypadRequest { None, On, Off };

// The requests for one block, sent in this order: level, keypad light, then either the flash
// (unblank, backlight on, hold) or backlight off.
struct BlockResponse
{
    bool beat = false;
    int level = -1;  // set the brightness to this level; -1: leave it
    KeypadRequest keypad = KeypadRequest::None;
    bool flash = false;
    bool backlightOff = false;
};

// Decides on one block and moves the state on. threshold is the sensitivity value in force,
// flashLevel the brightness of a plain (not smooth) flash.
BlockResponse respondToBlock(FlashState &state, const BlockMeasure &measure, short threshold, bool smooth,
                             int flashLevel);
