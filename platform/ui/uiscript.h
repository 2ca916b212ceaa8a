// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QStringList>

// Plays a script of user actions on a running program, for demos, screenshots and
// end-to-end runs. EZX_UI_SCRIPT holds the steps, separated by ";":
//
//   wait MS             let MS milliseconds pass
//   click NAME          click the button with that object name (soft keys of a UTIL_CST
//                       bar are cstLeftBtn, cstMidBtn, cstRightBtn)
//   menu ID[/ID...]     choose item ID of the popup menu that is open; 3/2 chooses item 2 of
//                       the submenu behind item 3. A submenu entry alone opens its submenu.
//   answer N            choose button N (0, 1, 2) of the message box that is open
//   pick PATH[|PATH]    answer the file or folder picker that is open with these paths
//   row NAME N          make row N current in the list with that object name
//   text NAME TEXT      put TEXT into the text field with that object name
//   key KEY             press a key in the active window: Return, Enter, Escape, Space,
//                       Tab, Backtab, Left, Right, Up, Down, F1, F2, F3 or Menu
//   close               close the active window as the window manager's close button does
//   icon FILE           save the active window's icon, 64 pixels square (PNG)
//   shot FILE           save the phone screen as it looks now (PNG)
//   quit [STATUS]       end the program at once
//
// Names are looked for in the active window first: the open menu, else the topmost modal box,
// else the focused window; then in the other windows, the program's main window last. So
// `click pMidBtn` presses the key of the window on top when two windows have one.
//
// Steps run one after another from the event loop, also while a modal box is open.
class QWidget;

class UiScript : public QObject
{
    Q_OBJECT
public:
    static void startFromEnvironment();
    // The runner reports finished() after its last step and then deletes itself.
    static UiScript *start(const QString &script, int delayMs = 300);

    // The phone screen as it looks now: every visible window of the program at its place,
    // menus and boxes on top.
    static QImage grabPhoneScreen();

    // The visible windows in the order the script looks through them (see above).
    static QList<QWidget *> windowsInOrder();

signals:
    void finished();

private:
    explicit UiScript(const QStringList &steps);
    void runNext();
    bool run(const QString &step);

    QStringList steps;
    int next = 0;
};
