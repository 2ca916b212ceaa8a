// SPDX-License-Identifier: GPL-2.0-or-later
// How far a job is, read from /proc (on a made-up tree and on real tools), and how a job is
// cancelled as a whole.
#include "jobprogress.h"
#include "shellcommand.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestJobProgress : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { setShellWatch(nullptr); }
    void parsers_data();
    void parsers();
    void fakeTreeIsMeasuredBySessionAndFile();
    void realToolIsMeasuredAnywhereInTheJob_data();
    void realToolIsMeasuredAnywhereInTheJob();
    void cancelEndsTheWholeGroup_data();
    void cancelEndsTheWholeGroup();
    void noJobStartsAfterACancelUntilANewWatch();
};

void TestJobProgress::parsers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("session");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("readChars");
    QTest::newRow("stat_plain") << QByteArray("42 (tar) S 41 40 39 0 -1 4194560 ...\n") << qint64(39)
                                << qint64(-1) << qint64(-1);
    // A command name may hold blanks and parentheses: the fields start after the last ")".
    QTest::newRow("stat_name_with_paren")
        << QByteArray("42 (a) b (c) R 41 40 77 0\n") << qint64(77) << qint64(-1) << qint64(-1);
    QTest::newRow("stat_cut_short") << QByteArray("42 (tar) S 41") << qint64(-1) << qint64(-1) << qint64(-1);
    QTest::newRow("fdinfo") << QByteArray("pos:\t1048576\nflags:\t0100000\nmnt_id:\t29\n") << qint64(-1)
                            << qint64(1048576) << qint64(-1);
    QTest::newRow("io") << QByteArray("rchar: 323934\nwchar: 323929\nsyscr: 632\n") << qint64(-1)
                        << qint64(-1) << qint64(323934);
    QTest::newRow("empty") << QByteArray() << qint64(-1) << qint64(-1) << qint64(-1);
    QTest::newRow("garbage_value") << QByteArray("pos:\tmany\nrchar: -5\n") << qint64(-1) << qint64(-1)
                                   << qint64(-1);
}

void TestJobProgress::parsers()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, session);
    QFETCH(qint64, position);
    QFETCH(qint64, readChars);
    QCOMPARE(sessionOfStat(text), session);
    QCOMPARE(positionOfFdinfo(text), position);
    QCOMPARE(readCharsOfIo(text), readChars);
}

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A process in the made-up tree: its stat, io, and descriptors linked to files.
void fakeProcess(const QString &proc, int pid, int session, qint64 rchar,
                 const QList<std::tuple<int, QString, qint64>> &fds)
{
    const QString base = proc + QLatin1Char('/') + QString::number(pid);
    writeFile(base + "/stat", QStringLiteral("%1 (x) tar) S 1 %2 %2 0 -1\n").arg(pid).arg(session).toUtf8());
    if (rchar >= 0)
        writeFile(base + "/io", QStringLiteral("rchar: %1\nwchar: 0\n").arg(rchar).toUtf8());
    QDir().mkpath(base + "/fd");
    for (const auto &[fd, target, pos] : fds) {
        QVERIFY(QFile::link(target, base + "/fd/" + QString::number(fd)));
        writeFile(base + "/fdinfo/" + QString::number(fd),
                  QStringLiteral("pos:\t%1\nflags:\t0\n").arg(pos).toUtf8());
    }
}

}  // namespace

