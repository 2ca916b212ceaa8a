// SPDX-License-Identifier: GPL-2.0-or-later
#include "zglobal.h"

#include <QWidget>

Qt::WindowFlags toQtWindowFlags(WFlags flags)
{
    return (flags & 0x1) ? Qt::Window : Qt::Widget;
}

namespace {

constexpr int W = ZGlobal::screenWidth;
constexpr int H = ZGlobal::screenHeight;
constexpr int TH = ZGlobal::titleHeight;
constexpr int CH = ZGlobal::cstHeight;

// A dialog starting at y: title, content, soft keys down to the bottom of the screen.
QRect dialogR(int y)
{
    return QRect(0, y, W, H - y);
}
QRect dialogTitleR(int y)
{
    return QRect(0, y, W, TH);
}
QRect dialogContentR(int y)
{
    return QRect(0, y + TH, W, H - CH - y - TH);
}
QRect dialogCstR()
{
    return QRect(0, H - CH, W, CH);
}

constexpr int smallTop = 160;
constexpr int middleTop = 100;
constexpr int largeTop = TH;

}  // namespace

QRect ZGlobal::getScreenR()
{
    return QRect(0, 0, W, H);
}
QRect ZGlobal::getTitleR()
{
    return QRect(0, 0, W, TH);
}
QRect ZGlobal::getContentR()
{
    return QRect(0, TH, W, H - TH - CH);
}
QRect ZGlobal::getCstR()
{
    return QRect(0, H - CH, W, CH);
}
QRect ZGlobal::getCst3_1R()
{
    return QRect(0, H - CH, W / 3, CH);
}
QRect ZGlobal::getCst3_2R()
{
    return QRect(W / 3, H - CH, W / 3, CH);
}
QRect ZGlobal::getCst3_3R()
{
    return QRect(2 * W / 3, H - CH, W - 2 * (W / 3), CH);
}

QRect ZGlobal::getDlgSmallR()
{
    return dialogR(smallTop);
}
QRect ZGlobal::getDlgSmallConR()
{
    return dialogContentR(smallTop);
}
QRect ZGlobal::getDlgCstSR()
{
    return dialogCstR();
}
QRect ZGlobal::getDlgTitleSR()
{
    return dialogTitleR(smallTop);
}
QRect ZGlobal::getDlgMiddleR()
{
    return dialogR(middleTop);
}
QRect ZGlobal::getDlgMiddleConR()
{
    return dialogContentR(middleTop);
}
QRect ZGlobal::getDlgCstMR()
{
    return dialogCstR();
}
QRect ZGlobal::getDlgTitleMR()
{
    return dialogTitleR(middleTop);
}
QRect ZGlobal::getDlgLargeR()
{
    return dialogR(largeTop);
}
QRect ZGlobal::getDlgLargeConR()
{
    return dialogContentR(largeTop);
}
QRect ZGlobal::getDlgCstLR()
{
    return dialogCstR();
}
QRect ZGlobal::getDlgTitleLR()
{
    return dialogTitleR(largeTop);
}

QRect ZGlobal::diffRect(const QRect &outer, const QRect &inner)
{
    return inner.translated(-outer.topLeft());
}

QPoint ZGlobal::screenOrigin(const QWidget *w)
{
    // Dialogs and popups are windows too; the phone screen is the nearest full window.
    for (const QWidget *p = w; p; p = p->parentWidget())
        if (p->isWindow() && p->windowType() == Qt::Window)
            return p->geometry().topLeft();
    return QPoint(0, 0);
}
