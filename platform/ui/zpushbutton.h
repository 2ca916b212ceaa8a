// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QPointer>
#include <QPushButton>

#include "zglobal.h"

class PopupMenu;

// The phone's push button. A resource name gives it its caption ("CST_Menu", "CST_Exit") or
// its icon ("InSet_Picker_Folder"). Styles: 0 an ordinary button; 4 and 7 the middle soft
// key; 5 the right one; 6 the left one, which usually opens a menu. A button given a popup
// opens it above itself when clicked (and still emits clicked()). Soft keys never take the
// focus; an ordinary button does, by Tab, and is pressed by Return, Enter or Space.
class ZPushButton : public QPushButton
{
    Q_OBJECT
public:
    ZPushButton(const QString &resource, QWidget *parent, int style = 0, int width = -1, int height = -1);
    ZPushButton(QWidget *parent, const char *name = nullptr, int style = 0, int width = -1, int height = -1);

    void setPopup(PopupMenu *menu);
    PopupMenu *popup() const;
    int style() const { return buttonStyle; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void openPopup();

private:
    void applyStyle(int width, int height);

    int buttonStyle;
    QPointer<PopupMenu> menu;
};
