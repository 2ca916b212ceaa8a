// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_dlg.h"

#include "ezxshowmsgdlg.h"
#include "myclass_zwidget.h"
#include "zscrollview.h"

namespace {

struct SizeRects
{
    QRect (*dialog)();
    QRect (*content)();
    QRect (*cst)();
    QRect (*title)();
};

const SizeRects sizeRects[] = {
    {ZGlobal::getDlgSmallR, ZGlobal::getDlgSmallConR, ZGlobal::getDlgCstSR, ZGlobal::getDlgTitleSR},
    {ZGlobal::getDlgMiddleR, ZGlobal::getDlgMiddleConR, ZGlobal::getDlgCstMR, ZGlobal::getDlgTitleMR},
    {ZGlobal::getDlgLargeR, ZGlobal::getDlgLargeConR, ZGlobal::getDlgCstLR, ZGlobal::getDlgTitleLR},
};

}  // namespace

MyClass_Dlg::MyClass_Dlg(const QString &captionKey, const QString &captionDefault, QWidget *parent,
                         const char *name, int modal, WFlags flags, Dlg_Size dlgSize)
    : ZBaseDialog(parent, name, modal, flags)
{
    initParts();
    dlgTitleBar = new MyClass_ZWidget(captionKey, captionDefault, false, this, "dlgTitleBar", 0);
    layoutFor(dlgSize);
}

MyClass_Dlg::MyClass_Dlg(const QString &title, QWidget *parent, const char *name, int modal, WFlags flags,
                         Dlg_Size dlgSize)
    : ZBaseDialog(parent, name, modal, flags)
{
    initParts();
    dlgTitleBar = new MyClass_ZWidget(title, false, this, "dlgTitleBar", 0);
    layoutFor(dlgSize);
}

MyClass_Dlg::MyClass_Dlg(QWidget *parent, const char *name, int modal, WFlags flags, Dlg_Size dlgSize)
    : ZBaseDialog(parent, name, modal, flags)
{
    initParts();
    layoutFor(dlgSize);
}

MyClass_Dlg::~MyClass_Dlg()
{
    delete msgDlg;
}

void MyClass_Dlg::initParts()
{
    msgDlg = new EZXShowMsgDlg(this);
    dlgContent = new ZScrollView(this, "dlgContent", 0);
    dlgContent->enableClipper(true);
    dlgCst = new MyClass_ZWidget(false, this, "dlgCst", 0);
}

void MyClass_Dlg::layoutFor(Dlg_Size dlgSize)
{
    if (dlgSize < Dlg_Small || dlgSize > Dlg_Large)
        return;  // the platform's own geometry stays
    const SizeRects &r = sizeRects[dlgSize];
    setGeometry(r.dialog());
    dlgContent->setGeometry(ZGlobal::diffRect(r.dialog(), r.content()));
    dlgCst->setGeometry(ZGlobal::diffRect(r.dialog(), r.cst()));
    if (dlgTitleBar)
        dlgTitleBar->setGeometry(ZGlobal::diffRect(r.dialog(), r.title()));
}

int MyClass_Dlg::showMsgHintDlg(const QString &text, const QString &buttonCaption)
{
    return msgDlg->showMsgHintDlg(text, buttonCaption);
}

int MyClass_Dlg::showMsgAskDlg(const QString &text, const QString &first, const QString &second,
                               const QString &third)
{
    return msgDlg->showMsgAskDlg(text, first, second, third);
}

QString MyClass_Dlg::getAppPath() const
{
    return dlgCst->getAppPath();
}

QString MyClass_Dlg::getAppName(bool full) const
{
    return dlgCst->getAppName(full);
}

QString MyClass_Dlg::readLabCap(const QString &key, const QString &defaultText) const
{
    return dlgCst->readLabCap(key, defaultText);
}
