// SPDX-License-Identifier: GPL-2.0-or-later
#include "zmainwidget.h"

#include "zscrollview.h"

#include <QLabel>

namespace {

void styleTitle(QLabel *label)
{
    label->setIndent(6);
    label->setStyleSheet(QStringLiteral(
        "QLabel { color: white; font-weight: bold;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3b6fb6, stop:1 #1d3f73); }"));
}

QLabel *makeTitleLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("titleLabel"));
    label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    styleTitle(label);
    return label;
}

}  // namespace

ZMainWidget::ZMainWidget(bool, QWidget *parent, const char *name, WFlags flags)
    : QWidget(parent, toQtWindowFlags(flags))
{
    init(parent, name, flags);
}

ZMainWidget::ZMainWidget(QWidget *parent, const char *name, WFlags flags)
    : QWidget(parent, toQtWindowFlags(flags))
{
    init(parent, name, flags);
}

ZMainWidget::ZMainWidget(const QString &title, bool, QWidget *parent, const char *name, WFlags flags)
    : QWidget(parent, toQtWindowFlags(flags))
{
    init(parent, name, flags);
    setTitle(title);
}

ZMainWidget::~ZMainWidget() = default;

void ZMainWidget::init(QWidget *parent, const char *name, WFlags)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    if (!parent || isWindow())
        setFixedSize(ZGlobal::screenWidth, ZGlobal::screenHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void ZMainWidget::setTitle(const QString &title)
{
    setWindowTitle(title);
    if (!titleBar) {
        titleLabel = makeTitleLabel(this);
        titleBar = titleLabel;
        titleBar->show();
    }
    if (titleLabel)
        titleLabel->setText(title);
    layoutAreas();
}

QString ZMainWidget::title() const
{
    return windowTitle();
}

void ZMainWidget::setTitleBarWidget(QWidget *w)
{
    if (titleBar && titleBar != w && titleBar == titleLabel) {
        delete titleLabel;
        titleLabel = nullptr;
    }
    titleBar = w;
    if (w) {
        w->setParent(this);
        if (auto *label = qobject_cast<QLabel *>(w))
            styleTitle(label);
        w->show();
    }
    layoutAreas();
}

QWidget *ZMainWidget::getTitleBarWidget() const
{
    return titleBar;
}

ZScrollView *ZMainWidget::getContentWidget(bool create)
{
    if (!scrollContent && create) {
        scrollContent = new ZScrollView(this, "contentView");
        setContentWidget(scrollContent);
    }
    return scrollContent;
}

void ZMainWidget::setContentWidget(QWidget *w)
{
    content = w;
    if (w) {
        w->setParent(this);
        w->show();
    }
    layoutAreas();
}

QWidget *ZMainWidget::contentWidget() const
{
    return content;
}

QWidget *ZMainWidget::getCSTWidget(bool create)
{
    if (!cst && create) {
        auto *bar = new QWidget(this);
        bar->setObjectName(QStringLiteral("cstArea"));
        setCSTWidget(bar);
    }
    return cst;
}

void ZMainWidget::setCSTWidget(QWidget *w)
{
    cst = w;
    if (w) {
        w->setParent(this);
        w->setAutoFillBackground(true);
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, QColor(0x20, 0x24, 0x2c));
        w->setPalette(pal);
        w->show();
    }
    layoutAreas();
}

void ZMainWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutAreas();
}

void ZMainWidget::layoutAreas()
{
    int top = 0, bottom = height();
    if (titleBar) {
        const int h = qMin(ZGlobal::titleHeight, height());
        titleBar->setGeometry(0, 0, width(), h);
        top = h;
    }
    if (cst) {
        const int h = qMin(ZGlobal::cstHeight, height() - top);
        cst->setGeometry(0, height() - h, width(), h);
        bottom = height() - h;
    }
    if (content)
        content->setGeometry(0, top, width(), qMax(0, bottom - top));
}
