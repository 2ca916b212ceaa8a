// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zglobal.h"

#include <QDialog>

// The phone's dialog base. Geometry is given in phone screen coordinates (ZGlobal); when the
// dialog is shown it is put at that place on the phone screen of the window it belongs to.
class ZBaseDialog : public QDialog
{
    Q_OBJECT
public:
    ZBaseDialog(QWidget *parent = nullptr, const char *name = nullptr, int modal = 0, WFlags flags = 0);

    // The geometry in phone screen coordinates.
    QRect phoneGeometry() const;

protected:
    // Moves to a phone screen position, also after the dialog has been shown.
    void movePhone(const QPoint &phonePos) { move(phonePos + shownOrigin); }
    void showEvent(QShowEvent *event) override;

private:
    QPoint shownOrigin;  // where the phone screen was when last shown
};
