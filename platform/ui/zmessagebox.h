// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zbasedialog.h"

#include <QPixmap>

class QLabel;
class QPushButton;

// The phone's message box: an optional icon, a text and up to three buttons along the bottom.
// A null caption means no such button (an empty one is a button without text). exec() and
// information() return the index of the chosen button (0, 1, 2), or -1 when the box was
// closed without a choice.
//
// Its buttons are its soft keys, as they stand: one button is the middle key; of two, the
// first is the left key and the second the right; of three, left, middle and right. With two,
// the middle key takes the highlighted one.
class ZMessageBox : public ZBaseDialog
{
    Q_OBJECT
public:
    ZMessageBox(QWidget *parent, const QPixmap &icon, const QString &text, const QString &button0,
                const QString &button1 = QString(), const QString &button2 = QString(), int type = 1);

    static int information(QWidget *parent, const QPixmap &icon, const QString &text, const QString &button0,
                           const QString &button1 = QString(), const QString &button2 = QString(),
                           int type = 2);

    void setText(const QString &text);
    QString text() const;
    // which: 1 for the first button, 2 for the second, 3 for the third.
    void setButtonText(int which, const QString &text);
    QString buttonText(int which) const;
    QPushButton *button(int index) const;  // 0-based; null when the box has no such button

    int exec() override;
    QAbstractButton *softKey(SoftKey key) const override;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitToScreen();

    QLabel *iconLabel;
    QLabel *textLabel;
    QPushButton *buttons[3];
};
