// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainwindow.h"
#include "popupmenu.h"
#include "safekill.h"
#include "utilcst.h"
#include "zapplication.h"
#include "zmessagebox.h"
#include "zpushbutton.h"

#include "modal.h"
#include "phonetree.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <linux/capability.h>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>

// The two views and ending a process: confirmation, the checks that keep a reused or vanished
// id from being signalled, and the failure box.
class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void memoryViewAndBack();
    void endProcessWithoutTargetAsksNothing_data();
    void endProcessWithoutTargetAsksNothing();
    void yesEndsTheChosenOfTwoSameNamedProcesses();
    void declineLeavesListAlone_data();
    void declineLeavesListAlone();
    void changedProcessIsNotSignalled_data();
    void changedProcessIsNotSignalled();
    void checkedSignalOnBothRoutes_data();
    void checkedSignalOnBothRoutes();
    void processWeMayNotSignalGivesPermissionDenied();
    void realProcessEndedFromRealProc();
    void rightKeyEndsTheProgram();

private:
    std::unique_ptr<QProcess> startSleeper();
    QTemporaryDir workDir;
    int expectedTimeouts = 0;
};

namespace {

QByteArray statLine(qint64 pid, qint64 startTime)
{
    return QStringLiteral("%1 (sleeper) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 %2 0 0\n")
        .arg(pid)
        .arg(startTime)
        .toLatin1();
}

// A made-up /proc entry for a real process: the checks before a signal read this tree, the
// signal goes to the real id.
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

QString describe(ZMessageBox *box)
{
    QStringList buttons;
    for (int i = 0; i < 3; ++i)
        if (QPushButton *b = box->button(i))
            buttons << b->text();
    return box->text() + QStringLiteral(" | ") + buttons.join(QLatin1Char('/'));
}

// Answers the question with button `answer` (-1: closes it) after running beforeAnswer, and
// records what it said; with `failure`, also expects and answers the failure box after it.
void answerQuestion(int answer, QString *question, QString *failure = nullptr,
                    std::function<void()> beforeAnswer = {})
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

// Drops CAP_KILL from this thread's effective set for its lifetime, so that even root may
// signal only its own processes.
class KillCapabilityDropped
{
public:
    KillCapabilityDropped()
    {
        header.version = _LINUX_CAPABILITY_VERSION_3;
        header.pid = 0;
        if (::syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved[0], saved[1]};
        reduced[0].effective &= ~(1u << CAP_KILL);
        active = ::syscall(SYS_capset, &header, reduced) == 0;
    }
    ~KillCapabilityDropped()
    {
        if (active)
            ::syscall(SYS_capset, &header, saved);
    }
    bool isActive() const { return active; }

private:
    __user_cap_header_struct header{};
    __user_cap_data_struct saved[2]{};
    bool active = false;
};

}  // namespace

void TestMainWindow::init()
{
    QDir::setCurrent(workDir.path());
    QVERIFY2(qEnvironmentVariableIsSet("EZX_TEST_SOURCE_DIR"), "run through ctest");
    QFile::copy(qEnvironmentVariable("EZX_TEST_SOURCE_DIR") + QStringLiteral("/data/alert.png"),
                QStringLiteral("alert.png"));
    expectedTimeouts = modalTimeouts();
}

void TestMainWindow::cleanup()
{
    QCOMPARE(modalTimeouts(), expectedTimeouts);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            QFAIL("a modal window was left open");
}

std::unique_ptr<QProcess> TestMainWindow::startSleeper()
{
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral("sleep"), {QStringLiteral("600")});
    if (!process->waitForStarted(5000))
        return nullptr;
    return process;
}

void TestMainWindow::memoryViewAndBack()
{
    PhoneTree phone;
    phone.write(QStringLiteral("/proc/meminfo"),
                "MemTotal: 100 kB\nMemFree: 50 kB\nMemAvailable: 60 kB\nBuffers: 1 kB\n"
                "Cached: 2 kB\nSwapTotal: 0 kB\n");
    listFake(phone, 4242, "daemon", 10);
    MainWindow window;
    ZPushButton *mid = window.cst->getMidBtn();
    PopupMenu *views = mid->popup();
    QVERIFY(views);
    QCOMPARE(mid->text(), QStringLiteral("Processes"));
    QCOMPARE(rows(window), QStringList{"daemon"});
    QVERIFY(window.menu->isItemEnabled(window.endProcessId));

    QVERIFY(views->activateItem(views->idAt(1)));
    QCOMPARE(mid->text(), QStringLiteral("MemInfo"));
    QCOMPARE(rows(window), (QStringList{"Buffers: 1 kB", "Cached: 2 kB", "SwapTotal: 0 kB"}));
    QVERIFY(window.pidList.isEmpty());
    QVERIFY(!window.menu->isItemEnabled(window.endProcessId));
    QVERIFY(!window.menu->activateItem(window.endProcessId));

    QVERIFY(views->activateItem(views->idAt(0)));
    QCOMPARE(mid->text(), QStringLiteral("Processes"));
    QCOMPARE(rows(window), QStringList{"daemon"});
    QCOMPARE(window.pidList, QList<int>{4242});
    QVERIFY(window.menu->isItemEnabled(window.endProcessId));

    QFile::remove(phone.path(QStringLiteral("/proc/meminfo")));
    window.showMemInfo();
    QCOMPARE(window.listBox->count(), 0);
    QCOMPARE(mid->text(), QStringLiteral("MemInfo"));
}

