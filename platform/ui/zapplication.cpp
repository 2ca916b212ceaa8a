// SPDX-License-Identifier: GPL-2.0-or-later
#include "zapplication.h"

#include "uiscript.h"

#include <QFont>
#include <QStyleFactory>
#include <QWidget>

ZApplication::ZApplication(int &argc, char **argv, int) : QApplication(argc, argv)
{
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        setStyle(fusion);
    QFont small = font();
    small.setPixelSize(13);
    setFont(small);
    UiScript::startFromEnvironment();
}

ZApplication::~ZApplication() = default;

void ZApplication::setMainWidget(QWidget *w)
{
    main = w;
}

QWidget *ZApplication::mainWidget() const
{
    return main;
}

void ZApplication::showMainWidget(QWidget *w)
{
    setMainWidget(w);
    if (w)
        w->show();
}

void ZApplication::slotQuickQuit()
{
    quit();
}
