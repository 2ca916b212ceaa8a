// SPDX-License-Identifier: GPL-2.0-or-later
#include "myclass_passworddlg.h"

#include "myclass_zwidget.h"
#include "zglobal.h"
#include "zpushbutton.h"
#include "zscrollview.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

namespace {

// Caption defaults as GB2312 bytes: readLabCap decodes them with the GB2312 codec, and a
// language file gets the decoded text.

// 输入密码
const char title[] = "\xCA\xE4\xC8\xEB\xC3\xDC\xC2\xEB";
// 此压缩包需要密码：
const char prompt[] = "\xB4\xCB\xD1\xB9\xCB\xF5\xB0\xFC\xD0\xE8\xD2\xAA\xC3\xDC\xC2\xEB\xA3\xBA";
// 确定
const char ok[] = "\xC8\xB7\xB6\xA8";
// 取消
const char cancel[] = "\xC8\xA1\xCF\xFB";

QString gb(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

}  // namespace

MyClass_PasswordDlg::MyClass_PasswordDlg(const QString &archiveName, QWidget *parent, const char *name)
    : MyClass_Dlg(QStringLiteral("Dlg_Password_Title1"), gb(title), parent, name, 1, 0, Dlg_Small)
{
    QWidget *view = contentArea()->viewport();
    pLabel1 = new QLabel(view);
    pLabel1->setObjectName(QStringLiteral("pLabel1"));
    pLabel1->setWordWrap(true);
    const int width = contentArea()->width() - 8;
    const QString shownName = QFontMetrics(pLabel1->font()).elidedText(archiveName, Qt::ElideMiddle, width);
    pLabel1->setText(readLabCap(QStringLiteral("Dlg_Password_Info1"), gb(prompt)) + QLatin1Char('\n')
                     + shownName);
    pLabel1->setGeometry(4, 4, width, pLabel1->heightForWidth(width));

    pPasswordEdit = new QLineEdit(view);
    pPasswordEdit->setObjectName(QStringLiteral("passwordField"));
    pPasswordEdit->setEchoMode(QLineEdit::Password);
    pPasswordEdit->setGeometry(4, pLabel1->y() + pLabel1->height() + 4, width,
                               pPasswordEdit->sizeHint().height());
    pPasswordEdit->setFocus();

    // OK on the left soft key, Cancel on the right, as the phone's own boxes have them.
    QWidget *keys = cstArea();
    pOkBtn = new ZPushButton(keys, "pOkBtn", 6);
    pOkBtn->setText(readLabCap(QStringLiteral("Dlg_Password_Button1"), gb(ok)));
    pCancelBtn = new ZPushButton(keys, "pCancelBtn", 5);
    pCancelBtn->setText(readLabCap(QStringLiteral("Dlg_Password_Button2"), gb(cancel)));
    const int half = keys->width() / 2;
    pOkBtn->setGeometry(0, 0, half, keys->height());
    pCancelBtn->setGeometry(half, 0, keys->width() - half, keys->height());
    connect(pOkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(pCancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(pPasswordEdit, &QLineEdit::returnPressed, this, &QDialog::accept);
}

MyClass_PasswordDlg::~MyClass_PasswordDlg() = default;

QString MyClass_PasswordDlg::password() const
{
    return pPasswordEdit->text();
}
