// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "lights.h"

// The backends behind lights.h, one file each.
LightBackend *makePhoneLights();
LightBackend *makeSimLights(const char *logFile);
LightBackend *makeSysfsLights();

// The backend EZX_LIGHTS asks for (see lights.h).
LightBackend *selectLights();
