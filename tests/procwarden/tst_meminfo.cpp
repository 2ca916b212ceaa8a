// SPDX-License-Identifier: GPL-2.0-or-later
#include "meminfo.h"

#include <QtTest>

// The memory view's rows: which lines of /proc/meminfo are shown, and how the figures line up.
class TestMemInfo : public QObject
{
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void sizesToThreeFigures_data();
    void sizesToThreeFigures();
};

void TestMemInfo::rows_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");
    // Today's kernels: the first three lines are the figures a user looks for first.
    QTest::newRow("todays_kernel") << "MemTotal:       24683752 kB\n"
                                      "MemFree:        18701672 kB\n"
                                      "MemAvailable:   22310040 kB\n"
                                      "Active(anon):        276 kB\n"
                                      "SwapTotal:             0 kB\n"
                                      "VmallocTotal:   34359738367 kB\n"
                                      "HugePages_Total:       0\n"
                                      "Hugepagesize:       2048 kB\n"
                                   << QStringList{
                                          "MemTotal:        24683752 kB  23.5 GiB",
                                          "MemFree:         18701672 kB  17.8 GiB",
                                          "MemAvailable:    22310040 kB  21.3 GiB",
                                          "Active(anon):         276 kB",
                                          "SwapTotal:              0 kB",
                                          "VmallocTotal: 34359738367 kB  32.0 TiB",
                                          "HugePages_Total:        0",
                                          "Hugepagesize:        2048 kB  2.00 MiB",
                                      };
    // The phone's kernel: a summary table that repeats the figures below it.
    QTest::newRow("old_summary_table") << "        total:    used:    free:  shared: buffers:  cached:\n"
                                          "Mem:  31272960 29216768  2056192        0  1437696 12169216\n"
                                          "Swap:        0        0        0\n"
                                          "MemTotal:        30540 kB\n"
                                          "MemFree:          2008 kB\n"
                                          "MemShared:           0 kB\n"
                                       << QStringList{
                                              "MemTotal: 30540 kB  29.8 MiB",
                                              "MemFree:   2008 kB  1.96 MiB",
                                              "MemShared:    0 kB",
                                          };
    QTest::newRow("table_alone") << "   total: used: free:\nMem: 1 2 3\n" << QStringList{};
    // Only a table is dropped; lines that are no figures stay as written.
    QTest::newRow("no_table_nothing_dropped")
        << "Mem: 1 2 3\nSwap: 0 0 0\nCached: 4096 kB\n"
        << QStringList{"Mem: 1 2 3", "Swap: 0 0 0", "Cached: 4096 kB  4.00 MiB"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("crlf_and_controls") << "MemTotal: 2048 kB\r\nodd\x1bline\r\n"
                                       << QStringList{"MemTotal: 2048 kB  2.00 MiB", "odd?line"};
    // A name or number no kernel writes is not a figure and widens no column.
    QTest::newRow("overlong_number_not_a_figure") << "A: 1 kB\nB: 12345678901234567890 kB\n"
                                                  << QStringList{"A: 1 kB", "B: 12345678901234567890 kB"};
}

void TestMemInfo::rows()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    QCOMPARE(memInfoRows(text), rows);
}

void TestMemInfo::sizesToThreeFigures_data()
{
    QTest::addColumn<qint64>("kB");
    QTest::addColumn<QString>("size");
    QTest::newRow("below_a_mib") << qint64(1023) << "";
    QTest::newRow("one_mib") << qint64(1024) << "1.00 MiB";
    QTest::newRow("hundreds_of_mib") << qint64(524288) << "512 MiB";
    // 999.5 MiB and more would need four figures.
    QTest::newRow("just_below_a_thousand_mib") << qint64(1023475) << "999 MiB";
    QTest::newRow("rounds_up_into_gib") << qint64(1023488) << "0.98 GiB";
    QTest::newRow("tib") << qint64(34359738367) << "32.0 TiB";
}

void TestMemInfo::sizesToThreeFigures()
{
    QFETCH(qint64, kB);
    QFETCH(QString, size);
    QCOMPARE(binarySize(kB), size);
}

QTEST_APPLESS_MAIN(TestMemInfo)

#include "tst_meminfo.moc"
