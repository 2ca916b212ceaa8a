// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The daemons of one user: processes whose command name is exactly that of the daemon program
// (daemonPath's last component, cut as the kernel cuts it to 15 bytes: "glowrad" beside a
// panel named glowra, not "glowrad-schemec", not the panel) and whose owner is uid; zombies,
// which have ended already, are left out. procRoot is the process file system
// (phonePath("/proc")).
std::vector<int> runningDaemons(const std::string &procRoot, uid_t uid,
                                const std::string &daemonPath = "glowrad");
