// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "softkeys.h"
#include "zglobal.h"

#include <QDialog>
#include <QSet>

class QAbstractButton;

// The phone's dialog base. Geometry is given in phone screen coordinates (ZGlobal); when the
// dialog is shown it is put at that place on the phone screen of the window it belongs to.
//
// F1, F2 and F3 (Menu and Escape too) press the dialog's soft keys; Return and Enter are the
// focused button's, as in any dialog. A key already held when the dialog came up does not act
// in it by repeating: the press that opened a box never also answers it.
class ZBaseDialog : public QDialog
{
    Q_OBJECT
public:
    ZBaseDialog(QWidget *parent = nullptr, const char *name = nullptr, int modal = 0, WFlags flags = 0);

    // The geometry in phone screen coordinates.
    QRect phoneGeometry() const;

    // The button that a soft key presses; by default the dialog's own soft-key push buttons.
    virtual QAbstractButton *softKey(SoftKey key) const;

protected:
    // Moves to a phone screen position, also after the dialog has been shown.
    void movePhone(const QPoint &phonePos) { move(phonePos + shownOrigin); }
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPoint shownOrigin;     // where the phone screen was when last shown
    QSet<int> pressedHere;  // keys first pressed while the dialog was up
};
