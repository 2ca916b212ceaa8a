// SPDX-License-Identifier: GPL-2.0-or-later
// procwarden on a desktop: its menus and views from the keyboard, ending a process by keys
// alone, and the program's icon and ways out.
#include "mainwindow.h"
#include "popupmenu.h"
#include "utilcst.h"
#include "zapplication.h"
#include "zmessagebox.h"
#include "zpushbutton.h"

#include "desktop.h"
#include "modal.h"

#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestProcwardenDesktop : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void keysOpenTheMenusAndSwitchViews();
    void endProcessByKeysAsksFirst();
    void program_data();
    void program();
};

void TestProcwardenDesktop::cleanup()
{
    closePopups();
    QCOMPARE(modalTimeouts(), 0);
}

void TestProcwardenDesktop::keysOpenTheMenusAndSwitchViews()
{
    MainWindow window;
    window.show();
    QTRY_VERIFY(window.isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), window.listBox);
    QCOMPARE(window.minimumSize(), QSize(240, 320));
    QCOMPARE(window.maximumSize(), QSize(240, 320));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));

    QTest::keyClick(window.listBox, Qt::Key_F1);
    QTRY_VERIFY(window.menu->isVisible());
    window.menu->hide();
    // The list has no use for Return: it opens the middle key's choice of views.
    QTest::keyClick(window.listBox, Qt::Key_Return);
    auto *views = qobject_cast<PopupMenu *>(window.cst->getMidBtn()->popup());
    QTRY_VERIFY(views && views->isVisible());
    views->hide();

    QVERIFY(playScript(QStringLiteral("key F2; key Down; key Down; key Return")));
    QCOMPARE(window.cst->getMidBtn()->text(), QStringLiteral("MemInfo"));
    QVERIFY(!window.menu->isItemEnabled(window.endProcessId));
    QVERIFY(window.pidList.isEmpty());
    QVERIFY(playScript(QStringLiteral("key Return; key Down; key Return")));
    QCOMPARE(window.cst->getMidBtn()->text(), QStringLiteral("Processes"));
    QVERIFY(!window.pidList.isEmpty());
}

void TestProcwardenDesktop::endProcessByKeysAsksFirst()
{
    MainWindow window;
    window.show();
    QTRY_VERIFY(window.isActiveWindow());
    const int rows = window.listBox->count();
    QString question;
    whenModal([&question](QWidget *w) {
        auto *box = qobject_cast<ZMessageBox *>(w);
        question = box ? box->text() : QString();
        // Escape is the box's right key, "NO".
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
    });
    // "End Process" is the last entry: Up from the top of the menu reaches it.
    window.listBox->setCurrentRow(0);
    const QString first = window.listBox->currentItem()->text();
    QVERIFY(playScript(QStringLiteral("key F1; key Up; key Return")));
    // The question, then the id and command line on lines of their own.
    QCOMPARE(question.section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Are you sure you want to end process ") + first + " ?");
    QCOMPARE(window.listBox->count(), rows);
    QVERIFY(window.isVisible());
}

void TestProcwardenDesktop::program_data()
{
    QTest::addColumn<QString>("leave");
    QTest::newRow("window_manager_close") << "close";
    QTest::newRow("Escape") << "key Escape";
    QTest::newRow("F3") << "key F3";
}

// The real program: procwarden's icon, and each way out quits at once.
void TestProcwardenDesktop::program()
{
    QFETCH(QString, leave);
    const QString bin = qEnvironmentVariable("EZX_TEST_BIN_DIR");
    QTemporaryDir dir;
    QProcess program;
    program.setWorkingDirectory(bin);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("EZX_UI_SCRIPT",
               "wait 300; icon " + dir.filePath("icon.png") + "; " + leave + "; wait 5000; quit 7");
    program.setProcessEnvironment(env);
    program.start(bin + "/procwarden", {});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(isProgramIcon(dir.filePath("icon.png"), "procwarden"));
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestProcwardenDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_procwarden_desktop.moc"
