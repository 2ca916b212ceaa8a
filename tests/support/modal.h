// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Acts on the next modal window (message box, picker, dialog) as soon as it is up, from a
// timer, so that a test can call the code that opens it and go on after it has been
// answered. If none appears within timeoutMs the action is dropped and
// modalTimeouts() counts it.
void whenModal(std::function<void(QWidget *)> action, int timeoutMs = 5000);

// The common answers: choose button `index` of the next ZMessageBox (-1: close it without a
// choice), remembering its text and button captions when asked to.
void answerMessageBox(int index, QString *text = nullptr, QStringList *buttons = nullptr);
// Answer the next file or folder picker with these paths; an empty list cancels it.
void answerPicker(const QStringList &paths);

int modalTimeouts();

// Delivers the window manager's close request to a window as the window system does (a
// spontaneous close event); true when the window accepted it.
bool closeFromWindowManager(QWidget *window);
