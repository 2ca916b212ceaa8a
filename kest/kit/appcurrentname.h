// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// Absolute path of the running executable (directory, "/", file name). A null string until
// the application object records it; the caption lookup finds the language file from it.
extern QString AppCurrentName;
