// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zapplication.h"

// Kest's application object: the platform application that also records where the running
// program lies (AppCurrentName), so that its language file is found beside it.
class MyClass_ZApp : public ZApplication
{
    Q_OBJECT
public:
    MyClass_ZApp(int &argc, char **argv, int type = 1);
    ~MyClass_ZApp() override;

    // The absolute path of the program started as `invocation` from the current folder.
    static QString executablePath(const QString &invocation);
};
