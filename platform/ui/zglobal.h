// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <Qt>

class QWidget;

// Widget flags as the phone's toolkit passes them (plain integers). Bit 0 asks for a
// top-level window; the others concern the phone's window system and are not needed here.
using WFlags = unsigned int;
Qt::WindowFlags toQtWindowFlags(WFlags flags);

// Geometry of the phone's 240x320 screen: title bar on top, soft-key bar (CST) at the bottom,
// content between. Dialogs come in three sizes and reach down to the soft-key bar.
// All rectangles are in phone screen coordinates.
class ZGlobal
{
public:
    static constexpr int screenWidth = 240;
    static constexpr int screenHeight = 320;
    static constexpr int titleHeight = 24;
    static constexpr int cstHeight = 30;

    static QRect getScreenR();
    static QRect getTitleR();
    static QRect getContentR();
    static QRect getCstR();
    static QRect getCst3_1R();
    static QRect getCst3_2R();
    static QRect getCst3_3R();

    static QRect getDlgSmallR();
    static QRect getDlgSmallConR();
    static QRect getDlgCstSR();
    static QRect getDlgTitleSR();
    static QRect getDlgMiddleR();
    static QRect getDlgMiddleConR();
    static QRect getDlgCstMR();
    static QRect getDlgTitleMR();
    static QRect getDlgLargeR();
    static QRect getDlgLargeConR();
    static QRect getDlgCstLR();
    static QRect getDlgTitleLR();

    // inner, expressed relative to outer's top-left corner.
    static QRect diffRect(const QRect &outer, const QRect &inner);

    // Where the phone screen's (0, 0) lies on the desktop: the top-left corner of the main
    // window that w belongs to, or (0, 0) when there is none.
    static QPoint screenOrigin(const QWidget *w);
};
