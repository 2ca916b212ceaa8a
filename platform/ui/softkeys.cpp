// SPDX-License-Identifier: GPL-2.0-or-later
#include "softkeys.h"

#include "zpushbutton.h"

#include <QKeyEvent>

SoftKey softKeyFor(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return SoftKey::None;
    switch (event->key()) {
    case Qt::Key_F1:
    case Qt::Key_Menu: return SoftKey::Left;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter: return SoftKey::Middle;
    case Qt::Key_F3:
    case Qt::Key_Escape: return SoftKey::Right;
    default: return SoftKey::None;
    }
}

bool isReturnKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

QAbstractButton *findSoftKey(const QWidget *window, SoftKey key)
{
    if (!window || key == SoftKey::None)
        return nullptr;
    for (ZPushButton *button : window->findChildren<ZPushButton *>()) {
        if (button->window() != window || !button->isVisibleTo(window))
            continue;
        const int style = button->style();
        if ((key == SoftKey::Left && style == 6) || (key == SoftKey::Middle && (style == 4 || style == 7))
            || (key == SoftKey::Right && style == 5))
            return button;
    }
    return nullptr;
}

bool pressSoftKey(QAbstractButton *key)
{
    if (!key || !key->isVisible() || !key->isEnabled())
        return false;
    key->click();
    return true;
}
