// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_radiobutton.h"

MyClass_RadioButton::MyClass_RadioButton(QWidget *parent, const char *name) : QRadioButton(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}

MyClass_RadioButton::MyClass_RadioButton(const QString &text, QWidget *parent, const char *name)
    : QRadioButton(text, parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}

MyClass_RadioButton::~MyClass_RadioButton() = default;