void TestMainWindow::endProcessWithoutTargetAsksNothing_data()
{
    QTest::addColumn<bool>("memoryView");
    QTest::newRow("no_current_row") << false;
    QTest::newRow("memory_view_row") << true;
}

void TestMainWindow::endProcessWithoutTargetAsksNothing()
{
    QFETCH(bool, memoryView);
    PhoneTree phone;
    phone.write(QStringLiteral("/proc/meminfo"), "a\nb\nc\nd\ne\n");
    listFake(phone, 4242, "daemon", 10);
    MainWindow window;
    if (memoryView)
        window.showMemInfo();
    window.listBox->setCurrentRow(memoryView ? 1 : -1);

    bool asked = false;
    whenModal(
        [&asked](QWidget *w) {
            asked = true;
            static_cast<QDialog *>(w)->reject();
        },
        300);
    ++expectedTimeouts;
    window.killProcess();
    // A box would have come up inside killProcess(); the watch ends having seen none.
    QTRY_COMPARE(modalTimeouts(), expectedTimeouts);
    QVERIFY(!asked);
}

void TestMainWindow::yesEndsTheChosenOfTwoSameNamedProcesses()
{
    PhoneTree phone;
    auto first = startSleeper();
    auto second = startSleeper();
    QVERIFY(first && second);
    listFake(phone, first->processId(), "sleeper", 100);
    listFake(phone, second->processId(), "sleeper", 200);
    MainWindow window;
    QCOMPARE(rows(window), (QStringList{"sleeper", "sleeper"}));
    window.listBox->setCurrentRow(window.pidList.indexOf(second->processId()));

    QString question, failure;
    bool iconShown = false;
    answerQuestion(0, &question, nullptr, [&] {
        iconShown = QApplication::activeModalWidget()->findChild<QLabel *>("msgIcon")->isVisible();
        // Appears while the box is up: only a rebuilt list shows it.
        listFake(phone, 31337, "newcomer", 300);
    });
    window.killProcess();

    QCOMPARE(question, QStringLiteral("Are you sure you want to end process sleeper ? | YES/NO"));
    QVERIFY(iconShown);
    QVERIFY(endedBySignal9(*second));
    QVERIFY(isRunning(*first));
    QVERIFY(rows(window).contains(QStringLiteral("newcomer")));
    first->kill();
    first->waitForFinished();
}

void TestMainWindow::declineLeavesListAlone_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("no") << 1;
    QTest::newRow("box_closed") << -1;
}

void TestMainWindow::declineLeavesListAlone()
{
    QFETCH(int, answer);
    PhoneTree phone;
    auto child = startSleeper();
    QVERIFY(child);
    listFake(phone, child->processId(), "sleeper", 100);
    MainWindow window;
    const QStringList before = rows(window);
    const QList<int> pidsBefore = window.pidList;

    QString question;
    answerQuestion(answer, &question, nullptr, [&] { listFake(phone, 31337, "newcomer", 300); });
    window.killProcess();

    QVERIFY(!question.isEmpty());
    QCOMPARE(rows(window), before);
    QCOMPARE(window.pidList, pidsBefore);
    QVERIFY(isRunning(*child));
    child->kill();
    child->waitForFinished();
}

void TestMainWindow::changedProcessIsNotSignalled_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("rowsAfter");
    QTest::newRow("id_reused_later_start") << "restarted" << QStringList{"sleeper"};
    QTest::newRow("id_reused_other_program") << "renamed" << QStringList{"intruder"};
    QTest::newRow("process_vanished") << "vanished" << QStringList{};
}

