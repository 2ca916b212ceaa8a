// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QMenu>

// A popup menu whose items are known by integer ids, as the phone's toolkit has them: an
// item inserted without an id gets an automatic one (negative, unique in the process), and
// activated(id) tells which item was chosen. Items can be texts, texts calling a slot,
// submenus, embedded widgets and separators.
class PopupMenu : public QMenu
{
    Q_OBJECT
public:
    explicit PopupMenu(QWidget *parent = nullptr, const char *name = nullptr);

    int insertItem(const QString &text, int id = -1, int index = -1);
    int insertItem(const QString &text, const QObject *receiver, const char *member, int id = -1,
                   int index = -1);
    int insertItem(const QString &text, PopupMenu *submenu, int id = -1, int index = -1);
    int insertItem(QWidget *widget, int id = -1, int index = -1);
    int insertSeparator(int index = -1);
    void removeItem(int id);

    void setItemEnabled(int id, bool enabled);
    bool isItemEnabled(int id) const;
    void changeItem(int id, const QString &text);
    QString text(int id) const;

    int count() const;
    int idAt(int index) const;  // -1 when there is no such item
    int indexOf(int id) const;  // -1 when there is no such item
    QAction *findItem(int id) const;
    PopupMenu *submenu(int id) const;

    // Chooses the item as the user would (nothing happens for a disabled item, a separator
    // or a submenu entry). Returns false when the item could not be chosen.
    bool activateItem(int id);

signals:
    void activated(int id);

private:
    int place(QAction *action, int id, int index);
    static int automaticId();
};
