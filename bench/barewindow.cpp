// SPDX-License-Identifier: GPL-2.0-or-later
// A bare Qt window of the phone's screen size, as plain as a Qt program gets: the yardstick
// for how fast a program can put its first window on screen.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(240, 320);
    window.show();
    return app.exec();
}
