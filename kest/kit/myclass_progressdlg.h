// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "myclass_dlg.h"

#include <QElapsedTimer>

class QLabel;
class QProgressBar;

// The waiting box Kest shows while it extracts or compresses: a centred, word-wrapped message,
// 224 pixels wide, at least 50 high, centred on the screen's line y = 160. It runs no event
// loop of its own; the caller shows it, works, and deletes it.
class MyClass_ProgressDlg : public MyClass_Dlg
{
    Q_OBJECT
public:
    // defaultText holds GB2312 bytes, one byte per character.
    MyClass_ProgressDlg(const QString &captionKey, const QString &defaultText, QWidget *parent,
                        const char *name, int modal, WFlags flags, Dlg_Size dlgSize);
    ~MyClass_ProgressDlg() override;

    void setDisplayInfo(const QString &captionKey, const QString &defaultText);
    void setDisplayInfo(const QString &text);
    // Shows the box and lets it be drawn before the caller's long work starts.
    void showProgressDlg();
    // For the caller to call over and over while its long work runs: shows how long it has
    // taken and a moving busy bar, and lets the toolkit paint, so the box never looks hung.
    void keepAlive();

    // The box on the phone screen for a message label labelHeight pixels high.
    static QRect boxGeometry(int labelHeight);

protected:
    // The box goes when its owner is done, not on Escape or a close request.
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void initComponent(const QString &captionKey, const QString &defaultText);
    void fitLabel();
    void addBusyLine();

    QLabel *pLabel1 = nullptr;
    QProgressBar *busyBar = nullptr;
    QLabel *elapsedLabel = nullptr;
    QElapsedTimer shownFor;
};