void TestMainWindow::changedProcessIsNotSignalled()
{
    QFETCH(QString, change);
    QFETCH(QStringList, rowsAfter);
    PhoneTree phone;
    auto child = startSleeper();
    QVERIFY(child);
    const qint64 pid = child->processId();
    listFake(phone, pid, "sleeper", 100);
    MainWindow window;

    QString question, failure;
    answerQuestion(0, &question, &failure, [&] {
        // Between the list and the answer, the id has changed hands or gone.
        if (change == QLatin1String("restarted"))
            listFake(phone, pid, "sleeper", 999);
        else if (change == QLatin1String("renamed"))
            listFake(phone, pid, "intruder", 100);
        else
            QDir(phone.path(QStringLiteral("/proc/%1").arg(pid))).removeRecursively();
    });
    window.killProcess();

    QCOMPARE(failure, QStringLiteral("Permission Denied | OK"));
    QVERIFY(isRunning(*child));
    QCOMPARE(rows(window), rowsAfter);
    child->kill();
    child->waitForFinished();
}

void TestMainWindow::checkedSignalOnBothRoutes_data()
{
    QTest::addColumn<SignalRoute>("route");
    QTest::addColumn<QString>("listedName");
    QTest::addColumn<qint64>("listedStart");
    QTest::addColumn<int>("result");
    for (auto [tag, route] : {std::pair{"pidfd", SignalRoute::PidFd}, {"kill", SignalRoute::PlainKill}}) {
        QTest::addRow("%s_same_process", tag) << route << "sleeper" << qint64(100) << 0;
        QTest::addRow("%s_other_start", tag) << route << "sleeper" << qint64(101) << ESRCH;
        QTest::addRow("%s_other_name", tag) << route << "sleepe" << qint64(100) << ESRCH;
        QTest::addRow("%s_start_unknown", tag) << route << "sleeper" << qint64(-1) << ESRCH;
    }
}

void TestMainWindow::checkedSignalOnBothRoutes()
{
    QFETCH(SignalRoute, route);
    QFETCH(QString, listedName);
    QFETCH(qint64, listedStart);
    QFETCH(int, result);
    PhoneTree phone;
    auto child = startSleeper();
    QVERIFY(child);
    const int pid = int(child->processId());
    listFake(phone, pid, "sleeper", 100);

    QCOMPARE(endListedProcess({pid, listedName, listedStart}, route), result);
    if (result == 0) {
        QVERIFY(endedBySignal9(*child));
        // Gone now: a second attempt must fail, not reach a newcomer.
        QDir(phone.path(QStringLiteral("/proc/%1").arg(pid))).removeRecursively();
        QCOMPARE(endListedProcess({pid, listedName, listedStart}, route), ESRCH);
    } else {
        QVERIFY(isRunning(*child));
        child->kill();
        child->waitForFinished();
    }
}

void TestMainWindow::processWeMayNotSignalGivesPermissionDenied()
{
    if (::geteuid() != 0)
        QSKIP("needs root to start a process of another user");
    PhoneTree phone;
    QProcess other;
    other.setChildProcessModifier([] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(127);
    });
    other.start(QStringLiteral("sleep"), {QStringLiteral("600")});
    QVERIFY(other.waitForStarted(5000));
    QVERIFY(isRunning(other));
    listFake(phone, other.processId(), "sleeper", 100);
    MainWindow window;

    QString question, failure;
    {
        KillCapabilityDropped asOrdinaryUser;
        QVERIFY(asOrdinaryUser.isActive());
        answerQuestion(0, &question, &failure);
        window.killProcess();
    }
    QCOMPARE(failure, QStringLiteral("Permission Denied | OK"));
    QVERIFY(isRunning(other));
    QCOMPARE(rows(window), QStringList{"sleeper"});
    other.kill();
    other.waitForFinished();
}

void TestMainWindow::realProcessEndedFromRealProc()
{
    if (!QFileInfo::exists(QStringLiteral("/proc/self/stat")))
        QSKIP("no /proc on this system");
    qunsetenv("EZX_ROOT");
    auto child = startSleeper();
    QVERIFY(child);
    MainWindow window;
    const int row = window.pidList.indexOf(int(child->processId()));
    QVERIFY(row >= 0);
    window.listBox->setCurrentRow(row);

    QString question;
    answerQuestion(0, &question);
    window.killProcess();
    QVERIFY(question.startsWith(QLatin1String("Are you sure you want to end process sleep")));
    QVERIFY(endedBySignal9(*child));
}

void TestMainWindow::rightKeyEndsTheProgram()
{
    const QString bin = qEnvironmentVariable("EZX_TEST_BIN_DIR");
    QProcess program;
    program.setWorkingDirectory(bin);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("EZX_UI_SCRIPT"), QStringLiteral("wait 200; click cstRightBtn"));
    program.setProcessEnvironment(env);
    program.start(bin + QStringLiteral("/procwarden"), {});
    QVERIFY(program.waitForStarted(5000));
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
