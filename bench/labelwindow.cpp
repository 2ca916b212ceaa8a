// SPDX-License-Identifier: GPL-2.0-or-later
// The bare window with one line of Chinese text on it: not a yardstick of its own, but it
// shows what putting any Chinese text on screen costs (font configuration, the fallback to a
// CJK font, shaping), which the bare window never pays.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("解压完成！"));
    window.resize(240, 320);
    window.show();
    return app.exec();
}
