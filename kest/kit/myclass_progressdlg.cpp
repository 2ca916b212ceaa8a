// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_progressdlg.h"

#include "myclass_zwidget.h"
#include "softkeys.h"
#include "zpushbutton.h"
#include "zscrollview.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>

namespace {

constexpr int boxWidth = 224;
constexpr int minBoxHeight = 50;
constexpr int centreLine = 160;
constexpr int labelMinWidth = 218;
constexpr int lineHeight = 16;
constexpr int keyHeight = 22;

// Caption defaults as GB2312 bytes, decoded by readLabCap.
// 取消
const char cancelCaption[] = "\xC8\xA1\xCF\xFB";
// 正在取消...
const char cancellingText[] = "\xD5\xFD\xD4\xDA\xC8\xA1\xCF\xFB...";
// 剩余 %1
const char timeLeftText[] = "\xCA\xA3\xD3\xE0 %1";

// Styled chunks make the busy bar a run of blocks moving along, not a full bar; a bar that
// knows the share is one solid chunk.
const char busyStyle[] =
    "QProgressBar { border: 1px solid #8ea3c4; border-radius: 2px; background: #eef1f6; }"
    "QProgressBar::chunk { background: #3b6fb6; width: 8px; margin: 1px; }";
const char shareStyle[] =
    "QProgressBar { border: 1px solid #8ea3c4; border-radius: 2px; background: #eef1f6; }"
    "QProgressBar::chunk { background: #3b6fb6; }";

// A bar that knows the share carries a glint that runs along its filled part while the work
// goes on, so that a job which is slow (a disk that stalls, a tool between two files) still
// looks alive, and one whose box stopped being drawn looks hung.
class GlintBar : public QProgressBar
{
public:
    using QProgressBar::QProgressBar;

