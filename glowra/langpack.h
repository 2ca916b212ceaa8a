// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The names of the ten light schemes, 0 to 9, in one language.
class styles
{
public:
    QString name[10];
};

// Every text of the panel in one language. sensFormat stays an 8-bit printf format (UTF-8 for
// Russian): it is formatted into bytes that are then read as UTF-8.
class langPack
{
public:
    static langPack english();
    static langPack russian();

    QString name;
    QString start;
    QString stop;
    const char *sensFormat = nullptr;
    QString brightText;
    QString smoothText;
    QString startDaemon;
    QString stopDaemon;
    QString askStart;
    QString yes;
    QString no;
    styles schemes;
    // The ends of the sensitivity slider.
    QString minText;
    QString maxText;
    // The notices and their button.
    QString ok;
    QString noMicrophone;
    QString daemonEnded;
    // The language type its soft keys speak (see ZResource::setLanguage).
    QString languageType;
};
