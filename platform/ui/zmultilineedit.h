// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLineEdit>

// The phone's text field, one line high.
class ZMultiLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit ZMultiLineEdit(QWidget *parent = nullptr, const char *name = nullptr);

    void setEdited(bool edited) { setModified(edited); }
    bool edited() const { return isModified(); }
};
