// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// For tests that drive the windows as a desktop user does.

// Plays a UI script (uiscript.h) and waits until its last step has been taken.
bool playScript(const QString &script, int timeoutMs = 10000);

// Closes every open popup menu.
void closePopups();

// True when the PNG that a script's "icon" step saved is the icon of that program.
bool isProgramIcon(const QString &png, const QString &program);
