// SPDX-License-Identifier: GPL-2.0-or-later
#include "zapplication.h"

#include "focusframe.h"
#include "uiscript.h"

#include <QFile>
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
    FocusFrame::install();
    const QIcon icon = programIcon(applicationName());
    if (!icon.isNull()) {
        setWindowIcon(icon);
        // Where windows carry no icon of their own (Wayland), the desktop entry names it.
        setDesktopFileName(applicationName());
    }
    UiScript::startFromEnvironment();
}

QIcon ZApplication::programIcon(const QString &program)
{
    // The icons of data/icons, built into the platform library.
    const QString file = QStringLiteral(":/ezx/icons/%1.svg").arg(program);
    if (program.isEmpty() || program.contains(QLatin1Char('/')) || !QFile::exists(file))
        return QIcon();
    return QIcon(file);
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
