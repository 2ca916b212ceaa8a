// SPDX-License-Identifier: GPL-2.0-or-later
#include "langpack.h"

#include "schemefile.h"

langPack langPack::english()
{
    langPack pack;
    pack.name = QString::fromLatin1("English");
    pack.start = QString::fromLatin1("Start");
    pack.stop = QString::fromLatin1("Stop");
    pack.sensFormat = "Sensitivity: %d";
    pack.brightText = QString::fromLatin1("Brightness of backlight");
    pack.smoothText = QString::fromLatin1("Smooth flashing");
    pack.startDaemon = QString::fromLatin1("Start daemon");
    pack.stopDaemon = QString::fromLatin1("Stop daemon");
    pack.askStart = QString::fromLatin1("Start daemon with this scheme?");
    pack.yes = QString::fromLatin1("Yes");
    pack.no = QString::fromLatin1("No");
    // The daemon's own names, as its usage text and the schemes source give them.
    for (int i = 0; i < SCHEME_COUNT; ++i)
        pack.schemes.name[i] = QString::fromLatin1(schemeNames[i]);
    return pack;
}

langPack langPack::russian()
{
    langPack pack;
    pack.name = QString::fromUtf8("Русский");
    pack.start = QString::fromUtf8("Старт");
    pack.stop = QString::fromUtf8("Стоп");
    pack.sensFormat = "Чувствительность: %d";
    pack.brightText = QString::fromUtf8("Яркость подсветки");
    pack.smoothText = QString::fromUtf8("Плавное мигание");
    pack.startDaemon = QString::fromUtf8("Запуск демона");
    pack.stopDaemon = QString::fromUtf8("Остановка демона");
    pack.askStart = QString::fromUtf8("Запустить демон с этой схемой?");
    pack.yes = QString::fromUtf8("Да");
    pack.no = QString::fromUtf8("Нет");
    const char *const schemes[10] = {"Супер",  "Пульс", "Ритм",  "Мерцание", "Энергия",
                                     "Биения", "Мания", "Чужой", "Элементы", "Акустика"};
    for (int i = 0; i < 10; ++i)
        pack.schemes.name[i] = QString::fromUtf8(schemes[i]);
    return pack;
}
