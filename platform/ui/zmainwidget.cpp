// SPDX-License-Identifier: GPL-2.0-or-later
#include "zmainwidget.h"

#include "softkeys.h"
#include "zscrollview.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

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
    if (!parent || isWindow()) {
        setFixedSize(ZGlobal::screenWidth, ZGlobal::screenHeight);
        // A phone screen cannot grow: no maximise button, whatever the window manager makes of
        // the fixed size.
        setWindowFlags((windowFlags() & ~Qt::WindowMaximizeButtonHint) | Qt::CustomizeWindowHint
                       | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                       | Qt::WindowCloseButtonHint);
    }
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

void ZMainWidget::keyPressEvent(QKeyEvent *event)
{
    // Only what the focused widget left alone arrives here. An embedded main widget leaves the
    // keys to the dialog that holds it.
    const SoftKey key = softKeyFor(event);
    if (!isWindow() || key == SoftKey::None) {
        QWidget::keyPressEvent(event);
        return;
    }
    // A held key repeats: only its first press acts, so that one press never also answers the
    // box it opened.
    if (!event->isAutoRepeat())
        pressSoftKey(findSoftKey(this, key));
    event->accept();
}

void ZMainWidget::closeEvent(QCloseEvent *event)
{
    // Only the window manager's close is spontaneous; close() from the program closes.
    if (!isWindow() || !event->spontaneous() || !findSoftKey(this, SoftKey::Right)) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    // After the window system's close has been handled: the key may open a modal box. A second
    // close before then asks nothing more.
    if (closePending)
        return;
    closePending = true;
    QTimer::singleShot(0, this, [this] {
        closePending = false;
        requestClose();
    });
}

void ZMainWidget::requestClose()
{
    QAbstractButton *key = findSoftKey(this, SoftKey::Right);
    if (key)
        pressSoftKey(key);
    else
        close();
}
