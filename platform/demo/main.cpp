// SPDX-License-Identifier: GPL-2.0-or-later
// A phone screen with every part of the platform in it: for trying the look, and the
// screenshot in the README.
#include "popupmenu.h"
#include "utilcst.h"
#include "zapplication.h"
#include "zmainwidget.h"
#include "zmessagebox.h"
#include "zmultilineedit.h"
#include "zpushbutton.h"
#include "zscrollview.h"

#include <QLabel>
#include <QPixmap>

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    ZMainWidget window(QString::fromUtf8("平台演示 Platform"), false, nullptr, "demo");
    ZScrollView *content = window.getContentWidget(true);

    auto *label = new QLabel(QString::fromUtf8("文件名称：  File name"), content->viewport());
    label->move(2, 2);
    label->adjustSize();
    auto *edit = new ZMultiLineEdit(content->viewport(), "edit");
    edit->setText(QStringLiteral("/mmc/mmca1/music.tar.gz"));
    edit->setReadOnly(true);
    edit->setFixedWidth(190);
    edit->move(2, label->height() + 2);
    auto *pick = new ZPushButton(QStringLiteral("InSet_Picker_Folder"), content->viewport(), 0);
    pick->move(193, label->height() + 4);

    auto *cst = new UTIL_CST(&window, QString::fromUtf8("解压"));
    window.setCSTWidget(cst);
    auto *menu = new PopupMenu(&window, "menu");
    menu->insertItem(QString::fromUtf8("创建压缩包"));
    menu->insertSeparator();
    const int about = menu->insertItem(QString::fromUtf8("关于 About"));
    cst->getLeftBtn()->setPopup(menu);
    QObject::connect(menu, &PopupMenu::activated, &window, [&](int id) {
        if (id == about)
            ZMessageBox::information(&window, QPixmap(), QString::fromUtf8("平台演示\nPlatform demo"),
                                     QString::fromUtf8("确定"));
    });
    QObject::connect(cst->getRightBtn(), &QPushButton::clicked, &app, &ZApplication::slotQuickQuit);

    app.showMainWidget(&window);
    return app.exec();
}
