// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The camera as a light meter, and the rule that turns its reading into a backlight level.

// One frame's mean 8-bit sample value (0 to 255), or -1 when the camera cannot be opened or a
// step fails (the failing request is named on standard error). The camera is open only for
// the measurement and is always released on the way out.
int measureBrightness();

// The mean of the samples that a grabbed frame record describes within the mapped capture
// memory of mappedBytes bytes: the sum of word 9 bytes from offset word 6, divided by the pixel
// count (word 2 x word 3). -1 when the record cannot be used: no pixels, or samples outside the
// mapping.
int frameMean(const unsigned char *memory, long long mappedBytes, const int *record);

// The level to aim at: errorLevel when the measurement failed, else measurement / 1.5; capped at
// 99 (a level of 100 is left alone by the daemon), then raised to at least minLevel.
int targetLevel(int measurement, int minLevel, int errorLevel);
