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
class TestProcTable : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void pidOfEntryName_data();
    void pidOfEntryName();
    void shortNameCut_data();
    void shortNameCut();
    void shortNameFromCmdlineFile_data();
    void shortNameFromCmdlineFile();
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
    auto row = [](const char *tag, const char *line, int lineLength, const char *name, int nameLength) {
        QTest::newRow(tag) << QString::fromLatin1(line, lineLength) << QString::fromLatin1(name, nameLength);
    };
    row("absolute_path", "/usr/bin/foo\0", 13, "foo", 3);
    row("login_shell_dash_skipped", "-sh\0", 4, "sh", 2);
    row("colon_stops", "foo:bar\0", 8, "foo", 3);
    row("blank_stops", "/bin/app --opt\0", 15, "app", 3);
    row("nothing_after_last_slash", "/opt/x/\0", 8, "", 0);
    row("empty", "", 0, "", 0);
    // NUL bytes are ordinary characters: the scan runs on into the next arguments.
    row("nul_kept_until_dash_of_next_argument", "/bin/sh\0-c\0run\0", 15, "sh\0", 3);
    row("slash_in_later_argument_moves_start", "sh\0/etc/init\0", 13, "init", 4);
    row("only_stoppers", "--\0", 3, "", 0);
    row("bare_directory", "/bin/\0", 6, "", 0);
    row("mixed_stoppers_after_slash", "/x/ -:tool\0", 11, "tool", 4);
    // Without a final NUL the scan still drops the last character it looked at.
    row("no_final_nul", "init", 4, "ini", 3);
}

void TestProcTable::shortNameCut()
{
    QFETCH(QString, line);
    QFETCH(QString, name);
    QCOMPARE(cutShortName(line), name);
}

void TestProcTable::shortNameFromCmdlineFile_data()
{
    QTest::addColumn<QByteArray>("cmdline");
    QTest::addColumn<QString>("name");
    QTest::newRow("arguments") << QByteArray("/usr/bin/foo\0--opt\0", 19) << QString::fromLatin1("foo\0", 4);
    QTest::newRow("kernel_thread_empty") << QByteArray() << QString();
    // Only the first line counts: a line feed inside an argument ends it.
    QTest::newRow("line_feed_ends_line")
        << QByteArray("/bin/ed\0x\ny/z\0", 14) << QString::fromLatin1("ed\0", 3);
    QTest::newRow("utf8_name") << QByteArray("/opt/caf\xc3\xa9\0", 11) << QString::fromUtf8("caf\xc3\xa9");
    // Lines longer than one read of the file.
    QTest::newRow("long_path") << "/" + QByteArray(3000, 'd') + QByteArray("/tool\0", 6)
                               << QStringLiteral("tool");
    QTest::newRow("line_feed_after_first_read")
        << "/bin/" + QByteArray(1500, 'x') + "\nz/y" << QString(1499, QLatin1Char('x'));
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
    phone.write(QStringLiteral("/proc/1/cmdline"), QByteArray("/sbin/init\0", 11));
    phone.write(QStringLiteral("/proc/1/stat"), stat);
    phone.write(QStringLiteral("/proc/2/cmdline"), QByteArray());  // kernel thread
    phone.write(QStringLiteral("/proc/300/cmdline"), QByteArray("-sh\0", 4));
    phone.write(QStringLiteral("/proc/301/cmdline"), QByteArray("-sh\0", 4));      // same name, own id
    phone.mkdir(QStringLiteral("/proc/302"));                                      // ended: no cmdline
    phone.write(QStringLiteral("/proc/303/cmdline"), QByteArray("/opt/x/\0", 8));  // no name
    phone.write(QStringLiteral("/proc/0/cmdline"), QByteArray("zero\0", 5));
    phone.write(QStringLiteral("/proc/self/cmdline"), QByteArray("self\0", 5));
    phone.write(QStringLiteral("/proc/12a/cmdline"), QByteArray("odd\0", 4));
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
