// SPDX-License-Identifier: GPL-2.0-or-later
#include "glowra.h"
#include "lights.h"
#include "simlights.h"

#include <QTemporaryDir>
#include <QtTest>

// The process-wide flasher on the paced file microphone, checked by the requests the
// simulated lights log.
class TestFlasher : public QObject
{
    Q_OBJECT
private slots:
    void flashesToSoundFile_data();
    void flashesToSoundFile();
    void stopWhenStoppedStillRestoresBacklight();
};

void TestFlasher::flashesToSoundFile_data()
{
    QTest::addColumn<bool>("smooth");
    QTest::addColumn<short>("sens");
    QTest::addColumn<QStringList>("flash");
    QTest::addColumn<QStringList>("firstQuiet");
    // The tone is loud enough (L = 63360) for both thresholds; 31680 is half of it.
    QTest::newRow("plain_flash_at_set_level")
        << false << short(2560) << QStringList{"/dev/fb0 0x461b 80"} << QStringList{};
    QTest::newRow("smooth_flash_follows_loudness")
        << true << short(31680) << QStringList{"/dev/fb0 0x461b 50"} << QStringList{"/dev/fb0 0x461b 0"};
}

void TestFlasher::flashesToSoundFile()
{
    QFETCH(bool, smooth);
    QFETCH(short, sens);
    QFETCH(QStringList, flash);
    QFETCH(QStringList, firstQuiet);

    // A low square tone (period 64, 3 negative runs a block) for three blocks and the
    // 256-sample hold after the first: 832 samples, then silence.
    QTemporaryDir dir;
    QFile sound(dir.filePath("tone.raw"));
    QVERIFY(sound.open(QIODevice::WriteOnly));
    for (int i = 0; i < 832; ++i) {
        const qint16 sample = i % 64 < 32 ? 1920 : -1920;
        sound.write(reinterpret_cast<const char *>(&sample), 2);  // s16le on this machine
    }
    sound.close();
    qputenv("EZX_MIC", "file:" + QFile::encodeName(sound.fileName()));

    clearLightLog();
    glowO.setSens(sens);
    glowO.setSmooth(smooth);
    fl_fbbr = 80;
    glowO.start();
    SimLightState lights{};
    QVERIFY(lightSimState(&lights) && !lights.backlightOn);

    const QStringList start{"/dev/fb0 0x4611 0", "/dev/fb0 0x4619 0", "/dev/keylight 0xf2 0"};
    const QStringList darken{"/dev/keylight 0xf2 0", "/dev/fb0 0x4619 0"};
    const QStringList stop{"/dev/keylight 0xf2 0", "/dev/fb0 0x4611 0", "/dev/fb0 0x4619 1"};
    const QStringList expectedStart =
        start + flash + QStringList{"/dev/keylight 0xf0 0", "/dev/fb0 0x4611 0", "/dev/fb0 0x4619 1"} + flash
        + flash + QStringList{"/dev/keylight 0xf0 0"} + firstQuiet + darken + darken;
    QTRY_VERIFY_WITH_TIMEOUT(lightLog().size() >= expectedStart.size(), 3000);
    glowO.stop();
    QVERIFY(!glowO.runned());

    QStringList log = lightLog();
    QCOMPARE(log.mid(0, expectedStart.size()), expectedStart);
    QCOMPARE(log.mid(log.size() - stop.size()), stop);
    // Between them only more quiet blocks, each switching both lights off again.
    log = log.mid(expectedStart.size(), log.size() - expectedStart.size() - stop.size());
    QCOMPARE(log.size() % 2, 0);
    for (int i = 0; i < log.size(); i += 2)
        QCOMPARE(log.mid(i, 2), darken);
    QVERIFY(lightSimState(&lights) && lights.backlightOn && !lights.keypadOn);
}

void TestFlasher::stopWhenStoppedStillRestoresBacklight()
{
    clearLightLog();
    glowO.stop();
    QCOMPARE(lightLog(), (QStringList{"/dev/keylight 0xf2 0", "/dev/fb0 0x4611 0", "/dev/fb0 0x4619 1"}));
}

SIM_LIGHTS_TEST_MAIN(TestFlasher, QCoreApplication)

#include "tst_glowra_flasher.moc"
