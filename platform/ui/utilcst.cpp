// SPDX-License-Identifier: GPL-2.0-or-later
#include "utilcst.h"

#include "resources.h"
#include "zglobal.h"
#include "zpushbutton.h"

#include <QEvent>

UTIL_CST::UTIL_CST(QWidget *parent, const QString &midText, const QString &leftResource,
                   const QString &rightResource)
    : QWidget(parent), leftResource(leftResource), rightResource(rightResource)
{
    setObjectName(QStringLiteral("cst"));
    left = new ZPushButton(leftResource, this, 6);
    left->setObjectName(QStringLiteral("cstLeftBtn"));
    mid = new ZPushButton(QString(), this, 7);
    mid->setObjectName(QStringLiteral("cstMidBtn"));
    mid->setText(midText);
    right = new ZPushButton(rightResource, this, 5);
    right->setObjectName(QStringLiteral("cstRightBtn"));
    resize(ZGlobal::getCstR().size());
}

void UTIL_CST::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange)
        return;
    if (ZResource::isText(leftResource))
        left->setText(ZResource::text(leftResource));
    if (ZResource::isText(rightResource))
        right->setText(ZResource::text(rightResource));
}

void UTIL_CST::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QRect bar = ZGlobal::getCstR();
    left->setGeometry(ZGlobal::diffRect(bar, ZGlobal::getCst3_1R()));
    mid->setGeometry(ZGlobal::diffRect(bar, ZGlobal::getCst3_2R()));
    right->setGeometry(ZGlobal::diffRect(bar, ZGlobal::getCst3_3R()));
}
