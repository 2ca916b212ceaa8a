// SPDX-License-Identifier: GPL-2.0-or-later
#include "zbasedialog.h"

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

void ZBaseDialog::showEvent(QShowEvent *event)
{
    // Until it is shown, the dialog's position is a phone position; from then on it sits on
    // the desktop, shifted by where the phone screen is.
    const QPoint origin = ZGlobal::screenOrigin(parentWidget());
    if (origin != shownOrigin) {
        move(pos() - shownOrigin + origin);
        shownOrigin = origin;
    }
    QDialog::showEvent(event);
}
