// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemonrig.h"

#include <QFile>
#include <QtTest>
#include <memory>

// The schemes file built from data/ played by the daemon, every scheme once as a demo.
class TestShipped : public QObject
{
    Q_OBJECT
private slots:
    void everySchemePlaysAsADemo();
};

void TestShipped::everySchemePlaysAsADemo()
{
    QFile shipped(qEnvironmentVariable("EZX_TEST_BIN_DIR") + QStringLiteral("/glowrad.sch"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray file = shipped.readAll();
    const auto *data = reinterpret_cast<const unsigned char *>(file.constData());

    // All ten at once, each in its own folder: the longest show sets the time.
    std::vector<std::unique_ptr<DaemonRig>> rigs;
    for (int n = 0; n < SCHEME_COUNT; ++n) {
        rigs.push_back(std::make_unique<DaemonRig>());
        QVERIFY(rigs.back()->isValid());
        rigs.back()->writeSchemes(file);
        rigs.back()->setBrightnessSetting(QStringLiteral("37"));
        rigs.back()->start({QString::number(n), QStringLiteral("d")});
    }
    for (int n = 0; n < SCHEME_COUNT; ++n) {
        DaemonRig &rig = *rigs[n];
        QVERIFY2(rig.waitForEnd(30000), schemeNames[n]);
        QCOMPARE(rig.exitCode(), 0);
        QCOMPARE(rig.output(), QStringLiteral("Showing demo\nDone\n"));

        const SchemeEntry entry = schemeEntry(data, std::size_t(file.size()), n);
        QStringList expected = openLines();
        for (std::uint32_t i = 0; i < entry.steps; ++i)
            expected << stepLines(decodeStep(data + entry.offset + i * SCHEME_STEP_SIZE), 37);
        expected << restoreLines(37);
        QCOMPARE(rig.log(), expected);
    }
}

QTEST_GUILESS_MAIN(TestShipped)
#include "tst_glowrad_shipped.moc"
