#include "backlightstart.h"

bool (*backlightLevelAtStart)(unsigned int *level) = nullptr;
