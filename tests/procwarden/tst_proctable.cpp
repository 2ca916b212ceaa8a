// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainwindow.h"
#include "procfs.h"
#include "zapplication.h"

#include "phonetree.h"

#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <dirent.h>

// The process table: which /proc entries are processes, the short name cut out of a
// command line, and the rows and ids a scan of a made-up /proc gives.
namespace {

// A byte string with its embedded NULs, as a cmdline file holds it.
template <qsizetype N> QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

}  // namespace

class TestProcTable : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void pidOfEntryName_data();
    void pidOfEntryName();
    void shortNameCut_data();
    void shortNameCut();
    void commandLineShownOnOneLine_data();
    void commandLineShownOnOneLine();
    void shortNameFromCmdlineFile_data();
    void shortNameFromCmdlineFile();
    void desktopCommandLinesGiveCleanRows_data();
    void desktopCommandLinesGiveCleanRows();
    void startTimeFromStat_data();
    void startTimeFromStat();
    void scanListsProcessesInDirectoryOrder();
    void scanWithoutProcChangesNothing();
    void realProcListsThisProcess();

private:
    QTemporaryDir workDir;
};

void TestProcTable::init()
{
    // No launcher file from wherever the test was started.
    QDir::setCurrent(workDir.path());
}

void TestProcTable::pidOfEntryName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("pid");
    QTest::newRow("one") << QByteArray("1") << 1;
    QTest::newRow("plain") << QByteArray("42") << 42;
    QTest::newRow("leading_zeros") << QByteArray("0042") << 42;
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("self") << QByteArray("self") << 0;
    QTest::newRow("dot") << QByteArray(".") << 0;
    QTest::newRow("digits_then_letter") << QByteArray("12a") << 0;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("largest_int") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("beyond_int_not_wrapped") << QByteArray("4294967297") << 0;
}

void TestProcTable::pidOfEntryName()
{
    QFETCH(QByteArray, name);
    QFETCH(int, pid);
    QCOMPARE(MainWindow::getPid(name.constData()), pid);
    QCOMPARE(MainWindow::getPid(nullptr), 0);
}

void TestProcTable::shortNameCut_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    auto row = [](const char *tag, const QByteArray &line, const char *name) {
        QTest::newRow(tag) << QString::fromLatin1(line) << QString::fromLatin1(name);
    };
    row("absolute_path", bytes("/usr/bin/foo\0"), "foo");
    row("login_shell_dash_skipped", bytes("-sh\0"), "sh");
    row("colon_stops", bytes("foo:bar\0"), "foo");
    row("blank_stops", bytes("/bin/app --opt\0"), "app");
    row("nothing_after_last_slash", bytes("/opt/x/\0"), "");
    row("empty", bytes(""), "");
    row("only_stoppers", bytes("--\0"), "");
    row("bare_directory", bytes("/bin/\0"), "");
    row("mixed_stoppers_after_slash", bytes("/x/ -:tool\0"), "tool");
    // The name is the program's own: later arguments neither end it nor move its start.
    row("dash_of_next_argument_ignored", bytes("/bin/sh\0-c\0run\0"), "sh");
    row("slash_in_later_argument_ignored", bytes("sh\0/etc/init\0"), "sh");
    row("no_final_nul_keeps_last_letter", bytes("init"), "init");
    // A title rewritten into one string, padded with NULs.
    row("rewritten_title", bytes("sshd: user@pts/0\0\0\0\0"), "sshd");
    // Control characters would draw as boxes or break the row.
    row("controls_shown_as_question_marks", bytes("/tmp/e\x1b[2Jvil\tname\x7f\0x\0"), "e?[2Jvil?name?");
}

void TestProcTable::shortNameCut()
{
    QFETCH(QString, line);
    QFETCH(QString, name);
    QCOMPARE(cutShortName(line), name);
}

void TestProcTable::commandLineShownOnOneLine_data()
{
    QTest::addColumn<QByteArray>("cmdline");
    QTest::addColumn<QString>("shown");
    QTest::newRow("arguments_joined_by_blanks") << bytes("Xvfb\0:99\0-screen\0"
                                                         "0\0"
                                                         "1024x768x24\0")
                                                << "Xvfb :99 -screen 0 1024x768x24";
    QTest::newRow("line_feed_inside_argument")
        << bytes("/usr/bin/python3\0-c\0import sys\nprint(1)\0") << "/usr/bin/python3 -c import sys?print(1)";
    QTest::newRow("empty_argument_kept") << bytes("printf\0\0x\0") << "printf  x";
    QTest::newRow("title_padding_dropped") << bytes("sshd: user@pts/0\0\0\0\0") << "sshd: user@pts/0";
    QTest::newRow("kernel_thread") << QByteArray() << "";
}

