// SPDX-License-Identifier: GPL-2.0-or-later
#include "windowrig.h"

#include "mainwindow.h"
#include "zmessagebox.h"

#include "modal.h"
#include "phonetree.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <csignal>

QByteArray statLine(qint64 pid, qint64 startTime)
{
    return QStringLiteral("%1 (sleeper) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 %2 0 0\n")
        .arg(pid)
        .arg(startTime)
        .toLatin1();
}

void listFake(const PhoneTree &phone, qint64 pid, const QByteArray &program, qint64 startTime)
{
    phone.write(QStringLiteral("/proc/%1/cmdline").arg(pid), "/usr/bin/" + program + '\0');
    phone.write(QStringLiteral("/proc/%1/stat").arg(pid), statLine(pid, startTime));
}

QStringList rows(const MainWindow &window)
{
    QStringList texts;
    for (int i = 0; i < window.listBox->count(); ++i)
        texts << window.listBox->item(i)->text();
    return texts;
}

bool isRunning(QProcess &process)
{
    return process.state() == QProcess::Running && !process.waitForFinished(100);
}

bool endedBySignal9(QProcess &process)
{
    // QProcess reports a signal death as a crash; its exit code then holds the signal.
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::CrashExit
           && process.exitCode() == SIGKILL;
}

QString unbroken(const QStringList &lines)
{
    return lines.join(QString()).remove(QLatin1Char(' '));
}

QString describe(ZMessageBox *box)
{
    QStringList buttons;
    for (int i = 0; i < 3; ++i)
        if (QPushButton *b = box->button(i))
            buttons << b->text();
    return box->text() + QStringLiteral(" | ") + buttons.join(QLatin1Char('/'));
}

void answerQuestion(int answer, QString *question, QString *failure, std::function<void()> beforeAnswer)
{
    whenModal([=](QWidget *w) {
        auto *box = qobject_cast<ZMessageBox *>(w);
        if (!box)
            return;
        *question = describe(box);
        if (beforeAnswer)
            beforeAnswer();
        if (failure)
            whenModal([failure](QWidget *second) {
                if (auto *denied = qobject_cast<ZMessageBox *>(second)) {
                    *failure = describe(denied);
                    denied->button(0)->click();
                }
            });
        if (answer < 0)
            box->reject();
        else
            box->button(answer)->click();
    });
}

std::unique_ptr<QProcess> startSleeper()
{
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral("sleep"), {QStringLiteral("600")});
    if (!process->waitForStarted(5000))
        return nullptr;
    return process;
}

void enterWorkFolder(const QTemporaryDir &folder)
{
    QDir::setCurrent(folder.path());
    QFile::remove(QStringLiteral("applist.txt"));
    QVERIFY2(qEnvironmentVariableIsSet("EZX_TEST_SOURCE_DIR"), "run through ctest");
    QFile::copy(qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + QStringLiteral("/data/alert.png"),
                QStringLiteral("alert.png"));
}

void checkNoBoxLeft(int expectedTimeouts)
{
    QCOMPARE(modalTimeouts(), expectedTimeouts);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            QFAIL("a modal window was left open");
}
