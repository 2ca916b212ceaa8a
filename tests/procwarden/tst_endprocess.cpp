// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainwindow.h"
#include "safekill.h"
#include "zapplication.h"

#include "modal.h"
#include "phonetree.h"
#include "windowrig.h"

#include <QListWidget>
#include <QtTest>
#include <cerrno>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Ending a process: the checks that keep a reused or vanished id from being signalled, and the
// failure box.
class TestEndProcess : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void changedProcessIsNotSignalled_data();
    void changedProcessIsNotSignalled();
    void checkedSignalOnBothRoutes_data();
    void checkedSignalOnBothRoutes();
    void processWeMayNotSignalGivesPermissionDenied();
    void realProcessEndedFromRealProc();

private:
    QTemporaryDir workDir;
    int expectedTimeouts = 0;
};

namespace {

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

void TestEndProcess::init()
{
    enterWorkFolder(workDir);
    expectedTimeouts = modalTimeouts();
}

void TestEndProcess::cleanup()
{
    checkNoBoxLeft(expectedTimeouts);
}

void TestEndProcess::changedProcessIsNotSignalled_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("rowsAfter");
    QTest::newRow("id_reused_later_start") << "restarted" << QStringList{"sleeper"};
    QTest::newRow("id_reused_other_program") << "renamed" << QStringList{"intruder"};
    QTest::newRow("process_vanished") << "vanished" << QStringList{};
}

void TestEndProcess::changedProcessIsNotSignalled()
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

void TestEndProcess::checkedSignalOnBothRoutes_data()
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

void TestEndProcess::checkedSignalOnBothRoutes()
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

void TestEndProcess::processWeMayNotSignalGivesPermissionDenied()
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

void TestEndProcess::realProcessEndedFromRealProc()
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
    const QStringList lines = question.split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("Are you sure you want to end process sleep ?"));
    const QString detail = unbroken(lines.mid(1));
    QVERIFY2(detail.startsWith(QStringLiteral("PID%1:").arg(child->processId()))
                 && detail.endsWith("sleep600|YES/NO"),
             qPrintable(question));
    QVERIFY(endedBySignal9(*child));
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestEndProcess test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_endprocess.moc"
