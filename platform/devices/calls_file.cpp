// SPDX-License-Identifier: GPL-2.0-or-later
#include "calls_backends.h"

#include <unistd.h>

int fileRinging(const char *path)
{
    return ::access(path, F_OK) == 0 ? 1 : 0;
}
