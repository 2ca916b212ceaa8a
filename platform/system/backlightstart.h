// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The backlight's level (0-100) when this process's lights began, for the settings'
// "Brightness" when the file lacks it. Known only where the backend can tell (the machine's
// own backlight in /sys) and only once the lights are in use: lights() records it when it makes
// the backend. A plain value, so that reading it links no backend (and no D-Bus library behind
// one) into programs that never touch the lights.
void recordBacklightLevelAtStart(int level);  // -1: unknown
bool backlightLevelAtStart(unsigned int *level);
