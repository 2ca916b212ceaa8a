// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_buttongroup.h"

#include "myclass_radiobutton.h"
#include "phonepath.h"
#include "zconfig.h"

#include <QStringList>

namespace {

// The phone keeps what it knows of its installed applications in these registries.
const char amDir[] = "/ezx_user/download/appwrite/am";
const char preloadDir[] = "/usr/data_resource/preloadapps";
const char cardJavaDir[] = "/mmc/mmca1/.system/java";

QString registryPath(const char *dir, const char *name)
{
    return phonePath(QString::fromLatin1(dir) + QLatin1Char('/') + QString::fromLatin1(name));
}

}  // namespace

MyClass_ButtonGroup::MyClass_ButtonGroup(QWidget *parent, const char *name) : ButtonGroupBox(parent, name)
{
    init();
}

MyClass_ButtonGroup::MyClass_ButtonGroup(const QString &title, QWidget *parent, const char *name)
    : ButtonGroupBox(title, parent, name)
{
    init();
}

MyClass_ButtonGroup::MyClass_ButtonGroup(int strips, Qt::Orientation orientation, QWidget *parent,
                                         const char *name)
    : ButtonGroupBox(strips, orientation, parent, name)
{
    init();
}

MyClass_ButtonGroup::MyClass_ButtonGroup(int strips, Qt::Orientation orientation, const QString &title,
                                         QWidget *parent, const char *name)
    : ButtonGroupBox(strips, orientation, title, parent, name)
{
    init();
}

MyClass_ButtonGroup::~MyClass_ButtonGroup() = default;

void MyClass_ButtonGroup::init()
{
    selectedId = -1;
    connect(this, &ButtonGroupBox::clicked, this, &MyClass_ButtonGroup::slotButtonClicked);
}

void MyClass_ButtonGroup::slotButtonClicked(int id)
{
    selectedId = id;
}

MyClass_RadioButton *MyClass_ButtonGroup::getButton() const
{
    if (selectedId == -1)
        return nullptr;
    return qobject_cast<MyClass_RadioButton *>(find(selectedId));
}

void MyClass_ButtonGroup::addButton(QString caption, QString key, QString tag)
{
    auto *button = new MyClass_RadioButton(this);
    lastButton = button;
    button->setText(caption);
    button->adjustSize();
    button->itemKey = key;
    button->itemTag = tag;
    button->setMinimumWidth(225);

    const int n = count() + 1;
    const int rowHeight = button->height() + 5;
    if ((n + 1) * rowHeight > 210)
        resize(240, (n + 1) * rowHeight);
    insert(button, n);
    button->show();
}

void MyClass_ButtonGroup::updateButton(const QString &caption)
{
    if (selectedId == -1)
        return;
    if (QAbstractButton *button = find(selectedId))
        button->setText(caption);
}

void MyClass_ButtonGroup::delButton()
{
    if (selectedId == -1)
        return;
    const int total = count();
    if (QAbstractButton *button = find(selectedId)) {
        remove(button);
        delete button;
    }
    // Close the gap so that the ids stay 1 to count.
    for (int id = selectedId + 1; id <= total; ++id)
        if (QAbstractButton *button = find(id))
            setId(button, id - 1);
    selectedId = -1;
}

void MyClass_ButtonGroup::initConfigFile(const QString &path)
{
    ZConfig registry(path, false);
    QStringList groups;
    registry.getGroupsKeyList(groups);
    for (const QString &group : groups) {
        const QString caption =
            registry.readEntry(group, QStringLiteral("Name"), QStringLiteral("NameError"));
        const QString tag =
            registry.readEntry(group, QStringLiteral("JavaId"), QStringLiteral("JavaIdError"));
        addButton(caption, group, tag);
    }
}

void MyClass_ButtonGroup::initFromInstalledDB()
{
    initConfigFile(registryPath(amDir, "InstalledDB"));
}

void MyClass_ButtonGroup::initFromUserRegistry()
{
    initConfigFile(registryPath(amDir, "UserRegistry"));
}

void MyClass_ButtonGroup::initFromSysRegistry()
{
    initConfigFile(registryPath(preloadDir, "SysRegistry"));
}

void MyClass_ButtonGroup::initFromCardRegistry()
{
    initConfigFile(registryPath(cardJavaDir, "CardRegistry"));
}
