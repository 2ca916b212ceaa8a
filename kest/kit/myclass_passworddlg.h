// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "myclass_dlg.h"

class QLabel;
class QLineEdit;
class ZPushButton;

// The phone-style box that asks for an archive's password: a title, a line naming the
// archive, a text field that shows dots ("passwordField"), and OK and Cancel as soft keys.
// exec() gives QDialog::Accepted for OK.
class MyClass_PasswordDlg : public MyClass_Dlg
{
    Q_OBJECT
public:
    MyClass_PasswordDlg(const QString &archiveName, QWidget *parent, const char *name);
    ~MyClass_PasswordDlg() override;

    QString password() const;

private:
    QLabel *pLabel1 = nullptr;
    QLineEdit *pPasswordEdit = nullptr;
    ZPushButton *pOkBtn = nullptr;
    ZPushButton *pCancelBtn = nullptr;
};