void TestProcTable::commandLineShownOnOneLine()
{
    QFETCH(QByteArray, cmdline);
    QFETCH(QString, shown);
    QCOMPARE(commandLineText(QString::fromLocal8Bit(cmdline)), shown);
    PhoneTree phone;
    phone.write(QStringLiteral("/proc/77/cmdline"), cmdline);
    QCOMPARE(readCommandLine(77), shown);
    QCOMPARE(readCommandLine(78), QString());
}

void TestProcTable::shortNameFromCmdlineFile_data()
{
    QTest::addColumn<QByteArray>("cmdline");
    QTest::addColumn<QString>("name");
    QTest::newRow("arguments") << bytes("/usr/bin/foo\0--opt\0") << QStringLiteral("foo");
    QTest::newRow("kernel_thread_empty") << QByteArray() << QString();
    QTest::newRow("line_feed_in_program_path") << bytes("/bin/ed\nx\0y/z\0") << QStringLiteral("ed?x");
    QTest::newRow("utf8_name") << bytes("/opt/caf\xc3\xa9\0") << QString::fromUtf8("caf\xc3\xa9");
    // Paths longer than one read of the file.
    QTest::newRow("long_path") << "/" + QByteArray(3000, 'd') + bytes("/tool\0") << QStringLiteral("tool");
    QTest::newRow("stopper_after_first_read")
        << "/bin/" + QByteArray(1500, 'x') + " y\0z/w" << QString(1500, QLatin1Char('x'));
}

void TestProcTable::shortNameFromCmdlineFile()
{
    QFETCH(QByteArray, cmdline);
    QFETCH(QString, name);
    PhoneTree phone;
    phone.write(QStringLiteral("/proc/77/cmdline"), cmdline);
    QCOMPARE(MainWindow::getExe(QStringLiteral("77")), name);
    // A process that has ended leaves no file.
    QCOMPARE(MainWindow::getExe(QStringLiteral("78")), QString());
}

void TestProcTable::desktopCommandLinesGiveCleanRows_data()
{
    // Command lines as a desktop of today shows them in /proc.
    QTest::addColumn<QByteArray>("cmdline");
    QTest::addColumn<QString>("row");
    QTest::newRow("script_on_descriptor") << bytes("bash\0/dev/fd/3\0") << "bash";
    QTest::newRow("archive_manager_with_path") << bytes("kest\0open\0/x/a.tar.gz\0") << "kest";
    QTest::newRow("sleep_with_argument") << bytes("sleep\0"
                                                  "240\0")
                                         << "sleep";
    QTest::newRow("x_server_options") << bytes("Xvfb\0:99\0-screen\0"
                                               "0\0"
                                               "1024x768x24\0-nolisten\0tcp\0")
                                      << "Xvfb";
    QTest::newRow("python_inline_program")
        << bytes("/usr/bin/python3\0-c\0import os; os.system('a:b')\0") << "python3";
    QTest::newRow("login_shell") << bytes("-bash\0") << "bash";
    QTest::newRow("plain_shell") << bytes("sh\0-c\0sleep 5\0") << "sh";
}

void TestProcTable::desktopCommandLinesGiveCleanRows()
{
    QFETCH(QByteArray, cmdline);
    QFETCH(QString, row);
    PhoneTree phone;
    phone.write(QStringLiteral("/proc/2/cmdline"), QByteArray());  // a kernel thread
    phone.write(QStringLiteral("/proc/4711/cmdline"), cmdline);
    MainWindow window;
    QCOMPARE(window.listBox->count(), 1);
    QCOMPARE(window.listBox->item(0)->text(), row);
    QCOMPARE(window.pidList, QList<int>{4711});
}

void TestProcTable::startTimeFromStat_data()
{
    QTest::addColumn<QByteArray>("stat");
    QTest::addColumn<qint64>("startTime");
    const QByteArray tail = " S 1 1 1 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0 987654 1000 10\n";
    QTest::newRow("plain") << QByteArray("12 (sleep)") + tail << qint64(987654);
    // The command name may hold blanks and ")": the fields start after the last one.
    QTest::newRow("name_with_paren_and_blanks") << QByteArray("12 (a) b (c))") + tail << qint64(987654);
    QTest::newRow("truncated") << QByteArray("12 (sleep) S 1 1") << qint64(-1);
    QTest::newRow("no_name") << QByteArray("garbage") << qint64(-1);
    QTest::newRow("tabs_between_fields")
        << QByteArray("12 (sleep)") + QByteArray(tail).replace(' ', '\t') << qint64(987654);
    QTest::newRow("not_a_number") << QByteArray("12 (sleep)") + QByteArray(tail).replace("987654", "98x")
                                  << qint64(-1);
    QTest::newRow("too_large") << QByteArray("12 (sleep)")
                                      + QByteArray(tail).replace("987654", QByteArray(30, '9'))
                               << qint64(-1);
    QTest::newRow("empty") << QByteArray() << qint64(-1);
}

