// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QWidget>

class ZPushButton;

// The soft-key bar: left, middle and right keys side by side. The side keys take their
// captions from resources ("CST_Menu", "CST_Exit"), again whenever the program's language
// changes (ZResource::setLanguage); the middle one shows its text.
class UTIL_CST : public QWidget
{
    Q_OBJECT
public:
    UTIL_CST(QWidget *parent, const QString &midText,
             const QString &leftResource = QStringLiteral("CST_Menu"),
             const QString &rightResource = QStringLiteral("CST_Exit"));

    ZPushButton *getLeftBtn() const { return left; }
    ZPushButton *getMidBtn() const { return mid; }
    ZPushButton *getRightBtn() const { return right; }

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QString leftResource;
    QString rightResource;
    ZPushButton *left;
    ZPushButton *mid;
    ZPushButton *right;
};
