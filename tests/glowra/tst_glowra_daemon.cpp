// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemoncommands.h"
#include "glowgui.h"
#include "modal.h"
#include "phonetree.h"
#include "popupmenu.h"
#include "simlights.h"
#include "zapplication.h"
#include "zmessagebox.h"

#include <QPushButton>
#include <QtTest>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace {

QString daemonPath()
{
    return qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/glowrad";
}

// Command lines of the live glowrad processes started from the build's bin folder. The test
// adopts the daemons that the shell leaves behind and reaps them as a desktop's init would, so
// that no dead glowrad lingers in the process list that the stop command reads.
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

}  // namespace

// The panel in this process driving the real glowrad beside it, through the real shell.
class TestDaemonControl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void demonstratesStartsAndStopsRealDaemon();
};

void TestDaemonControl::initTestCase()
{
    QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
}

void TestDaemonControl::cleanup()
{
    // Under dash the stop command ends only the first glowrad it lists (kill gives up at the
    // first name among the numbers), so after a failure it may take a few rounds.
    const auto stopAll = [] {
        runShell(stopDaemonCommand);
        return glowrads().isEmpty();
    };
    QTRY_VERIFY(stopAll());
    QCOMPARE(modalTimeouts(), 0);
}

void TestDaemonControl::demonstratesStartsAndStopsRealDaemon()
{
    PhoneTree phone;
    phone.write("/ezx_user/download/appwrite/setup/ezx_system.cfg", "[SYS_SYSTEM_SET]\nBrightness = 40\n");
    QVERIFY(QFile::exists(daemonPath()));
    QVERIFY(setInvocationPath(
        QFile::encodeName(qEnvironmentVariable("EZX_TEST_BIN_DIR") + "/glowra").constData()));
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

    // "Yes" while the demo plays: the demo ends, the daemon runs on.
    whenModal([demo](QWidget *box) {
        if (!QTest::qWaitFor([demo] { return glowrads() == QStringList{demo}; }))
            qWarning("the demo did not show up");
        qobject_cast<ZMessageBox *>(box)->button(0)->click();
    });
    schemes->activateItem(4);
    QTRY_COMPARE(glowrads(), QStringList{daemon});

    // "Stop daemon" ends it, and it puts the user's brightness back.
    clearLightLog();
    QVERIFY(w.findChild<PopupMenu *>("mainMenu")->activateItem(4));
    QTRY_VERIFY(glowrads().isEmpty());
    QTRY_VERIFY(lightLog().contains("/dev/fb0 0x461b 40"));
}

int main(int argc, char **argv)
{
    useSimLights(argv);
    ZApplication app(argc, argv, 1);
    TestDaemonControl test;
    const int result = QTest::qExec(&test, argc, argv);
    removeTestLightLog();
    return result;
}

#include "tst_glowra_daemon.moc"
