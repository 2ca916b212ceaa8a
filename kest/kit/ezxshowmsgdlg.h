// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QWidget;

// Kest's hint boxes (one button) and question boxes (two or three buttons), shown modal over
// one parent widget, with button captions from the language file.
class EZXShowMsgDlg
{
public:
    explicit EZXShowMsgDlg(QWidget *parent);
    ~EZXShowMsgDlg();

    // defaultText holds GB2312 bytes, one byte per character.
    QString getMsgButtonCaption(const QString &key, const QString &defaultText);

    // Both return the index of the button chosen (0 for the first), or -1 when closed
    // without a choice or when there is no application to show a box.
    int showMsgHintDlg(const QString &text, const QString &buttonCaption = QString());
    int showMsgAskDlg(const QString &text, QString first = QString(), QString second = QString(),
                      const QString &third = QString());

private:
    QWidget *parentWidget;  // not owned
};