    // Where the glint is: ms of a run that crosses the filled part every periodMs.
    void setGlint(qint64 ms)
    {
        const int phase = int(ms % periodMs);
        if (phase != glint && maximum() > 0 && value() > 0) {
            glint = phase;
            update();
        }
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QProgressBar::paintEvent(event);
        if (maximum() <= 0 || value() <= 0)
            return;
        const QRect inside = rect().adjusted(1, 1, -1, -1);
        const int filled = int(qint64(inside.width()) * value() / maximum());
        const int centre = inside.left() + filled * glint / periodMs;
        QLinearGradient shine(centre - glintWidth, 0, centre + glintWidth, 0);
        shine.setColorAt(0, QColor(255, 255, 255, 0));
        shine.setColorAt(0.5, QColor(255, 255, 255, 110));
        shine.setColorAt(1, QColor(255, 255, 255, 0));
        QPainter painter(this);
        painter.fillRect(QRect(inside.left(), inside.top(), filled, inside.height()), shine);
    }

private:
    static constexpr int periodMs = 1200;
    static constexpr int glintWidth = 12;
    int glint = 0;
};

QString gb(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

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
    // The box comes up as it will stay, bar and Cancel key included: the first look at the
    // work would otherwise make it grow under the user's eyes.
    if (!busyBar)
        addBusyLine();
    show();
    shownFor.start();
    QCoreApplication::processEvents();
}

QString MyClass_ProgressDlg::clockText(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

qint64 MyClass_ProgressDlg::secondsLeft(qint64 elapsedMs, double fraction)
{
    // The first second and the first percent say little about the rest.
    if (elapsedMs < 1000 || fraction < 0.01)
        return -1;
    if (fraction >= 1)
        return 0;
    return qint64(double(elapsedMs) * (1 - fraction) / fraction / 1000 + 0.5);
}

void MyClass_ProgressDlg::keepAlive()
{
    if (!busyBar)
        addBusyLine();
    const qint64 elapsedMs = shownFor.isValid() ? shownFor.elapsed() : 0;
    // Labels are set only when their text changes: each change costs a repaint.
    const QString elapsedText = clockText(elapsedMs / 1000);
    if (elapsedLabel->text() != elapsedText)
        elapsedLabel->setText(elapsedText);
    const qint64 left = secondsLeft(elapsedMs - jobStartedAt, fraction);
    const QString leftText =
        left < 0 ? QString() : QString(timeLeftCaption).replace(QLatin1String("%1"), clockText(left));
    if (leftLabel->text() != leftText)
        leftLabel->setText(leftText);
    static_cast<GlintBar *>(busyBar)->setGlint(elapsedMs);
    QCoreApplication::processEvents();
}

void MyClass_ProgressDlg::setProgress(double value)
{
    if (!busyBar)
        addBusyLine();
    const qint64 now = shownFor.isValid() ? shownFor.elapsed() : 0;
    // Nothing read yet says no more than nothing known: the bar stays busy (and moving).
    if (value <= 0) {
        if (fraction >= 0)
            unknownSince = now;
        fraction = shown = -1;
        if (busyBar->maximum() != 0) {
            busyBar->setRange(0, 0);
            busyBar->setStyleSheet(QString::fromLatin1(busyStyle));
        }
        percentLabel->clear();
        return;
    }
    if (value != fraction) {
        if (fraction < 0)
            jobStartedAt = unknownSince;
        else if (value < fraction)
            jobStartedAt = measuredAt;
        if (fraction < 0 && now > unknownSince) {
            // The first measurement: the work began about when the bar turned busy.
            pace = value / double(now - unknownSince);
            paceSpan = qMin<qint64>(now - unknownSince, 200);
        } else {
            const bool onwards = value > fraction && now > measuredAt;
            pace = onwards ? (value - fraction) / double(now - measuredAt) : 0;
            paceSpan = onwards ? now - measuredAt : 0;
        }
        // A new job of the same operation starts again from its own beginning.
        if (value < fraction)
            shown = value;
        fraction = value;
        measuredAt = now;
    }
    const double ahead = pace * double(qMin(now - measuredAt, paceSpan));
    const double estimate = qMin(1.0, fraction + ahead);
    // The bar eases towards the estimate, a third of the way on each look: it moves on every
    // look while the work goes on, instead of jumping at each measurement and then waiting.
    double next = qMax(shown, 0.0);
    next += (estimate - next) / 3;
    if (estimate - next < 0.002)
        next = estimate;
    showShare(qMax(shown, next), estimate);
}

// The bar at share and the percentage of the estimate; the bar is repainted whenever its
// value changes, not only when a whole block of it does, so that the box is seen to move.
void MyClass_ProgressDlg::showShare(double share, double estimate)
{
    shown = share;
    const int permille = qBound(0, int(share * 1000), 1000);
    if (busyBar->maximum() == 0) {
        busyBar->setRange(0, 1000);
        busyBar->setStyleSheet(QString::fromLatin1(shareStyle));
    }
    if (busyBar->value() != permille) {
        busyBar->setValue(permille);
        busyBar->update();
    }
    const QString percent = QString::number(qBound(0, int(estimate * 100), 100)) + QLatin1Char('%');
    if (percentLabel->text() != percent)
        percentLabel->setText(percent);
}

void MyClass_ProgressDlg::cancel()
{
    if (cancelled)
        return;
    cancelled = true;
    pCancelBtn->setEnabled(false);
    setDisplayInfo(QStringLiteral("Dlg_Progress_Info4"), gb(cancellingText));
}

// Under the message: the bar and the share done, the time taken and left, and the Cancel key.
// A one-line message leaves room for the bar; the box grows for the rest, still centred on
// its line.
void MyClass_ProgressDlg::addBusyLine()
{
    const int top = pLabel1->y() + pLabel1->height() + 4;
    busyBar = new GlintBar(this);
    busyBar->setObjectName(QStringLiteral("busyBar"));
    busyBar->setRange(0, 0);
    busyBar->setTextVisible(false);
    busyBar->setStyleSheet(QString::fromLatin1(busyStyle));
    busyBar->setGeometry(10, top + 3, 160, lineHeight - 6);
    busyBar->show();
    percentLabel = new QLabel(this);
    percentLabel->setObjectName(QStringLiteral("percentLabel"));
    percentLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    percentLabel->setGeometry(172, top, 42, lineHeight);
    percentLabel->show();

    const int second = top + lineHeight + 2;
    elapsedLabel = new QLabel(this);
    elapsedLabel->setObjectName(QStringLiteral("elapsedLabel"));
    elapsedLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    elapsedLabel->setGeometry(10, second + 3, 40, lineHeight);
    elapsedLabel->show();
    // Looked up once: the box is looked at fifty times a second.
    timeLeftCaption = readLabCap(QStringLiteral("Dlg_Progress_Info3"), gb(timeLeftText));
    leftLabel = new QLabel(this);
    leftLabel->setObjectName(QStringLiteral("leftLabel"));
    leftLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    leftLabel->setGeometry(50, second + 3, 96, lineHeight);
    leftLabel->show();
    // The right soft key of the phone's boxes, in the box's own corner; soft keys are drawn
    // for the dark soft-key bar, so it brings a piece of that bar with it.
    pCancelBtn = new ZPushButton(this, "progressCancel", 5);
    pCancelBtn->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: #1d3f73; border: none; border-radius: 3px;"
                       " font-weight: bold; padding: 0 6px; }"
                       "QPushButton:pressed { background: #3b6fb6; }"
                       "QPushButton:disabled { color: #eef1f6; background: #8ea3c4; }"));
    pCancelBtn->setText(readLabCap(QStringLiteral("Dlg_Progress_Button1"), gb(cancelCaption)));
    pCancelBtn->setGeometry(148, second, 66, keyHeight);
    pCancelBtn->setFocusPolicy(Qt::NoFocus);
    pCancelBtn->show();
    connect(pCancelBtn, &QPushButton::clicked, this, &MyClass_ProgressDlg::cancel);

    const int needed = second + keyHeight + 6;
    if (needed > height()) {
        const QRect box = boxGeometry(needed - 10);
        resize(box.size());
        movePhone(box.topLeft());
    }
}

void MyClass_ProgressDlg::keyPressEvent(QKeyEvent *event)
{
    if (softKeyFor(event) == SoftKey::Right && !event->isAutoRepeat() && pCancelBtn)
        pressSoftKey(pCancelBtn);
    event->accept();
}

void MyClass_ProgressDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
}
