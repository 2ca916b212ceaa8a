// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QRadioButton>
#include <QString>

// One entry of a MyClass_ButtonGroup: a radio button that carries two strings for its owner.
class MyClass_RadioButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit MyClass_RadioButton(QWidget *parent = nullptr, const char *name = nullptr);
    MyClass_RadioButton(const QString &text, QWidget *parent = nullptr, const char *name = nullptr);
    ~MyClass_RadioButton() override;

    // Registry group name of an application, or the full path of a file or folder.
    QString itemKey;
    // The application's "JavaId", or "0" for a file and "1" for a folder.
    QString itemTag;
};
