// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Draws a frame around the widget that has the keyboard focus, so that a desktop user sees
// where Tab and the arrow keys took them. The frame is a child of the focused widget laid
// over its edge, so it scrolls, moves and goes with it. Not drawn in popup menus, which show
// their own highlight, nor on a window itself.
class FocusFrame : public QObject
{
    Q_OBJECT
public:
    // Once per application; ZApplication does it.
    static void install();

    // The widget framed now, or null.
    static QWidget *framed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FocusFrame(QObject *parent);
    void follow(QWidget *now);

    QPointer<QWidget> target;
    QPointer<QWidget> frame;
};
