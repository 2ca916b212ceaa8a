// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_progressdlg.h"

#include "myclass_zwidget.h"
#include "zscrollview.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

namespace {

constexpr int boxWidth = 224;
constexpr int minBoxHeight = 50;
constexpr int centreLine = 160;
constexpr int labelMinWidth = 218;
constexpr int busyLineHeight = 14;

}  // namespace

MyClass_ProgressDlg::MyClass_ProgressDlg(const QString &captionKey, const QString &defaultText,
                                         QWidget *parent, const char *name, int modal, WFlags flags,
                                         Dlg_Size dlgSize)
    : MyClass_Dlg(parent, name, modal, flags, dlgSize)
{
    setStyleSheet(QStringLiteral("MyClass_ProgressDlg { background: white; border: 2px solid #1d3f73; }"));
    // A waiting box has nothing to scroll and no soft keys: those areas would only cover
    // its frame.
    contentArea()->hide();
    cstArea()->hide();
    initComponent(captionKey, defaultText);
}

MyClass_ProgressDlg::~MyClass_ProgressDlg() = default;

QRect MyClass_ProgressDlg::boxGeometry(int labelHeight)
{
    const int height = qMax(minBoxHeight, labelHeight + 10);
    return QRect(8, centreLine - height / 2, boxWidth, height);
}

void MyClass_ProgressDlg::initComponent(const QString &captionKey, const QString &defaultText)
{
    pLabel1 = new QLabel(this);
    pLabel1->setObjectName(QStringLiteral("pLabel1"));
    pLabel1->move(2, 10);
    fitLabel();
    if (pLabel1->width() <= 219)
        pLabel1->setMinimumWidth(labelMinWidth);
    pLabel1->setText(readLabCap(captionKey, defaultText));
    pLabel1->setAlignment(Qt::AlignCenter);
    pLabel1->setWordWrap(true);
    fitLabel();
    setGeometry(boxGeometry(pLabel1->height()));
}

// The label follows its text: as wide as it needs (at least its minimum), as high as the
// wrapped text.
void MyClass_ProgressDlg::fitLabel()
{
    const int width = qMax(pLabel1->minimumWidth(), pLabel1->wordWrap() ? 0 : pLabel1->sizeHint().width());
    const int height = pLabel1->wordWrap() ? pLabel1->heightForWidth(width) : pLabel1->sizeHint().height();
    pLabel1->resize(width, height);
}

void MyClass_ProgressDlg::setDisplayInfo(const QString &captionKey, const QString &defaultText)
{
    pLabel1->setText(readLabCap(captionKey, defaultText));
    fitLabel();
    update();
    QCoreApplication::processEvents();
}

void MyClass_ProgressDlg::setDisplayInfo(const QString &text)
{
    setDisplayInfo(QString(), text);
}

void MyClass_ProgressDlg::showProgressDlg()
{
    show();
    shownFor.start();
    QCoreApplication::processEvents();
}

void MyClass_ProgressDlg::keepAlive()
{
    if (!busyBar)
        addBusyLine();
    const qint64 seconds = shownFor.isValid() ? shownFor.elapsed() / 1000 : 0;
    elapsedLabel->setText(
        QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')));
    QCoreApplication::processEvents();
}

// Under the message: a busy bar and the time taken so far. A one-line message leaves room for
// them; a longer one makes the box grow, still centred on its line.
void MyClass_ProgressDlg::addBusyLine()
{
    const int top = pLabel1->y() + pLabel1->height() + 4;
    busyBar = new QProgressBar(this);
    busyBar->setObjectName(QStringLiteral("busyBar"));
    busyBar->setRange(0, 0);
    busyBar->setTextVisible(false);
    // Styled chunks make the busy bar a run of blocks moving along, not a full bar.
    busyBar->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid #8ea3c4; border-radius: 2px; background: #eef1f6; }"
                       "QProgressBar::chunk { background: #3b6fb6; width: 8px; margin: 1px; }"));
    busyBar->setGeometry(14, top + 2, 150, busyLineHeight - 4);
    busyBar->show();
    elapsedLabel = new QLabel(this);
    elapsedLabel->setObjectName(QStringLiteral("elapsedLabel"));
    elapsedLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    elapsedLabel->setGeometry(168, top, 44, busyLineHeight);
    elapsedLabel->show();

    const int needed = top + busyLineHeight + 6;
    if (needed > height()) {
        const QRect box = boxGeometry(needed - 10);
        resize(box.size());
        movePhone(box.topLeft());
    }
}

void MyClass_ProgressDlg::keyPressEvent(QKeyEvent *event)
{
    event->accept();
}

void MyClass_ProgressDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
}
