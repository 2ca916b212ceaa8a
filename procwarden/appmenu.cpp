// SPDX-License-Identifier: GPL-2.0-or-later
#include "appmenu.h"

#include <cstdlib>

AppMenu::AppMenu(const QString &c) : command(c) {}

void AppMenu::execute()
{
    // Back in the bytes the launcher file was written in, so that names outside ASCII reach
    // the shell as the file spells them.
    const int status = std::system(command.toLocal8Bit().constData());
    (void)status;
}
