// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemoncommands.h"
#include "glowgui.h"
#include "modal.h"
#include "phonetree.h"
#include "pidnamespace.h"
#include "popupmenu.h"
#include "simlights.h"
#include "zapplication.h"
#include "zmessagebox.h"

#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

QString binDir()
{
    return qEnvironmentVariable("EZX_TEST_BIN_DIR");
}

QString daemonPath()
{
    return binDir() + "/glowrad";
}

// Command lines of the live glowrad processes started from the build's bin folder. The test is
// the first process of its namespace: it adopts the daemons the shell leaves behind and reaps
// them, so that no dead glowrad lingers in the process list the stop command reads.
QStringList glowrads()
{
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {}
    QStringList found;
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!pid.front().isDigit() || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        if (close < 0 || !line.contains("(glowrad)") || line.mid(close + 2, 1) == "Z")
            continue;
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QString args = QString::fromLocal8Bit(cmdline.readAll()).replace(QChar(0), ' ');
        if (args.startsWith(daemonPath() + ' '))
            found << args.trimmed();
    }
    return found;
}

pid_t spawn(const QStringList &command)
{
    QList<QByteArray> bytes;
    for (const QString &arg : command)
        bytes << QFile::encodeName(arg);
    std::vector<char *> argv;
    for (QByteArray &arg : bytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    return posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? child : -1;
}

bool alive(pid_t pid)
{
    return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

// The exit status of a child once it has ended, -1 when it has not within ms.
int exitStatus(pid_t pid, int ms = 10000)
{
    int status = 0;
    if (!QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, ms))
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The command name /proc shows for pid, once it has started its program.
QByteArray commandName(pid_t pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? comm.readAll().trimmed() : QByteArray();
}

}  // namespace

// The panel's daemon control with the real glowrad and the real shells. Everything runs in a
// private pid namespace, where the stop command can end nothing the test did not start.
class TestDaemonControl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void demonstratesStartsAndStopsRealDaemon();
    void stopEndsEveryDaemonAndNothingElse_data();
    void stopEndsEveryDaemonAndNothingElse();
    void daemonThatEndsAtOnceIsReported();
};

void TestDaemonControl::initTestCase()
{
    if (!inPrivatePidNamespace())
        QSKIP("needs a private pid namespace (unshare as root, or user namespaces)");
    QVERIFY(QFile::exists(daemonPath()));
    qputenv("EZX_CALL", "none");
}

void TestDaemonControl::cleanup()
{
    runShell(stopDaemonCommand);
    QTRY_VERIFY(glowrads().isEmpty());
    QCOMPARE(modalTimeouts(), 0);
}

void TestDaemonControl::demonstratesStartsAndStopsRealDaemon()
{
    PhoneTree phone;
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg", "[SYS_SYSTEM_SET]\nBrightness = 40\n");
    QVERIFY(QFile::link("/proc", phone.path("/proc")));
    QVERIFY(setInvocationPath(QFile::encodeName(binDir() + "/glowra").constData()));
    glowGUI w;
    auto *schemes = w.findChild<PopupMenu *>("schemeMenu");
    const QString demo = daemonPath() + " 4 d", daemon = daemonPath() + " 4";

    // "No": the demo plays once and ends by itself.
    clearLightLog();
    answerMessageBox(1);
    schemes->activateItem(4);
    QTRY_COMPARE(glowrads(), QStringList{demo});
    QTRY_VERIFY_WITH_TIMEOUT(glowrads().isEmpty(), 10000);
    QVERIFY(lightLog().contains("/dev/fb0 0x461b 40"));

    // "Yes" while the demo plays: the demo ends, the daemon runs on, and a second later the
    // panel finds it running and says nothing.
    whenModal([demo](QWidget *box) {
        if (!QTest::qWaitFor([demo] { return glowrads() == QStringList{demo}; }))
            qWarning("the demo did not show up");
        qobject_cast<ZMessageBox *>(box)->button(0)->click();
    });
    schemes->activateItem(4);
    QTRY_COMPARE(glowrads(), QStringList{daemon});
    QTRY_VERIFY(!w.findChild<QTimer *>("daemonCheck")->isActive());
    QVERIFY(!w.findChild<ZMessageBox *>("daemonEndedBox"));

    // "Stop daemon" ends it, and it puts the user's brightness back.
    clearLightLog();
    QVERIFY(w.findChild<PopupMenu *>("mainMenu")->activateItem(4));
    QTRY_VERIFY(glowrads().isEmpty());
    QTRY_VERIFY(lightLog().contains("/dev/fb0 0x461b 40"));
}

