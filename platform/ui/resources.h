// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QIcon>
#include <QString>

// The phone's named resources: soft-key captions in the phone's language ("CST_Menu",
// "CST_Exit", "CST_Ok", "CST_Cancel", "CST_Back") and icons ("InSet_Picker_Folder",
// "InSet_Picker_File"). An unknown name gives a null string or a null icon.
class ZResource
{
public:
    static QString text(const QString &name);
    static QIcon icon(const QString &name);
    static bool isText(const QString &name);
};
