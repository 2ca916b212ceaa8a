// SPDX-License-Identifier: GPL-2.0-or-later
#include "focusframe.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace {

FocusFrame *instance = nullptr;

class FrameOverlay : public QWidget
{
public:
    explicit FrameOverlay(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("focusFrame"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        // Orange reads on the white content, the blue title and the dark soft-key bar alike.
        p.setPen(QPen(QColor(0xf0, 0x8c, 0x00), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

bool wantsFrame(const QWidget *w)
{
    return w && !w->isWindow() && w->window()->windowType() != Qt::Popup;
}

}  // namespace

FocusFrame::FocusFrame(QObject *parent) : QObject(parent)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
}

void FocusFrame::install()
{
    if (instance || !qApp)
        return;
    instance = new FocusFrame(qApp);
    connect(instance, &QObject::destroyed, [] { instance = nullptr; });
    instance->follow(QApplication::focusWidget());
}

QWidget *FocusFrame::framed()
{
    return instance && instance->frame && instance->frame->isVisible() ? instance->target.data() : nullptr;
}

void FocusFrame::follow(QWidget *now)
{
    if (target)
        target->removeEventFilter(this);
    target = wantsFrame(now) ? now : nullptr;
    if (!target) {
        if (frame)
            frame->hide();
        return;
    }
    if (!frame)
        frame = new FrameOverlay(target);
    else if (frame->parentWidget() != target)
        frame->setParent(target);
    frame->setGeometry(target->rect());
    frame->raise();
    frame->show();
    target->installEventFilter(this);
}

bool FocusFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == target && frame) {
        if (event->type() == QEvent::Resize)
            frame->setGeometry(target->rect());
        else if (event->type() == QEvent::ChildAdded)
            frame->raise();
    }
    return QObject::eventFilter(watched, event);
}