void TestJobProgress::fakeTreeIsMeasuredBySessionAndFile()
{
    QTemporaryDir dir;
    const QString proc = dir.filePath("proc");
    const QString archive = dir.filePath("music.tar.gz");
    const QString other = dir.filePath("other");
    writeFile(archive, QByteArray(1000, 'a'));
    writeFile(other, QByteArray(5000, 'b'));
    // The job (session 100): the shell, tar reading the archive, and gzip under tar also
    // reading it; another job (session 200) further on in the same archive.
    fakeProcess(proc, 100, 100, 10, {});
    fakeProcess(proc, 101, 100, 700, {{3, archive, 250}, {4, other, 4000}});
    fakeProcess(proc, 102, 100, 300, {{5, archive, 600}});
    fakeProcess(proc, 200, 200, 9000, {{3, archive, 900}});
    QDir().mkpath(proc + "/sys");
    // An ended child not yet collected runs no more.
    writeFile(proc + "/103/stat", "103 (sleep) Z 1 100 100 0 -1\n");

    const ProcReader reader(proc);
    QList<int> members = reader.sessionMembers(100);
    std::sort(members.begin(), members.end());
    QCOMPARE(members, QList<int>({100, 101, 102}));
    QVERIFY(reader.sessionMembers(300).isEmpty());
    QVERIFY(ProcReader(dir.filePath("none")).sessionMembers(100).isEmpty());

    // The furthest descriptor on the archive's own file, whatever else is open.
    QCOMPARE(measureJob(reader, {JobGauge::FileRead, archive}, 100), 0.6);
    QCOMPARE(measureJob(reader, {JobGauge::FileRead, archive}, 200), 0.9);
    QCOMPARE(measureJob(reader, {JobGauge::FileRead, other}, 100), 0.8);
    // By bytes read, of the processes that have the file open: however far they went in it.
    QCOMPARE(measureJob(reader, {JobGauge::FileReadChars, other}, 100), 0.14);
    QCOMPARE(measureJob(reader, {JobGauge::FileReadChars, archive}, 100), 0.7);
    QCOMPARE(measureJob(reader, {JobGauge::FileReadChars, dir.filePath("none")}, 100), -1.0);
    QCOMPARE(measureJob(reader, {JobGauge::FileRead, dir.filePath("gone")}, 100), -1.0);
    QCOMPARE(measureJob(reader, {JobGauge::FileRead, dir.filePath("music.tar.gz")}, 300), -1.0);
    // Bytes: what came before plus the most one process read, never past this job's share.
    QCOMPARE(measureJob(reader, {JobGauge::BytesRead, QString(), 100, 400, 1000}, 100), 0.4);
    QCOMPARE(measureJob(reader, {JobGauge::BytesRead, QString(), 100, 9000, 10000}, 100), 0.08);

    // With children files the job is the shell's tree: 101 is its child, 102 tar's.
    writeFile(proc + "/100/task/100/children", "101 ");
    writeFile(proc + "/101/task/101/children", "");
    writeFile(proc + "/101/task/105/children", "102");
    writeFile(proc + "/102/task/102/children", "");
    QList<int> tree = reader.jobTree(100);
    std::sort(tree.begin(), tree.end());
    QCOMPARE(tree, QList<int>({100, 101, 102}));
    QCOMPARE(measureJob(reader, {JobGauge::FileRead, archive}, 100), 0.6);
    writeFile(proc + "/101/task/105/children", "");
    QCOMPARE(measureJob(reader, {JobGauge::FileRead, archive}, 100), 0.25);
    writeFile(proc + "/101/task/105/children", "102");
    QCOMPARE(measureJob(reader, {}, 100), -1.0);

    // The meter's share of one job never goes back; a new job starts afresh.
    setJobGauge({JobGauge::FileRead, archive});
    JobMeter meter(proc, 0);
    QCOMPARE(meter.sample(100), 0.6);
    writeFile(proc + "/102/fdinfo/5", "pos:\t100\n");
    QCOMPARE(meter.sample(100), 0.6);
    QCOMPARE(meter.sample(200), 0.9);
    QCOMPARE(meter.sample(100), 0.25);
    setJobGauge({});
}

// A tool reading a file of 1 MiB writes into a FIFO that the test drains only after it has
// seen a share between 0 and 1: the tool is held there, whatever the machine's speed.
void TestJobProgress::realToolIsMeasuredAnywhereInTheJob_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<bool>("bytes");
    QTest::newRow("cat_file_position") << "cat %1 > %2" << false << false;
    QTest::newRow("cat_read_bytes") << "cat %1 > %2" << false << true;
    // gzip is the shell's child here, not the session's first process.
    QTest::newRow("gzip_in_a_pipe") << "gzip -dc %1 | cat > %2" << true << false;
}

