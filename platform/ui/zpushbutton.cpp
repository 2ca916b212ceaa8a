// SPDX-License-Identifier: GPL-2.0-or-later
#include "zpushbutton.h"

#include "popupmenu.h"
#include "resources.h"

#include <QKeyEvent>

ZPushButton::ZPushButton(const QString &resource, QWidget *parent, int style, int width, int height)
    : QPushButton(parent), buttonStyle(style)
{
    if (!resource.isEmpty()) {
        if (ZResource::isText(resource)) {
            setText(ZResource::text(resource));
        } else {
            setIcon(ZResource::icon(resource));
            setIconSize(QSize(22, 18));
        }
    }
    applyStyle(width, height);
}

ZPushButton::ZPushButton(QWidget *parent, const char *name, int style, int width, int height)
    : QPushButton(parent), buttonStyle(style)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    applyStyle(width, height);
}

void ZPushButton::applyStyle(int width, int height)
{
    const bool softKey = buttonStyle >= 4 && buttonStyle <= 7;
    setFocusPolicy(softKey ? Qt::NoFocus : Qt::StrongFocus);
    if (softKey) {
        // Soft keys: flat text on the dark soft-key bar.
        setFlat(true);
        setStyleSheet(
            QStringLiteral("QPushButton { color: white; border: none; font-weight: bold; padding: 0 2px; }"
                           "QPushButton:pressed { background: #3b6fb6; }"
                           "QPushButton:disabled { color: #777; }"));
    } else {
        setStyleSheet(QStringLiteral("QPushButton { padding: 2px 4px; }"));
    }
    if (width > 0 && height > 0)
        setFixedSize(width, height);
    else
        adjustSize();
}

void ZPushButton::keyPressEvent(QKeyEvent *event)
{
    if (hasFocus() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void ZPushButton::setPopup(PopupMenu *popupMenu)
{
    if (menu)
        disconnect(this, &QPushButton::clicked, this, &ZPushButton::openPopup);
    menu = popupMenu;
    if (menu)
        connect(this, &QPushButton::clicked, this, &ZPushButton::openPopup);
}

PopupMenu *ZPushButton::popup() const
{
    return menu;
}

void ZPushButton::openPopup()
{
    if (!menu)
        return;
    const QSize size = menu->sizeHint();
    QPoint at = mapToGlobal(QPoint(0, 0));
    at.setY(at.y() - size.height());
    // Keep it on the phone screen: right-hand keys open their menu leftwards.
    const QPoint origin = ZGlobal::screenOrigin(this);
    const int screenRight = origin.x() + ZGlobal::screenWidth;
    if (at.x() + size.width() > screenRight)
        at.setX(qMax(origin.x(), screenRight - size.width()));
    menu->popup(at);
}
