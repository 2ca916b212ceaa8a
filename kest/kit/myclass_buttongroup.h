// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "buttongroupbox.h"

#include <QString>

class MyClass_RadioButton;

// A list of choices: radio-button entries under the ids 1 to count, in the order they were
// added, and the id of the entry the user clicked last (-1 for none). It can fill itself
// from the phone's application registries, one entry per registered application.
class MyClass_ButtonGroup : public ButtonGroupBox
{
    Q_OBJECT
public:
    explicit MyClass_ButtonGroup(QWidget *parent = nullptr, const char *name = nullptr);
    MyClass_ButtonGroup(const QString &title, QWidget *parent = nullptr, const char *name = nullptr);
    MyClass_ButtonGroup(int strips, Qt::Orientation orientation, QWidget *parent = nullptr,
                        const char *name = nullptr);
    MyClass_ButtonGroup(int strips, Qt::Orientation orientation, const QString &title,
                        QWidget *parent = nullptr, const char *name = nullptr);
    ~MyClass_ButtonGroup() override;

    MyClass_RadioButton *getButton() const;  // the selected entry, or none
    void addButton(QString caption, QString key, QString tag);
    void updateButton(const QString &caption);
    void delButton();

    void initConfigFile(const QString &path);
    void initFromInstalledDB();
    void initFromUserRegistry();
    void initFromSysRegistry();
    void initFromCardRegistry();

private slots:
    void slotButtonClicked(int id);

private:
    void init();

    int selectedId = -1;
    MyClass_RadioButton *lastButton = nullptr;  // not owned: the entry added last
};
