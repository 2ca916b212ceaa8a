// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QApplication>
#include <QIcon>
#include <QPointer>

// The phone's application object. Besides the event loop it sets the phone's look (a small
// font, one style everywhere, a frame around the focused widget), gives the windows of Kest,
// glowra and procwarden their program's icon and desktop entry name, taken from the name the
// program runs under, and, when EZX_UI_SCRIPT is set, plays that script of user actions once
// the event loop runs (see uiscript.h).
class ZApplication : public QApplication
{
    Q_OBJECT
public:
    // type 1: an ordinary GUI client.
    ZApplication(int &argc, char **argv, int type = 1);
    ~ZApplication() override;

    void setMainWidget(QWidget *w);
    QWidget *mainWidget() const;
    void showMainWidget(QWidget *w);

    // The icon of one of the phone's programs ("kest", "glowra", "procwarden"); a null icon for
    // any other name.
    static QIcon programIcon(const QString &program);

public slots:
    void slotQuickQuit();

private:
    QPointer<QWidget> main;
};
