// SPDX-License-Identifier: GPL-2.0-or-later
// The command runner under the archive engine: how a command ends, what it reads, and the
// hook that keeps a window alive while it runs.
#include "shellcommand.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestShellCommand : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { setShellWaitHook({}); }
    void endings_data();
    void endings();
    void inputIsEndOfFile();
    void lineReachesShellAsUtf8();
    void nulCharacterIsNotRun();
    void hookRunsWhileWaiting();
    void quoting_data();
    void quoting();
};

void TestShellCommand::endings_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("code");
    QTest::newRow("success") << "true" << int(ShellStatus::Exited) << 0;
    QTest::newRow("status") << "exit 3" << int(ShellStatus::Exited) << 3;
    QTest::newRow("not_found") << "no-such-tool-here" << int(ShellStatus::Exited) << 127;
    QTest::newRow("signal") << "kill -TERM $$" << int(ShellStatus::Killed) << int(SIGTERM);
    QTest::newRow("syntax_error") << "'" << int(ShellStatus::Exited) << 2;
}

void TestShellCommand::endings()
{
    QFETCH(QString, line);
    QFETCH(int, end);
    QFETCH(int, code);
    const ShellStatus status = runShellCommand(line);
    QCOMPARE(int(status.end), end);
    QCOMPARE(status.code, code);
}

// A tool asking "overwrite? [y/n]" reads end of input at once instead of waiting forever.
void TestShellCommand::inputIsEndOfFile()
{
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(runShellCommand("read answer; test -z \"$answer\" && test ! -t 0").code, 0);
    QVERIFY(timer.elapsed() < 5000);
}

void TestShellCommand::lineReachesShellAsUtf8()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QString::fromUtf8("解压 ü"));
    QCOMPARE(runShellCommand("touch " + shellQuotePath(name)).code, 0);
    QVERIFY(QFileInfo::exists(name));
}

void TestShellCommand::nulCharacterIsNotRun()
{
    QTemporaryDir dir;
    const QString line = "touch " + shellQuotePath(dir.filePath("a")) + QChar(0) + "; touch "
                         + shellQuotePath(dir.filePath("b"));
    QCOMPARE(runShellCommand(line).end, ShellStatus::NotRun);
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestShellCommand::hookRunsWhileWaiting()
{
    int calls = 0;
    setShellWaitHook([&calls] { ++calls; });
    QCOMPARE(runShellCommand("sleep 0.5").code, 0);
    // Every 20 ms or so; generous for a loaded machine.
    QVERIFY2(calls >= 5, qPrintable(QString::number(calls)));
    setShellWaitHook({});
    calls = 0;
    QCOMPARE(runShellCommand("sleep 0.1").code, 0);
    QCOMPARE(calls, 0);
}

void TestShellCommand::quoting_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("word");
    QTest::newRow("plain_absolute") << "/mmc/mmca1/music.tar.gz"
                                    << "/mmc/mmca1/music.tar.gz";
    QTest::newRow("plain_marks") << "/a_b-c.d+e,f:g=h%i@j"
                                 << "/a_b-c.d+e,f:g=h%i@j";
    QTest::newRow("blank") << "/a b"
                           << "'/a b'";
    QTest::newRow("single_quote") << "/it's"
                                  << "'/it'\\''s'";
    QTest::newRow("empty") << ""
                           << "''";
    QTest::newRow("leading_dash") << "-x"
                                  << "./-x";
    QTest::newRow("leading_dash_quoted") << "-x y"
                                         << "'./-x y'";
    QTest::newRow("colon_first") << "h:x"
                                 << "./h:x";
    QTest::newRow("colon_after_slash") << "d/h:x"
                                       << "d/h:x";
    QTest::newRow("absolute_colon") << "/h:x"
                                    << "/h:x";
}

void TestShellCommand::quoting()
{
    QFETCH(QString, path);
    QFETCH(QString, word);
    QCOMPARE(shellQuotePath(path), word);
    // And the shell reads it back as the one argument meant.
    const QString expected = word.startsWith("'./") || word.startsWith("./") ? "./" + path : path;
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    QCOMPARE(runShellCommand("printf %s " + shellQuotePath(path) + " > " + shellQuotePath(out)).code, 0);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), expected);
}

QTEST_GUILESS_MAIN(TestShellCommand)
#include "tst_decompressiontool_shell.moc"
