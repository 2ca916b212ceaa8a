// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QWidget;

// Watches a window for the phone's hardware keys. Keys are given in the phone's codes:
// 4100 Return (also the joystick's select), 4114 Left, 4116 Right, and generally 0x1000 plus
// the key's number among the special keys, or the character code for ordinary keys. A
// watched key pressed anywhere in the window is taken from the focused widget and reported
// as keyPressed(code).
class ZKeyObjectBase : public QObject
{
    Q_OBJECT
public:
    explicit ZKeyObjectBase(QWidget *window, QObject *parent = nullptr);
    ~ZKeyObjectBase() override;

    void addKey(int code, bool autoRepeat = false);
    void removeKey(int code);

    // The toolkit key for a phone key code, and back.
    static int toQtKey(int phoneCode);
    static int toPhoneCode(int qtKey);

signals:
    void keyPressed(int code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> window;
    QSet<int> codes;
    QSet<int> repeating;
};

class ZKeyObject : public ZKeyObjectBase
{
    Q_OBJECT
public:
    explicit ZKeyObject(QWidget *window, QObject *parent = nullptr, const char *name = nullptr);
};
