// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_zapp.h"

#include "appcurrentname.h"

#include <QFileInfo>

MyClass_ZApp::MyClass_ZApp(int &argc, char **argv, int type) : ZApplication(argc, argv, type)
{
    if (!QCoreApplication::instance())
        return;
    const QStringList args = QCoreApplication::arguments();
    QString invocation = args.value(0);
    // Started through the search path the name carries no folder: the folder it would give
    // is the current one, which is not where the program lies.
    if (!invocation.contains(QLatin1Char('/')))
        invocation = QCoreApplication::applicationFilePath();
    AppCurrentName = executablePath(invocation);
}

MyClass_ZApp::~MyClass_ZApp() = default;

QString MyClass_ZApp::executablePath(const QString &invocation)
{
    QString path = QFileInfo(invocation).absolutePath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + invocation.section(QLatin1Char('/'), -1);
}