void TestDaemonControl::stopEndsEveryDaemonAndNothingElse_data()
{
    QTest::addColumn<QString>("shell");
    // dash's kill gives up at the first word that is not a number, bash's goes on.
    QTest::newRow("dash") << "dash";
    QTest::newRow("bash") << "bash";
}

void TestDaemonControl::stopEndsEveryDaemonAndNothingElse()
{
    QFETCH(QString, shell);
    if (QStandardPaths::findExecutable(shell).isEmpty())
        QSKIP("the shell is not installed");
    PhoneTree phone;
    QTemporaryDir dir;
    // Names that hold "glowrad" but are not the daemon, and the panel: stand-ins that sleep.
    const QStringList bystanders{"glowrad-schemec", "glowra", "glowrad x", "xglowrad"};
    for (const QString &name : bystanders)
        QVERIFY(QFile::link(QStandardPaths::findExecutable("sleep"), dir.filePath(name)));

    clearLightLog();
    const pid_t daemons[2] = {spawn({daemonPath(), "1"}), spawn({daemonPath(), "2"})};
    QList<pid_t> spared;
    for (const QString &name : bystanders) {
        spared << spawn({dir.filePath(name), "60"});
        QTRY_COMPARE(commandName(spared.last()), name.toUtf8());
    }
    // A glowrad of another user, where the test may make one.
    if (::getuid() == 0 && !QStandardPaths::findExecutable("setpriv").isEmpty()) {
        QVERIFY(QFile::link(QStandardPaths::findExecutable("sleep"), dir.filePath("glowrad")));
        const pid_t other = spawn(
            {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", dir.filePath("glowrad"), "60"});
        if (QTest::qWaitFor([other] { return commandName(other) == "glowrad" || !alive(other); })
            && alive(other))
            spared << other;
        else
            qInfo("no other user here: that case is left out");
    }
    // Both daemons run once both have opened their lights.
    QTRY_COMPARE(lightLog().count("open /dev/keylight"), 2);

    QCOMPARE(exitStatus(spawn({shell, "-c", QString::fromUtf8(stopDaemonCommand)})), 0);

    for (pid_t daemon : daemons)
        QCOMPARE(exitStatus(daemon), 0);  // ended by SIGTERM, lights restored
    QCOMPARE(lightLog().count("close /dev/fb0"), 2);
    for (pid_t pid : spared) {
        QVERIFY2(alive(pid), commandName(pid).constData());
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

void TestDaemonControl::daemonThatEndsAtOnceIsReported()
{
    PhoneTree phone;
    QVERIFY(QFile::link("/proc", phone.path("/proc")));
    // A daemon without its schemes file, which cannot start.
    QTemporaryDir dir;
    QVERIFY(QFile::link(daemonPath(), dir.filePath("glowrad")));
    QVERIFY(setInvocationPath(QFile::encodeName(dir.filePath("glowra")).constData()));
    glowGUI w;
    answerMessageBox(0);
    QVERIFY(w.findChild<PopupMenu *>("schemeMenu")->activateItem(3));
    QCOMPARE(modalTimeouts(), 0);

    ZMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = w.findChild<ZMessageBox *>("daemonEndedBox")) && box->isVisible(), 10000);
    QVERIFY2(box->text().startsWith("The daemon stopped at once"), qPrintable(box->text()));
    QCOMPARE(box->button(0)->text(), QStringLiteral("OK"));
    box->button(0)->click();
    QTRY_VERIFY(!w.findChild<ZMessageBox *>("daemonEndedBox"));
}

int main(int argc, char **argv)
{
    useSimLights(argv);
    usePrivatePidNamespace(argv);
    ZApplication app(argc, argv, 1);
    TestDaemonControl test;
    const int result = QTest::qExec(&test, argc, argv);
    removeTestLightLog();
    return result;
}

#include "tst_glowra_daemon.moc"
