// SPDX-License-Identifier: GPL-2.0-or-later
#include "popupmenu.h"

#include <QApplication>
#include <QWidgetAction>
#include <atomic>

namespace {
constexpr const char *idProperty = "ezxItemId";
}

PopupMenu::PopupMenu(QWidget *parent, const char *name) : QMenu(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}

int PopupMenu::automaticId()
{
    static std::atomic<int> next{-2};
    return next.fetch_sub(1, std::memory_order_relaxed);
}

int PopupMenu::place(QAction *action, int id, int index)
{
    if (id == -1)
        id = automaticId();
    action->setProperty(idProperty, id);
    const QList<QAction *> all = actions();
    if (index >= 0 && index < all.size())
        insertAction(all.at(index), action);
    else
        addAction(action);
    if (!action->isSeparator() && !action->menu()) {
        connect(action, &QAction::triggered, this,
                [this, action] { emit activated(action->property(idProperty).toInt()); });
    }
    return id;
}

int PopupMenu::insertItem(const QString &text, int id, int index)
{
    return place(new QAction(text, this), id, index);
}

int PopupMenu::insertItem(const QString &text, const QObject *receiver, const char *member, int id, int index)
{
    auto *action = new QAction(text, this);
    if (receiver && member)
        connect(action, SIGNAL(triggered()), receiver, member);
    return place(action, id, index);
}

int PopupMenu::insertItem(const QString &text, PopupMenu *sub, int id, int index)
{
    QAction *action = sub->menuAction();
    action->setText(text);
    if (!sub->parent())
        sub->setParent(this, sub->windowFlags());
    return place(action, id, index);
}

int PopupMenu::insertItem(QWidget *widget, int id, int index)
{
    auto *action = new QWidgetAction(this);
    action->setDefaultWidget(widget);
    return place(action, id, index);
}

int PopupMenu::insertSeparator(int index)
{
    auto *action = new QAction(this);
    action->setSeparator(true);
    return place(action, -1, index);
}

QAction *PopupMenu::findItem(int id) const
{
    for (QAction *action : actions())
        if (action->property(idProperty).isValid() && action->property(idProperty).toInt() == id)
            return action;
    return nullptr;
}

void PopupMenu::removeItem(int id)
{
    if (QAction *action = findItem(id)) {
        removeAction(action);
        if (action->parent() == this)
            action->deleteLater();
    }
}

void PopupMenu::setItemEnabled(int id, bool enabled)
{
    if (QAction *action = findItem(id))
        action->setEnabled(enabled);
}

bool PopupMenu::isItemEnabled(int id) const
{
    QAction *action = findItem(id);
    return action && action->isEnabled();
}

void PopupMenu::changeItem(int id, const QString &text)
{
    if (QAction *action = findItem(id))
        action->setText(text);
}

QString PopupMenu::text(int id) const
{
    QAction *action = findItem(id);
    return action ? action->text() : QString();
}

int PopupMenu::count() const
{
    return actions().size();
}

int PopupMenu::idAt(int index) const
{
    const QList<QAction *> all = actions();
    if (index < 0 || index >= all.size())
        return -1;
    return all.at(index)->property(idProperty).toInt();
}

int PopupMenu::indexOf(int id) const
{
    QAction *action = findItem(id);
    return action ? int(actions().indexOf(action)) : -1;
}

PopupMenu *PopupMenu::submenu(int id) const
{
    QAction *action = findItem(id);
    return action ? qobject_cast<PopupMenu *>(action->menu()) : nullptr;
}

bool PopupMenu::activateItem(int id)
{
    QAction *action = findItem(id);
    if (!action || !action->isEnabled() || action->isSeparator() || action->menu()
        || qobject_cast<QWidgetAction *>(action))
        return false;
    // As a choice by hand: the open menus close before the item's action runs, which may put
    // up a box.
    for (int open = 0; open < 16 && QApplication::activePopupWidget(); ++open)
        QApplication::activePopupWidget()->hide();
    if (isVisible())
        hide();
    action->trigger();
    return true;
}
