// SPDX-License-Identifier: GPL-2.0-or-later
#include "desktop.h"

#include "uiscript.h"
#include "zapplication.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QWidget>

bool playScript(const QString &script, int timeoutMs)
{
    QSignalSpy finished(UiScript::start(script, 0), &UiScript::finished);
    return finished.wait(timeoutMs);
}

void closePopups()
{
    for (int open = 0; open < 16 && QApplication::activePopupWidget(); ++open)
        QApplication::activePopupWidget()->hide();
}

bool isProgramIcon(const QString &png, const QString &program)
{
    const QImage expected = ZApplication::programIcon(program).pixmap(QSize(64, 64)).toImage();
    // A null icon here means that Qt's SVG plugin is missing.
    return !expected.isNull()
           && QImage(png).convertToFormat(QImage::Format_ARGB32)
                  == expected.convertToFormat(QImage::Format_ARGB32);
}
