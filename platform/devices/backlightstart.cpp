// SPDX-License-Identifier: GPL-2.0-or-later
#include "backlightstart.h"

bool (*backlightLevelAtStart)(unsigned int *level) = nullptr;
