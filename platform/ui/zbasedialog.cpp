// SPDX-License-Identifier: GPL-2.0-or-later
#include "zbasedialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

ZBaseDialog::ZBaseDialog(QWidget *parent, const char *name, int modal, WFlags) : QDialog(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(modal != 0);
    setWindowFlag(Qt::FramelessWindowHint, true);
}

QRect ZBaseDialog::phoneGeometry() const
{
    return geometry().translated(-shownOrigin);
}

QAbstractButton *ZBaseDialog::softKey(SoftKey key) const
{
    return findSoftKey(this, key);
}

void ZBaseDialog::showEvent(QShowEvent *event)
{
    // Until it is shown, the dialog's position is a phone position; from then on it sits on
    // the desktop, shifted by where the phone screen is.
    const QPoint origin = ZGlobal::screenOrigin(parentWidget());
    if (origin != shownOrigin) {
        move(pos() - shownOrigin + origin);
        shownOrigin = origin;
    }
    pressedHere.clear();
    // Key events reach the focused button before the dialog: only an application filter sees
    // them all.
    qApp->installEventFilter(this);
    QDialog::showEvent(event);
}

void ZBaseDialog::hideEvent(QHideEvent *event)
{
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

bool ZBaseDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            pressedHere.insert(key->key());
        else if (!pressedHere.contains(key->key()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ZBaseDialog::keyPressEvent(QKeyEvent *event)
{
    const SoftKey which = softKeyFor(event);
    if (which == SoftKey::None || isReturnKey(event)) {
        QDialog::keyPressEvent(event);
        return;
    }
    QAbstractButton *key = softKey(which);
    if (!key) {
        // Escape without a right key still closes the dialog without a choice.
        QDialog::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        pressSoftKey(key);
    event->accept();
}
