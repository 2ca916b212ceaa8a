// SPDX-License-Identifier: GPL-2.0-or-later
#include "modal.h"

#include "zmessagebox.h"
#include "zpickers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QtTest/qtestspontaneevent.h>
#include <memory>

namespace {
int timeouts = 0;
}

int modalTimeouts()
{
    return timeouts;
}

void whenModal(std::function<void(QWidget *)> action, int timeoutMs)
{
    auto timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, timeoutMs] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            ++timeouts;
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void answerMessageBox(int index, QString *text, QStringList *buttons)
{
    whenModal([index, text, buttons](QWidget *w) {
        auto *box = qobject_cast<ZMessageBox *>(w);
        if (!box) {
            ++timeouts;
            return;
        }
        if (text)
            *text = box->text();
        if (buttons) {
            buttons->clear();
            for (int i = 0; i < 3; ++i)
                if (QPushButton *b = box->button(i))
                    buttons->append(b->text());
        }
        if (index < 0)
            box->reject();
        else if (QPushButton *b = box->button(index))
            b->click();
    });
}

void answerPicker(const QStringList &paths)
{
    whenModal([paths](QWidget *w) {
        if (auto *open = qobject_cast<ZOpenDlg *>(w)) {
            if (paths.isEmpty()) {
                open->reject();
            } else {
                open->setSelection(paths);
                open->accept();
            }
        } else if (auto *folder = qobject_cast<ZSelectFolderDlg *>(w)) {
            if (paths.isEmpty()) {
                folder->reject();
            } else {
                folder->setSelected(paths.first());
                folder->accept();
            }
        } else {
            ++timeouts;
        }
    });
}

bool closeFromWindowManager(QWidget *window)
{
    // sendEvent() would take the spontaneity away.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    qApp->notify(window, &close);
    return close.isAccepted();
}
