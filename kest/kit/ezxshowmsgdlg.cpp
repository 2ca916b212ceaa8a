// SPDX-License-Identifier: GPL-2.0-or-later
#include "ezxshowmsgdlg.h"

#include "ezxlanguage.h"
#include "zmessagebox.h"

#include <QApplication>
#include <QPixmap>

namespace {

// 确定
const char hintButton[] = "\xC8\xB7\xB6\xA8";
// 是
const char askYes[] = "\xCA\xC7";
// 否
const char askNo[] = "\xB7\xF1";

}  // namespace

EZXShowMsgDlg::EZXShowMsgDlg(QWidget *parent) : parentWidget(parent) {}

EZXShowMsgDlg::~EZXShowMsgDlg() = default;

QString EZXShowMsgDlg::getMsgButtonCaption(const QString &key, const QString &defaultText)
{
    EZXLanguage language;
    const QString decoded = language.Text_code(defaultText.toLatin1().constData());
    return language.readLabelCaption(key, decoded);
}

int EZXShowMsgDlg::showMsgHintDlg(const QString &text, const QString &buttonCaption)
{
    if (!QApplication::instance())
        return -1;
    const QString button = buttonCaption.isNull() ? getMsgButtonCaption(QStringLiteral("Msg_Hint_Button1"),
                                                                        QString::fromLatin1(hintButton))
                                                  : buttonCaption;
    return ZMessageBox::information(parentWidget, QPixmap(), text, button, QString(), QString(), 2);
}

int EZXShowMsgDlg::showMsgAskDlg(const QString &text, QString first, QString second, const QString &third)
{
    if (!QApplication::instance())
        return -1;
    if (first.isNull())
        first = getMsgButtonCaption(QStringLiteral("Msg_Ask_Button1"), QString::fromLatin1(askYes));
    if (second.isNull())
        second = getMsgButtonCaption(QStringLiteral("Msg_Ask_Button2"), QString::fromLatin1(askNo));
    return ZMessageBox::information(parentWidget, QPixmap(), text, first, second, third, 2);
}
