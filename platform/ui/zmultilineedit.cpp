// SPDX-License-Identifier: GPL-2.0-or-later
#include "zmultilineedit.h"

ZMultiLineEdit::ZMultiLineEdit(QWidget *parent, const char *name) : QLineEdit(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    adjustSize();
}
