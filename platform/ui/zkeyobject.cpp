// SPDX-License-Identifier: GPL-2.0-or-later
#include "zkeyobject.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {
constexpr int phoneSpecialBase = 0x1000;
constexpr int qtSpecialBase = 0x01000000;
constexpr int phoneReturn = 0x1004;
constexpr int phoneEnter = 0x1005;
}

ZKeyObjectBase::ZKeyObjectBase(QWidget *w, QObject *parent) : QObject(parent), window(w)
{
    qApp->installEventFilter(this);
}

ZKeyObjectBase::~ZKeyObjectBase()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void ZKeyObjectBase::addKey(int code, bool autoRepeat)
{
    codes.insert(code);
    if (autoRepeat)
        repeating.insert(code);
    else
        repeating.remove(code);
}

void ZKeyObjectBase::removeKey(int code)
{
    codes.remove(code);
    repeating.remove(code);
}

int ZKeyObjectBase::toQtKey(int phoneCode)
{
    if (phoneCode >= phoneSpecialBase && phoneCode < phoneSpecialBase + 0x100)
        return qtSpecialBase + (phoneCode - phoneSpecialBase);
    return phoneCode;
}

int ZKeyObjectBase::toPhoneCode(int qtKey)
{
    if (qtKey >= qtSpecialBase && qtKey < qtSpecialBase + 0x100)
        return phoneSpecialBase + (qtKey - qtSpecialBase);
    return qtKey;
}

bool ZKeyObjectBase::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !window || !watched->isWidgetType())
        return false;
    auto *target = static_cast<QWidget *>(watched);
    if (target->window() != window->window())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    int code = toPhoneCode(key->key());
    // The keypad's Enter is the same select key as Return.
    if (code == phoneEnter && !codes.contains(phoneEnter))
        code = phoneReturn;
    if (!codes.contains(code))
        return false;
    if (key->isAutoRepeat() && !repeating.contains(code))
        return true;
    emit keyPressed(code);
    return true;
}

ZKeyObject::ZKeyObject(QWidget *window, QObject *parent, const char *name) : ZKeyObjectBase(window, parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}
