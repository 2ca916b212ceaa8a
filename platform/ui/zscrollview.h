// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zglobal.h"

#include <QScrollArea>

// A scroll view whose children sit at fixed positions on its viewport(); the scrolled area
// grows to hold them all. Only vertical scrolling: the phone screen is 240 pixels wide.
class ZScrollView : public QScrollArea
{
    Q_OBJECT
public:
    explicit ZScrollView(QWidget *parent = nullptr, const char *name = nullptr, WFlags flags = 0);

    // The surface to place children on (hides QAbstractScrollArea::viewport on purpose:
    // children placed there scroll with the view).
    QWidget *viewport() const { return surface; }

    void enableClipper(bool) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitSurface();

    QWidget *surface;
    bool fitPending = false;
};
