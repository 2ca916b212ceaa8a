// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The backlight's level when the lights began, for the settings' "Brightness" when the file
// lacks it. Set by the backend that can tell (the machine's own backlight in /sys) as the
// program loads; null in programs that never touch the lights, so those do not link the
// backends (and the D-Bus library behind them) just for their settings.
extern bool (*backlightLevelAtStart)(unsigned int *level);
