// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QImage>
#include <QObject>
#include <QStringList>

// Plays a script of user actions on a running program, for demos, screenshots and
// end-to-end runs. EZX_UI_SCRIPT holds the steps, separated by ";":
//
//   wait MS             let MS milliseconds pass
//   click NAME          click the button with that object name (soft keys of a UTIL_CST
//                       bar are cstLeftBtn, cstMidBtn, cstRightBtn)
//   menu ID             choose item ID of the popup menu that is open
//   answer N            choose button N (0, 1, 2) of the message box that is open
//   pick PATH[|PATH]    answer the file or folder picker that is open with these paths
//   row NAME N          make row N current in the list with that object name
//   text NAME TEXT      put TEXT into the text field with that object name
//   key KEY             press Return, Enter, Left, Right, Up, Down or Escape
//   shot FILE           save the phone screen as it looks now (PNG)
//   quit [STATUS]       end the program at once
//
// Steps run one after another from the event loop, also while a modal box is open.
class UiScript : public QObject
{
    Q_OBJECT
public:
    static void startFromEnvironment();
    static void start(const QString &script, int delayMs = 300);

    // The phone screen as it looks now: every visible window of the program at its place,
    // menus and boxes on top.
    static QImage grabPhoneScreen();

private:
    explicit UiScript(const QStringList &steps);
    void runNext();
    bool run(const QString &step);

    QStringList steps;
    int next = 0;
};
