// SPDX-License-Identifier: GPL-2.0-or-later
#include "zmessagebox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ZMessageBox::ZMessageBox(QWidget *parent, const QPixmap &icon, const QString &text, const QString &button0,
                         const QString &button1, const QString &button2, int)
    : ZBaseDialog(parent, "ZMessageBox", 1)
{
    setStyleSheet(QStringLiteral("ZMessageBox { background: white; border: 2px solid #1d3f73; }"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 10, 8, 0);
    outer->setSpacing(8);

    auto *body = new QHBoxLayout;
    iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("msgIcon"));
    iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    if (!icon.isNull())
        iconLabel->setPixmap(icon.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    iconLabel->setVisible(!icon.isNull());
    textLabel = new QLabel(text, this);
    textLabel->setObjectName(QStringLiteral("msgText"));
    textLabel->setWordWrap(true);
    textLabel->setTextFormat(Qt::PlainText);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    body->addWidget(iconLabel);
    body->addWidget(textLabel, 1);
    outer->addLayout(body, 1);

    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("msgButtons"));
    bar->setStyleSheet(
        QStringLiteral("QWidget#msgButtons { background: #20242c; }"
                       "QPushButton { color: white; border: none; font-weight: bold; min-height: 26px; }"
                       "QPushButton:pressed, QPushButton:focus { background: #3b6fb6; }"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 2, 0, 2);
    row->setSpacing(0);
    const QString captions[3] = {button0, button1, button2};
    for (int i = 0; i < 3; ++i) {
        if (captions[i].isNull()) {
            buttons[i] = nullptr;
            continue;
        }
        buttons[i] = new QPushButton(captions[i], bar);
        buttons[i]->setObjectName(QStringLiteral("msgButton%1").arg(i));
        buttons[i]->setFlat(true);
        row->addWidget(buttons[i], 1);
        connect(buttons[i], &QPushButton::clicked, this, [this, i] { done(i); });
    }
    outer->addSpacing(2);
    outer->addWidget(bar);
    outer->setContentsMargins(2, 10, 2, 2);
    body->setContentsMargins(6, 0, 6, 0);
    if (buttons[0])
        buttons[0]->setDefault(true);
}

int ZMessageBox::information(QWidget *parent, const QPixmap &icon, const QString &text,
                             const QString &button0, const QString &button1, const QString &button2, int type)
{
    ZMessageBox box(parent, icon, text, button0, button1, button2, type);
    return box.exec();
}

void ZMessageBox::setText(const QString &text)
{
    textLabel->setText(text);
}

QString ZMessageBox::text() const
{
    return textLabel->text();
}

void ZMessageBox::setButtonText(int which, const QString &text)
{
    if (which >= 1 && which <= 3 && buttons[which - 1])
        buttons[which - 1]->setText(text);
}

QString ZMessageBox::buttonText(int which) const
{
    if (which >= 1 && which <= 3 && buttons[which - 1])
        return buttons[which - 1]->text();
    return QString();
}

QPushButton *ZMessageBox::button(int index) const
{
    return index >= 0 && index < 3 ? buttons[index] : nullptr;
}

int ZMessageBox::exec()
{
    setResult(-1);
    return QDialog::exec();
}

QAbstractButton *ZMessageBox::softKey(SoftKey key) const
{
    QList<QPushButton *> shown;
    for (QPushButton *b : buttons)
        if (b)
            shown.append(b);
    if (shown.isEmpty())
        return nullptr;
    switch (key) {
    case SoftKey::Left: return shown.size() > 1 ? shown.first() : nullptr;
    case SoftKey::Right: return shown.size() > 1 ? shown.last() : nullptr;
    case SoftKey::Middle:
        if (shown.size() == 2) {
            for (QPushButton *b : shown)
                if (b->hasFocus())
                    return b;
            return shown.first();
        }
        return shown.at(shown.size() / 2);
    case SoftKey::None: break;
    }
    return nullptr;
}

void ZMessageBox::reject()
{
    done(-1);
}

void ZMessageBox::showEvent(QShowEvent *event)
{
    fitToScreen();
    ZBaseDialog::showEvent(event);
}

// As wide as the phone screen less a margin, as high as the text needs, centred on the
// screen's middle line.
void ZMessageBox::fitToScreen()
{
    const int width = ZGlobal::screenWidth - 16;
    setFixedWidth(width);
    const int height = qBound(90, heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height(),
                              ZGlobal::screenHeight - 20);
    setFixedHeight(height);
    movePhone(QPoint(8, ZGlobal::screenHeight / 2 - height / 2));
}
