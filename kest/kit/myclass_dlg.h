// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zbasedialog.h"

#include <QString>

class EZXShowMsgDlg;
class MyClass_ZWidget;
class ZScrollView;

// A platform dialog in one of the phone's three standard sizes, with a content area, a
// soft-key area and, when made with a title, a title bar.
class MyClass_Dlg : public ZBaseDialog
{
    Q_OBJECT
public:
    enum Dlg_Size { Dlg_Small = 0, Dlg_Middle = 1, Dlg_Large = 2 };

    // The title is the caption of captionKey in the phone's language.
    MyClass_Dlg(const QString &captionKey, const QString &captionDefault, QWidget *parent, const char *name,
                int modal, WFlags flags, Dlg_Size dlgSize);
    MyClass_Dlg(const QString &title, QWidget *parent, const char *name, int modal, WFlags flags,
                Dlg_Size dlgSize);
    // Without a title bar.
    MyClass_Dlg(QWidget *parent, const char *name, int modal, WFlags flags, Dlg_Size dlgSize);
    ~MyClass_Dlg() override;

    int showMsgHintDlg(const QString &text, const QString &buttonCaption = QString());
    int showMsgAskDlg(const QString &text, const QString &first = QString(),
                      const QString &second = QString(), const QString &third = QString());

    QString getAppPath() const;
    QString getAppName(bool full) const;
    QString readLabCap(const QString &key, const QString &defaultText) const;

protected:
    ZScrollView *contentArea() const { return dlgContent; }
    MyClass_ZWidget *cstArea() const { return dlgCst; }

private:
    void initParts();
    void layoutFor(Dlg_Size dlgSize);

    ZScrollView *dlgContent = nullptr;
    MyClass_ZWidget *dlgCst = nullptr;
    MyClass_ZWidget *dlgTitleBar = nullptr;
    EZXShowMsgDlg *msgDlg = nullptr;
};