void TestProcTable::startTimeFromStat()
{
    QFETCH(QByteArray, stat);
    QFETCH(qint64, startTime);
    QCOMPARE(::startTimeFromStat(stat), startTime);
}

void TestProcTable::scanListsProcessesInDirectoryOrder()
{
    PhoneTree phone;
    const QByteArray stat = "9 (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 5000 0 0\n";
    phone.write(QStringLiteral("/proc/1/cmdline"), bytes("/sbin/init\0"));
    phone.write(QStringLiteral("/proc/1/stat"), stat);
    phone.write(QStringLiteral("/proc/2/cmdline"), QByteArray());  // kernel thread
    phone.write(QStringLiteral("/proc/300/cmdline"), bytes("-sh\0"));
    phone.write(QStringLiteral("/proc/301/cmdline"), bytes("-sh\0"));      // same name, own id
    phone.mkdir(QStringLiteral("/proc/302"));                              // ended: no cmdline
    phone.write(QStringLiteral("/proc/303/cmdline"), bytes("/opt/x/\0"));  // no name
    phone.write(QStringLiteral("/proc/0/cmdline"), bytes("zero\0"));
    phone.write(QStringLiteral("/proc/self/cmdline"), bytes("self\0"));
    phone.write(QStringLiteral("/proc/12a/cmdline"), bytes("odd\0"));
    phone.write(QStringLiteral("/proc/meminfo"), "MemTotal: 1 kB\n");

    const QHash<QString, QString> names{{"1", "init"}, {"300", "sh"}, {"301", "sh"}};
    QStringList expectedRows;
    QList<int> expectedPids;
    DIR *dir = ::opendir(QFile::encodeName(phone.path(QStringLiteral("/proc"))).constData());
    QVERIFY(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QString::fromLatin1(entry->d_name);
        if (names.contains(name)) {
            expectedRows << names.value(name);
            expectedPids << name.toInt();
        }
    }
    ::closedir(dir);

    MainWindow window;
    QStringList rows;
    for (int i = 0; i < window.listBox->count(); ++i)
        rows << window.listBox->item(i)->text();
    QCOMPARE(rows, expectedRows);
    QCOMPARE(window.pidList, expectedPids);
    QCOMPARE(window.listBox->currentRow(), 0);

    // A scan appends; clearing empties both lists, and clearing twice is harmless.
    window.updateProcess();
    QCOMPARE(window.listBox->count(), 2 * expectedRows.size());
    QCOMPARE(window.pidList.size(), 2 * expectedPids.size());
    window.emptyMainData();
    window.emptyMainData();
    QCOMPARE(window.listBox->count(), 0);
    QVERIFY(window.pidList.isEmpty());
}

void TestProcTable::scanWithoutProcChangesNothing()
{
    PhoneTree phone;
    MainWindow window;
    QCOMPARE(window.listBox->count(), 0);
    QVERIFY(window.pidList.isEmpty());
    QCOMPARE(window.listBox->currentRow(), -1);
}

void TestProcTable::realProcListsThisProcess()
{
    if (!QFileInfo::exists(QStringLiteral("/proc/self/stat")))
        QSKIP("no /proc on this system");
    qunsetenv("EZX_ROOT");
    MainWindow window;
    QCOMPARE(window.listBox->count(), window.pidList.size());
    const int row = window.pidList.indexOf(int(QCoreApplication::applicationPid()));
    QVERIFY(row >= 0);
    // The cut name depends on where the build lies (a "-" in the path ends it), so the row is
    // held against this process's own cmdline rather than a fixed name.
    const QString ownName = readShortName(QString::number(QCoreApplication::applicationPid()));
    QVERIFY(!ownName.isEmpty());
    QVERIFY(window.listBox->item(row)->text().startsWith(ownName));
    QVERIFY(readStartTime(int(QCoreApplication::applicationPid())) > 0);
}

int main(int argc, char **argv)
{
    ZApplication app(argc, argv, 1);
    TestProcTable test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_proctable.moc"
