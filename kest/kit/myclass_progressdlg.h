// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "myclass_dlg.h"

#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class ZPushButton;

// The waiting box Kest shows while it extracts or compresses: a centred, word-wrapped message,
// 224 pixels wide, at least 50 high, centred on the screen's line y = 160. Once the work
// runs, a bar under it shows how far it is (or moves as a busy bar when nobody can tell),
// with the time taken, the time left, and a Cancel key (the right soft key: F3, Escape). It
// runs no event loop of its own; the caller shows it, works, asks cancelRequested(), and
// deletes it.
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
    // How far the work is, 0 to 1, as last measured; 0 or below when nobody can tell (the bar
    // is a busy bar). Called on every look, also between measurements: the estimate then moves
    // on at the pace of the last two, never further than one more interval of it, and the
    // bar eases towards it.
    void setProgress(double fraction);
    // Cancel was pressed. The box stays up until its owner has stopped the work.
    bool cancelRequested() const { return cancelled; }

    // "m:ss", minutes not limited.
    static QString clockText(qint64 seconds);
    // The seconds left when fraction of the work took elapsedMs; -1 before an estimate is
    // worth showing (too early, or too little done).
    static qint64 secondsLeft(qint64 elapsedMs, double fraction);

    // The box on the phone screen for a message label labelHeight pixels high.
    static QRect boxGeometry(int labelHeight);

protected:
    // The box goes when its owner is done, not on a close request; Escape and F3 cancel.
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void initComponent(const QString &captionKey, const QString &defaultText);
    void fitLabel();
    void addBusyLine();
    void cancel();

    QLabel *pLabel1 = nullptr;
    QProgressBar *busyBar = nullptr;
    QLabel *percentLabel = nullptr;
    QLabel *elapsedLabel = nullptr;
    QLabel *leftLabel = nullptr;
    QString timeLeftCaption;
    ZPushButton *pCancelBtn = nullptr;
    QElapsedTimer shownFor;
    void showShare(double share, double estimate);

    double fraction = -1;  // as last measured
    qint64 measuredAt = 0;
    qint64 unknownSince = 0;  // when the share last turned unknown (or the box came up)
    qint64 jobStartedAt = 0;  // when the job the share speaks of began: the time left is its own
    double pace = 0;          // share per millisecond between the last two measurements
    qint64 paceSpan = 0;
    double shown = -1;
    bool cancelled = false;
};
