// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The glowrad daemons of one user, as the stop command picks them: processes whose command
// name is exactly "glowrad" (not "glowrad-schemec", not the panel) and whose owner is uid;
// zombies, which have ended already, are left out. procRoot is the process file system
// (phonePath("/proc")).
std::vector<int> runningDaemons(const std::string &procRoot, uid_t uid);
