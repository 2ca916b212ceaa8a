// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class MainWindow;
class PhoneTree;
class ZMessageBox;

// What the window tests share: made-up /proc entries for real processes, the rows of the
// window, and answering its message boxes.

QByteArray statLine(qint64 pid, qint64 startTime);

// A made-up /proc entry for a real process: the checks before a signal read this tree, the
// signal goes to the real id.
void listFake(const PhoneTree &phone, qint64 pid, const QByteArray &program, qint64 startTime);

QStringList rows(const MainWindow &window);

// "sleep 600", running; null when it could not be started.
std::unique_ptr<QProcess> startSleeper();
bool isRunning(QProcess &process);
bool endedBySignal9(QProcess &process);

// Lines as the box breaks them, put back together without the blanks that breaking drops.
QString unbroken(const QStringList &lines);

// "TEXT | BUTTON/BUTTON"
QString describe(ZMessageBox *box);

// Answers the question with button `answer` (-1: closes it) after running beforeAnswer, and
// records what it said; with `failure`, also expects and answers the failure box after it.
void answerQuestion(int answer, QString *question, QString *failure = nullptr,
                    std::function<void()> beforeAnswer = {});

// Each test starts in its own working folder with the icon in it and no launcher file...
void enterWorkFolder(const QTemporaryDir &folder);
// ...and ends with no box left open and no more unanswered waits for one than it expected.
void checkNoBoxLeft(int expectedTimeouts);
