// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QApplication>
#include <QPointer>

// The phone's application object. Besides the event loop it sets the phone's look (a small
// font, one style everywhere) and, when EZX_UI_SCRIPT is set, plays that script of user
// actions once the event loop runs (see uiscript.h).
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

public slots:
    void slotQuickQuit();

private:
    QPointer<QWidget> main;
};
