// SPDX-License-Identifier: GPL-2.0-or-later
#include "resources.h"

#include "systemsettings.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

bool ZResource::isText(const QString &name)
{
    return name.startsWith(QLatin1String("CST_"));
}

QString ZResource::text(const QString &name)
{
    struct Caption
    {
        const char *name, *chinese, *english, *russian;
    };
    static const Caption captions[] = {
        {"CST_Menu", "菜单", "Menu", "Меню"},  {"CST_Exit", "退出", "Exit", "Выход"},
        {"CST_Ok", "确定", "OK", "OK"},        {"CST_Cancel", "取消", "Cancel", "Отмена"},
        {"CST_Back", "返回", "Back", "Назад"},
    };
    for (const Caption &c : captions) {
        if (name != QLatin1String(c.name))
            continue;
        const QString language = languageType();
        if (language.startsWith(QLatin1String("zh")))
            return QString::fromUtf8(c.chinese);
        if (language.startsWith(QLatin1String("ru")))
            return QString::fromUtf8(c.russian);
        return QString::fromUtf8(c.english);
    }
    return QString();
}

namespace {

// A small folder drawn by hand, so that the picker buttons look alike under every style.
QIcon folderIcon()
{
    QPixmap pixmap(22, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x8a, 0x62, 0x10));
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    p.drawRoundedRect(QRectF(1.5, 1.5, 8, 4), 1, 1);
    p.drawRoundedRect(QRectF(1.5, 3.5, 19, 13), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xfa, 0xd8, 0x7a));
    p.drawRect(QRectF(3, 6, 16, 2));
    return QIcon(pixmap);
}

}  // namespace

QIcon ZResource::icon(const QString &name)
{
    if (name == QLatin1String("InSet_Picker_Folder"))
        return folderIcon();
    if (name == QLatin1String("InSet_Picker_File") && qApp)
        return qApp->style()->standardIcon(QStyle::SP_FileIcon);
    return QIcon();
}
