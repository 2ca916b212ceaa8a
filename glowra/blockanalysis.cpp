// SPDX-License-Identifier: GPL-2.0-or-later
#include "blockanalysis.h"

BlockMeasure measureBlock(const short *block)
{
    BlockMeasure measure;
    bool previousNegative = false;
    for (unsigned int i = 0; i < BLOCK_SAMPLES; ++i) {
        // In int, so that -32768 has a magnitude too.
        int sample = block[i];
        const bool negative = sample < 0;
        if (negative) {
            if (!previousNegative)
                ++measure.negativeRuns;
            sample = -sample;
        }
        previousNegative = negative;
        measure.sum += float(sample / int(BLOCK_SAMPLES));
    }
    return measure;
}

float blockLoudness(const BlockMeasure &measure)
{
    if (measure.negativeRuns <= 0)
        return 0.0f;
    return measure.sum * float(100 / measure.negativeRuns);
}

int smoothLevel(float threshold, float loudness)
{
    return int((1.0f - threshold / loudness) * 100.0f);
}

short sensThreshold(int position)
{
    // Each step about 1.55 times the next.
    static const short thresholds[10] = {26439, 17057, 11005, 7100, 4580, 2955, 1906, 1230, 793, 512};
    if (position < 0 || position > 9)
        return 1906;
    return thresholds[position];
}

BlockResponse respondToBlock(FlashState &state, const BlockMeasure &measure, short threshold, bool smooth,
                             int flashLevel)
{
    BlockResponse response;
    const float loudness = blockLoudness(measure);
    const float limit = float(threshold);
    response.beat = measure.negativeRuns > 0 && loudness > limit;

    if (response.beat) {
        response.level = smooth ? smoothLevel(limit, loudness) : flashLevel;
        if (measure.negativeRuns <= LOW_SOUND_RUNS) {
            // A held low sound switches the keypad light on every other block, and the request
            // in between is skipped, so the light stays on.
            if (state.keyToggle) {
                state.keyToggle = false;
            } else {
                response.keypad = KeypadRequest::On;
                state.keyToggle = true;
            }
        } else if (state.keyToggle) {
            response.keypad = KeypadRequest::Off;
        }
        if (!state.lit) {
            response.flash = true;
            state.lit = true;
        }
        return response;
    }

    if (!state.lit) {
        response.keypad = KeypadRequest::Off;
        response.backlightOff = true;
    } else {
        // The first quiet block after a beat only dims (smooth) or holds the flash (plain).
        if (smooth)
            response.level = 0;
        state.lit = false;
    }
    return response;
}
