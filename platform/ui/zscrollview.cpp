// SPDX-License-Identifier: GPL-2.0-or-later
#include "zscrollview.h"

#include <QChildEvent>
#include <QScrollBar>
#include <QTimer>

ZScrollView::ZScrollView(QWidget *parent, const char *name, WFlags)
    : QScrollArea(parent), surface(new QWidget)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    surface->setObjectName(QStringLiteral("viewport"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setWidget(surface);
    // Tab goes through the fields, not through the view that holds them.
    setFocusPolicy(Qt::NoFocus);
    surface->installEventFilter(this);
    fitSurface();
}

bool ZScrollView::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == surface) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        [[fallthrough]];
    case QEvent::ChildRemoved:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched != surface || event->type() == QEvent::ChildAdded
            || event->type() == QEvent::ChildRemoved) {
            if (!fitPending) {
                fitPending = true;
                QTimer::singleShot(0, this, [this] { fitSurface(); });
            }
        }
        break;
    default: break;
    }
    return QScrollArea::eventFilter(watched, event);
}

void ZScrollView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    fitSurface();
}

void ZScrollView::fitSurface()
{
    // The surface follows the visible width; its height is at least what the children need.
    fitPending = false;
    const QRect used = surface->childrenRect();
    surface->setMinimumHeight(used.isEmpty() ? 0 : used.bottom() + 1);
}
