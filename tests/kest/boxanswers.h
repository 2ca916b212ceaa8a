// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "zmessagebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

// Answers Kest's message boxes in turn as they come up, whatever else is on screen (the
// progress box stays up under the result box), and keeps their texts. A box beyond the
// given answers is closed and kept in `unexpected`.
class BoxAnswers : public QObject
{
public:
    explicit BoxAnswers(QList<int> answers = {}) : answers(std::move(answers))
    {
        connect(&poll, &QTimer::timeout, this, [this] { look(); });
        poll.start(5);
    }

    QStringList texts;       // the answered boxes, in order
    QStringList unexpected;  // boxes nobody asked for
    bool allAnswered() const { return next == answers.size(); }

private:
    void look()
    {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<ZMessageBox *>(top);
            if (!box || !box->isVisible() || box == last)
                continue;
            last = box;
            if (next >= answers.size()) {
                unexpected.append(box->text());
                box->reject();
                return;
            }
            texts.append(box->text());
            const int answer = answers.at(next++);
            if (answer < 0)
                box->reject();
            else if (QPushButton *button = box->button(answer))
                button->click();
            return;
        }
    }

    QList<int> answers;
    int next = 0;
    QPointer<ZMessageBox> last;
    QTimer poll;
};
