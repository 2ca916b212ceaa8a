// SPDX-License-Identifier: GPL-2.0-or-later
// glowra's flasher started and stopped a thousand times on the silent microphone.
#include "resources.h"

#include "glowra.h"
#include "simlights.h"

#include <QtTest>

class TestSoakFlasher : public QObject
{
    Q_OBJECT

private slots:
    void thousandStartsLeakNothing();
};

void TestSoakFlasher::thousandStartsLeakNothing()
{
    qunsetenv("EZX_MIC");  // silence, paced in real time
    constexpr int runs = 1000;
    Resources early;
    for (int n = 0; n < runs; ++n) {
        glowO.start();
        QVERIFY(glowO.runned());
        glowO.stop();
        QVERIFY(!glowO.runned());
        if (n % 100 == 99)
            clearLightLog();
        if (n == runs / 10)
            early = resourcesNow();
    }
    const Resources late = resourcesSettled(early);
    qInfo("after %d runs: %s; after %d: %s", runs / 10, qPrintable(early.describe()), runs,
          qPrintable(late.describe()));
    QVERIFY2(staysFlat(early, late), qPrintable(late.describe()));
}

SIM_LIGHTS_TEST_MAIN(TestSoakFlasher, QCoreApplication)

#include "tst_soak_flasher.moc"
