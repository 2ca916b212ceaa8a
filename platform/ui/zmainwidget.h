// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zglobal.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class ZScrollView;

// The phone's full-screen window: a title bar on top, the content area, and the soft-key bar
// (CST) at the bottom. A top-level one is the 240x320 phone screen. Title and soft-key areas
// exist once they are given something (a title, setTitleBarWidget, getCSTWidget(true),
// setCSTWidget); the content takes what is left. Embedded in a dialog, a main widget may thus
// be a bare title bar or a bare soft-key bar.
//
// A top-level one has the phone screen's fixed size and no maximise button, takes the desktop
// keys for its soft keys (softkeys.h), and answers the window manager's close button as its
// right soft key does: Kest asks before leaving, glowra saves its settings, a secondary window
// hides.
class ZMainWidget : public QWidget
{
    Q_OBJECT
public:
    ZMainWidget(bool editorMode, QWidget *parent = nullptr, const char *name = nullptr, WFlags flags = 0);
    ZMainWidget(QWidget *parent, const char *name = nullptr, WFlags flags = 0);
    ZMainWidget(const QString &title, bool editorMode, QWidget *parent = nullptr, const char *name = nullptr,
                WFlags flags = 0);
    ~ZMainWidget() override;

    void setTitle(const QString &title);
    QString title() const;

    void setTitleBarWidget(QWidget *w);
    QWidget *getTitleBarWidget() const;

    // The content scroll view, made on first request when create is true.
    ZScrollView *getContentWidget(bool create);
    void setContentWidget(QWidget *w);
    QWidget *contentWidget() const;

    // The soft-key area, made on first request when create is true.
    QWidget *getCSTWidget(bool create);
    void setCSTWidget(QWidget *w);

    // What the window manager's close button does: the right soft key's action, or a plain
    // close() for a window without one. A disabled right key refuses the close.
    void requestClose();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void init(QWidget *parent, const char *name, WFlags flags);
    void layoutAreas();

    QPointer<QWidget> titleBar;
    QLabel *titleLabel = nullptr;
    QPointer<QWidget> content;
    QPointer<QWidget> cst;
    ZScrollView *scrollContent = nullptr;
    bool closePending = false;
};
