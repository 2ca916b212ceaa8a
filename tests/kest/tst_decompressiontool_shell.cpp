// SPDX-License-Identifier: GPL-2.0-or-later
// The command runner under the archive engine: how a command ends, what it reads, and the
// hook that keeps a window alive while it runs.
#include "shellcommand.h"

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
    void errorsAreCapturedAndPassedOn();
    void jobIsASessionOfItsOwn();
    void outputCaptureAndLimit();
    void outputIntoANewFile();
    void passwordReachesTheTool_data();
    void passwordReachesTheTool();
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
    QCOMPARE(runShellCommand("read answer; test -z \"$answer\" && test ! -t 0").code, 0);
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

void TestShellCommand::errorsAreCapturedAndPassedOn()
{
    ShellJob job;
    job.line = "echo first >&2; echo; echo 'tar: Unexpected EOF in archive' >&2; exit 2";
    const ShellResult result = runShellJob(job);
    QCOMPARE(result.status.code, 2);
    QCOMPARE(result.errors, QByteArray("first\ntar: Unexpected EOF in archive\n"));
    QVERIFY(result.output.isEmpty());  // not captured: it went to the test's own output
}

// A job can be stopped as a whole (its process group) and never reaches the terminal the
// program was started from.
void TestShellCommand::jobIsASessionOfItsOwn()
{
    ShellJob job;
    job.line =
        "test \"$(ps -o sid= -p $$ | tr -d ' ')\" = $$ && test \"$(ps -o pgid= -p $$ | tr -d ' ')\" = $$"
        " && ! (: < /dev/tty) 2>/dev/null";
    job.captureOutput = true;
    QCOMPARE(runShellJob(job).status.code, 0);
}

void TestShellCommand::outputCaptureAndLimit()
{
    ShellJob job;
    job.line = "printf 'a%.0s' $(seq 1 100)";
    job.captureOutput = true;
    ShellResult result = runShellJob(job);
    QCOMPARE(result.output, QByteArray(100, 'a'));
    QVERIFY(!result.stopped);

    // An endless writer is stopped, with its whole group, once enough has come.
    job.line = "yes | cat";
    job.outputLimit = 512;
    result = runShellJob(job);
    QVERIFY(result.stopped);
    QVERIFY(result.output.size() >= 512);
    QCOMPARE(result.output.left(4), QByteArray("y\ny\n"));
}

void TestShellCommand::outputIntoANewFile()
{
    QTemporaryDir dir;
    ShellJob job;
    job.line = "printf data";
    job.outputFile = dir.filePath("out");
    QCOMPARE(runShellJob(job).status.code, 0);
    QFile out(job.outputFile);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), QByteArray("data"));
    QCOMPARE(out.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    // An existing file is never written over.
    QCOMPARE(runShellJob(job).status.end, ShellStatus::NotRun);
}

void TestShellCommand::passwordReachesTheTool_data()
{
    QTest::addColumn<int>("way");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("prompts");
    QTest::addColumn<QByteArray>("heard");  // what the tool read, line by line
    // Like unzip and unar: asks on /dev/tty with echo off, and again when the answer is wrong.
    const QString ask = "stty -echo < /dev/tty; printf 'Password: ' > /dev/tty; read -r pw < /dev/tty;"
                        " stty echo < /dev/tty; printf '%s|' \"$pw\"; ";
    QTest::newRow("terminal") << int(ShellJob::PasswordAtTerminal) << ask << 1
                              << QString("s3 crét'|").toUtf8();
    QTest::newRow("terminal_asked_again")
        << int(ShellJob::PasswordAtTerminal) << ask + ask << 2 << QString("s3 crét'||").toUtf8();
    QTest::newRow("terminal_asked_again_echo_off")
        << int(ShellJob::PasswordAtTerminal)
        << "stty -echo < /dev/tty; read -r a < /dev/tty; read -r b < /dev/tty; printf '%s|%s' \"$a\" \"$b\""
        << 2 << QString("s3 crét'|").toUtf8();
    // Like 7-Zip without a terminal: one line on standard input.
    QTest::newRow("input") << int(ShellJob::PasswordOnInput) << "read -r pw; printf '%s|' \"$pw\"" << 0
                           << QString("s3 crét'|").toUtf8();
}

void TestShellCommand::passwordReachesTheTool()
{
    QFETCH(int, way);
    QFETCH(QString, line);
    QFETCH(int, prompts);
    QFETCH(QByteArray, heard);
    ShellJob job;
    job.line = line;
    job.passwordWay = ShellJob::PasswordWay(way);
    job.password = QString::fromUtf8("s3 crét'");
    job.captureOutput = true;
    const ShellResult result = runShellJob(job);
    QCOMPARE(result.status.code, 0);
    // At a terminal the prompts show in the output too.
    QCOMPARE(QByteArray(result.output).replace("Password: ", ""), heard);
    QCOMPARE(result.prompts, prompts);
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
