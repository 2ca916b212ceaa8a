// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainwindow.h"
#include "meminfo.h"
#include "popupmenu.h"
#include "utilcst.h"
#include "zapplication.h"
#include "zmessagebox.h"
#include "zpushbutton.h"

#include "modal.h"
#include "phonetree.h"
#include "windowrig.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

// The two views, the confirmation before ending a process and what its answers do.
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
    void confirmationNamesPidAndCommandLine_data();
    void confirmationNamesPidAndCommandLine();
    void iconFoundBesideTheProgram();
    void declineLeavesListAlone_data();
    void declineLeavesListAlone();
    void rightKeyEndsTheProgram();

private:
    QTemporaryDir workDir;
    int expectedTimeouts = 0;
};

void TestMainWindow::init()
{
    enterWorkFolder(workDir);
    expectedTimeouts = modalTimeouts();
}

void TestMainWindow::cleanup()
{
    checkNoBoxLeft(expectedTimeouts);
}

void TestMainWindow::memoryViewAndBack()
{
    PhoneTree phone;
    const QByteArray meminfo = "MemTotal:       24683752 kB\nMemFree:        18701672 kB\n"
                               "MemAvailable:   22310040 kB\nBuffers:           45136 kB\n"
                               "VmallocTotal:   34359738367 kB\nHugePages_Total:       0\n";
    phone.write(QStringLiteral("/proc/meminfo"), meminfo);
    listFake(phone, 4242, "daemon", 10);
    MainWindow window;
    window.show();
    ZPushButton *mid = window.cst->getMidBtn();
    PopupMenu *views = mid->popup();
    QVERIFY(views);
    QCOMPARE(mid->text(), QStringLiteral("Processes"));
    QCOMPARE(rows(window), QStringList{"daemon"});
    QVERIFY(window.menu->isItemEnabled(window.endProcessId));
    const QFont processFont = window.listBox->font();

    QVERIFY(views->activateItem(views->idAt(1)));
    QCOMPARE(mid->text(), QStringLiteral("MemInfo"));
    QCOMPARE(rows(window), memInfoRows(QString::fromLatin1(meminfo)));
    QVERIFY(rows(window).constFirst().startsWith(QLatin1String("MemTotal:")));
    QVERIFY(window.pidList.isEmpty());
    QVERIFY(!window.menu->isItemEnabled(window.endProcessId));
    QVERIFY(!window.menu->activateItem(window.endProcessId));
    // Columns line up in a fixed-pitch font, small enough for the widest row to fit.
    QVERIFY(QFontInfo(window.listBox->font()).fixedPitch());
    const QFontMetrics metrics(window.listBox->font());
    for (const QString &row : rows(window))
        QVERIFY2(metrics.horizontalAdvance(row) <= window.listBox->viewport()->width(), qPrintable(row));
    QVERIFY(window.listBox->font().pixelSize() < window.font().pixelSize());
    // Narrow figures are shown at the window's own size again, also right after a smaller fit.
    phone.write(QStringLiteral("/proc/meminfo"), "MemTotal: 2048 kB\n");
    window.showMemInfo();
    QCOMPARE(window.listBox->font().pixelSize(), window.font().pixelSize());

    QVERIFY(views->activateItem(views->idAt(0)));
    QCOMPARE(mid->text(), QStringLiteral("Processes"));
    QCOMPARE(rows(window), QStringList{"daemon"});
    QCOMPARE(window.pidList, QList<int>{4242});
    QVERIFY(window.menu->isItemEnabled(window.endProcessId));
    QCOMPARE(window.listBox->font(), processFont);

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

    QVERIFY(question.endsWith(QLatin1String(" | YES/NO")));
    const QStringList lines = question.chopped(9).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("Are you sure you want to end process sleeper ?"));
    QCOMPARE(unbroken(lines.mid(1)), QStringLiteral("PID%1:/usr/bin/sleeper").arg(second->processId()));
    QVERIFY(iconShown);
    QVERIFY(endedBySignal9(*second));
    QVERIFY(isRunning(*first));
    QVERIFY(rows(window).contains(QStringLiteral("newcomer")));
    first->kill();
    first->waitForFinished();
}

void TestMainWindow::confirmationNamesPidAndCommandLine_data()
{
    QTest::addColumn<QByteArray>("cmdline");
    QTest::addColumn<QString>("detail");  // below the question, "%1" standing for the id
    QTest::addColumn<bool>("cut");
    QTest::newRow("whole_command_line") << QByteArray("/usr/bin/sleeper\0"
                                                      "600\0",
                                                      21)
                                        << "PID %1: /usr/bin/sleeper 600" << false;
    QTest::newRow("long_line_cut_to_fit")
        << QByteArray("/usr/bin/python3\0-c\0", 20) + QByteArray(300, 'x') + '\0'
        << "PID %1: /usr/bin/python3 -c " + QString(300, QLatin1Char('x')) << true;
    QTest::newRow("gone_before_asking") << QByteArray() << "PID %1" << false;
}

void TestMainWindow::confirmationNamesPidAndCommandLine()
{
    QFETCH(QByteArray, cmdline);
    QFETCH(QString, detail);
    QFETCH(bool, cut);
    PhoneTree phone;
    listFake(phone, 4242, "sleeper", 100);
    MainWindow window;
    QCOMPARE(rows(window), QStringList{"sleeper"});
    phone.write(QStringLiteral("/proc/4242/cmdline"), cmdline);

    QString question;
    QStringList lines;
    bool fits = true;
    answerQuestion(1, &question, nullptr, [&] {
        auto *label = QApplication::activeModalWidget()->findChild<QLabel *>(QStringLiteral("msgText"));
        lines = label->text().split(QLatin1Char('\n'));
        for (const QString &line : lines.mid(1))
            fits = fits && label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width();
    });
    window.killProcess();

    QCOMPARE(lines.value(0), QStringLiteral("Are you sure you want to end process sleeper ?"));
    const QStringList below = lines.mid(1);
    QVERIFY(!below.isEmpty() && below.size() <= 3);
    QVERIFY(fits);
    const QString expected = unbroken({detail.arg(4242)});
    if (cut) {
        QVERIFY2(below.size() == 3 && below.last().endsWith(QChar(0x2026)), qPrintable(below.join('|')));
        QVERIFY2(expected.startsWith(unbroken(below).chopped(1)), qPrintable(below.join(QLatin1Char('|'))));
    } else {
        QCOMPARE(unbroken(below), expected);
    }
}

void TestMainWindow::iconFoundBesideTheProgram()
{
    // The working folder has no icon; the folder the program lies in has.
    PhoneTree phone;
    QTemporaryDir programFolder;
    QVERIFY(QFile::rename(QStringLiteral("alert.png"), programFolder.filePath(QStringLiteral("alert.png"))));
    listFake(phone, 4242, "sleeper", 100);
    MainWindow window(programFolder.path());

    QString question;
    bool iconShown = false;
    answerQuestion(1, &question, nullptr, [&] {
        iconShown = QApplication::activeModalWidget()->findChild<QLabel *>("msgIcon")->isVisible();
    });
    window.killProcess();
    QVERIFY(!question.isEmpty());
    QVERIFY(iconShown);
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
