// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zmainwidget.h"

#include <QString>

class EZXShowMsgDlg;

// Base of Kest's full-screen windows: a platform main widget that can take its title from the
// language file, knows where and under which name the program runs, looks up captions, and
// shows hint and question boxes over itself.
class MyClass_ZWidget : public ZMainWidget
{
    Q_OBJECT
public:
    MyClass_ZWidget(bool editorMode, QWidget *parent, const char *name, WFlags flags);
    MyClass_ZWidget(QWidget *parent, const char *name, WFlags flags);
    MyClass_ZWidget(const QString &title, bool editorMode, QWidget *parent, const char *name, WFlags flags);
    // The title is the caption of captionKey in the phone's language.
    MyClass_ZWidget(const QString &captionKey, const QString &captionDefault, bool editorMode,
                    QWidget *parent, const char *name, WFlags flags);
    ~MyClass_ZWidget() override;

    // The program's folder with a trailing "/"; null when the program path is not known.
    static QString getAppPath();
    // The program's full path (full) or its name cut before the first "."; null when unknown.
    static QString getAppName(bool full);
    // The caption of key in the phone's language. defaultText holds GB2312 bytes, one byte per
    // character (as 8-bit text read as Latin-1 gives them).
    static QString readLabCap(const QString &key, const QString &defaultText);

    int showMsgHintDlg(const QString &text, const QString &buttonCaption = QString());
    int showMsgAskDlg(const QString &text, const QString &first = QString(),
                      const QString &second = QString(), const QString &third = QString());

private:
    EZXShowMsgDlg *msgDlg;
};