void TestJobProgress::realToolIsMeasuredAnywhereInTheJob()
{
    QFETCH(QString, line);
    QFETCH(bool, compressed);
    QFETCH(bool, bytes);
    QTemporaryDir dir;
    QString file = dir.filePath("data");
    // Random bytes: gzip cannot shrink them, so the .gz is as long as the data.
    QByteArray data(1 << 20, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
    writeFile(file, data);
    if (compressed) {
        QCOMPARE(runShellCommand("gzip -1 " + shellQuotePath(file)).code, 0);
        file += ".gz";
    }
    const QString fifo = dir.filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int drain = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(drain >= 0);

    const JobGauge gauge = bytes ? JobGauge{JobGauge::BytesRead, QString(), 0, data.size(), data.size()}
                                 : JobGauge{JobGauge::FileRead, file};
    const ProcReader reader;
    QList<double> seen;
    int looks = 0;
    setShellWatch([&](int job) {
        const double share = measureJob(reader, gauge, job);
        if (share >= 0 && (seen.isEmpty() || seen.constLast() != share))
            seen.append(share);
        // Held until a share was seen (or clearly never will be), then let go.
        if ((!seen.isEmpty() && seen.constLast() > 0) || ++looks > 250) {
            char buffer[65536];
            while (::read(drain, buffer, sizeof buffer) > 0) {}
        }
        return false;
    });
    ShellJob job;
    job.line = line.arg(shellQuotePath(file), shellQuotePath(fifo));
    QCOMPARE(runShellJob(job).status.code, 0);
    ::close(drain);

    QVERIFY2(!seen.isEmpty() && seen.constFirst() > 0 && seen.constFirst() < 1,
             qPrintable(QString::number(seen.value(0, -1))));
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
}

void TestJobProgress::cancelEndsTheWholeGroup_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("shell_and_children") << "sleep 100 & sleep 100; wait";
    // Deaf to SIGTERM: SIGKILL follows.
    QTest::newRow("ignores_sigterm") << "trap '' TERM; sleep 100 & sleep 100; wait";
    QTest::newRow("stopped_child") << "sleep 100 & kill -STOP $!; sleep 100";
}

void TestJobProgress::cancelEndsTheWholeGroup()
{
    QFETCH(QString, line);
    int group = -1;
    int calls = 0;
    // Cancelled once the job's processes are all up (the shell and two others).
    setShellWatch([&](int job) {
        group = job;
        return ProcReader().sessionMembers(job).size() >= 3 || ++calls > 500;
    });
    ShellJob job;
    job.line = line;
    const ShellResult result = runShellJob(job);
    QVERIFY(result.cancelled);
    QCOMPARE(result.status.end, ShellStatus::Killed);
    QVERIFY(shellCancelled());
    QVERIFY(group > 0);
    // Nothing of the job runs when runShellJob returns (a child may still wait as a zombie
    // until init collects it).
    QVERIFY(ProcReader().sessionMembers(group).isEmpty());
}

void TestJobProgress::noJobStartsAfterACancelUntilANewWatch()
{
    QTemporaryDir dir;
    const QString mark = dir.filePath("mark");
    setShellWatch([](int) { return true; });
    QVERIFY(runShellJob({"sleep 100"}).cancelled);
    const ShellResult refused = runShellJob({"touch " + shellQuotePath(mark)});
    QVERIFY(refused.cancelled);
    QCOMPARE(refused.status.end, ShellStatus::NotRun);
    QVERIFY(!QFile::exists(mark));

    setShellWatch(nullptr);
    QVERIFY(!shellCancelled());
    QCOMPARE(runShellCommand("touch " + shellQuotePath(mark)).code, 0);
    QVERIFY(QFile::exists(mark));
}

QTEST_GUILESS_MAIN(TestJobProgress)
#include "tst_jobprogress.moc"
