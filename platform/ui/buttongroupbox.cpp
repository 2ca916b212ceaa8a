// SPDX-License-Identifier: GPL-2.0-or-later
#include "buttongroupbox.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>

ButtonGroupBox::ButtonGroupBox(QWidget *parent, const char *name) : QGroupBox(parent)
{
    init(1, Qt::Horizontal, name);
}

ButtonGroupBox::ButtonGroupBox(const QString &title, QWidget *parent, const char *name)
    : QGroupBox(title, parent)
{
    init(1, Qt::Horizontal, name);
}

ButtonGroupBox::ButtonGroupBox(int n, Qt::Orientation o, QWidget *parent, const char *name)
    : QGroupBox(parent)
{
    init(n, o, name);
}

ButtonGroupBox::ButtonGroupBox(int n, Qt::Orientation o, const QString &title, QWidget *parent,
                               const char *name)
    : QGroupBox(title, parent)
{
    init(n, o, name);
}

ButtonGroupBox::~ButtonGroupBox()
{
    // The buttons die after us, with the widget's children: they must not reach back here.
    for (QAbstractButton *button : ordered)
        disconnect(button, nullptr, this, nullptr);
}

void ButtonGroupBox::init(int n, Qt::Orientation o, const char *name)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    strips = n > 0 ? n : 1;
    orientation = o;
    group = new QButtonGroup(this);
    grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(5);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    connect(group, &QButtonGroup::idClicked, this, &ButtonGroupBox::clicked);
}

int ButtonGroupBox::insert(QAbstractButton *button, int id)
{
    if (id == -1) {
        id = 0;
        while (group->button(id))
            ++id;
    }
    if (button->parentWidget() != this)
        button->setParent(this);
    group->addButton(button, id);
    ordered.append(button);
    connect(button, &QObject::destroyed, this, [this, button] { ordered.removeAll(button); });
    relayout();
    return id;
}

void ButtonGroupBox::remove(QAbstractButton *button)
{
    group->removeButton(button);
    ordered.removeAll(button);
    grid->removeWidget(button);
    relayout();
}

QAbstractButton *ButtonGroupBox::find(int id) const
{
    return group->button(id);
}

int ButtonGroupBox::id(QAbstractButton *button) const
{
    return group->id(button);
}

void ButtonGroupBox::setId(QAbstractButton *button, int id)
{
    group->setId(button, id);
}

int ButtonGroupBox::count() const
{
    return group->buttons().size();
}

void ButtonGroupBox::relayout()
{
    for (QAbstractButton *button : ordered)
        grid->removeWidget(button);
    for (int i = 0; i < ordered.size(); ++i) {
        const int major = i / strips, minor = i % strips;
        if (orientation == Qt::Horizontal)
            grid->addWidget(ordered.at(i), major, minor);
        else
            grid->addWidget(ordered.at(i), minor, major);
    }
}
