// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class QAbstractButton;
class QKeyEvent;
class QWidget;

// The phone's three soft keys and the desktop keys that stand in for them:
//   F1 or Menu          the left soft key (usually its menu)
//   F2, Return, Enter   the middle soft key (Return and Enter only where the focused widget
//                       leaves them alone)
//   F3 or Escape        the right soft key (usually back or exit)
// Keys held with Ctrl, Alt or Meta are not soft keys.
enum class SoftKey { None, Left, Middle, Right };

SoftKey softKeyFor(const QKeyEvent *event);
bool isReturnKey(const QKeyEvent *event);

// The soft key of a window: its visible push button of the soft-key style (6 left, 4 or 7
// middle, 5 right), found among the window's own widgets and not those of windows it holds.
QAbstractButton *findSoftKey(const QWidget *window, SoftKey key);

// Clicks the key as the user would; a missing, hidden or disabled key does nothing (false).
bool pressSoftKey(QAbstractButton *key);
