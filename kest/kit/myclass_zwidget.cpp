// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_zwidget.h"

#include "appcurrentname.h"
#include "ezxlanguage.h"
#include "ezxshowmsgdlg.h"

#include <QFileInfo>

MyClass_ZWidget::MyClass_ZWidget(bool editorMode, QWidget *parent, const char *name, WFlags flags)
    : ZMainWidget(editorMode, parent, name, flags), msgDlg(new EZXShowMsgDlg(this))
{}

MyClass_ZWidget::MyClass_ZWidget(QWidget *parent, const char *name, WFlags flags)
    : ZMainWidget(parent, name, flags), msgDlg(new EZXShowMsgDlg(this))
{}

MyClass_ZWidget::MyClass_ZWidget(const QString &title, bool editorMode, QWidget *parent, const char *name,
                                 WFlags flags)
    : ZMainWidget(title, editorMode, parent, name, flags), msgDlg(new EZXShowMsgDlg(this))
{}

MyClass_ZWidget::MyClass_ZWidget(const QString &captionKey, const QString &captionDefault, bool editorMode,
                                 QWidget *parent, const char *name, WFlags flags)
    : ZMainWidget(readLabCap(captionKey, captionDefault), editorMode, parent, name, flags),
      msgDlg(new EZXShowMsgDlg(this))
{}

MyClass_ZWidget::~MyClass_ZWidget()
{
    delete msgDlg;
}

QString MyClass_ZWidget::getAppPath()
{
    if (AppCurrentName.isNull())
        return QString();
    QString path = QFileInfo(AppCurrentName).absolutePath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString MyClass_ZWidget::getAppName(bool full)
{
    if (AppCurrentName.isNull())
        return QString();
    if (full)
        return AppCurrentName;
    return QFileInfo(AppCurrentName).fileName().section(QLatin1Char('.'), 0, 0);
}

QString MyClass_ZWidget::readLabCap(const QString &key, const QString &defaultText)
{
    EZXLanguage language(getAppName(true), true);
    const QString decoded = language.Text_code(defaultText.toLatin1().constData());
    return language.readLabelCaption(key, decoded);
}

int MyClass_ZWidget::showMsgHintDlg(const QString &text, const QString &buttonCaption)
{
    return msgDlg->showMsgHintDlg(text, buttonCaption);
}

int MyClass_ZWidget::showMsgAskDlg(const QString &text, const QString &first, const QString &second,
                                   const QString &third)
{
    return msgDlg->showMsgAskDlg(text, first, second, third);
}
