// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QIcon>
#include <QString>

// The phone's named resources: soft-key captions ("CST_Menu", "CST_Exit", "CST_Ok",
// "CST_Cancel", "CST_Back") and icons ("InSet_Picker_Folder", "InSet_Picker_File"). An unknown
// name gives a null string or a null icon.
class ZResource
{
public:
    static QString text(const QString &name);
    static QIcon icon(const QString &name);
    static bool isText(const QString &name);

    // The language of the captions: the phone's (LanguageType, read at every lookup) unless the
    // program speaks a language of its own ("en-us", "ru", "zh-cn"), so that its soft keys
    // speak the language of its other texts. A null string goes back to the phone's. Every
    // window is told (QEvent::LanguageChange), so soft keys already shown follow at once.
    static void setLanguage(const QString &languageType);
    static QString language();
};
