// SPDX-License-Identifier: GPL-2.0-or-later
// ambid's measure-and-ramp cycle, ten thousand times in-process, with a camera that cannot be
// opened or fails a request and a backlight whose level cannot be set.
#include "resources.h"

#include "camera.h"
#include "daemon.h"
#include "fakecamera.h"
#include "lights.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

class TestSoakAmbid : public QObject
{
    Q_OBJECT

private slots:
    void failingCyclesLeakNothing();
};

void TestSoakAmbid::failingCyclesLeakNothing()
{
    QTemporaryDir dir;
    qputenv("EZX_LIGHTS", "sim:" + QFile::encodeName(dir.filePath("lights.log")));
    qputenv("EZX_SIM_LEVEL", "40");
    qputenv("EZX_SIM_FAIL", "461b");
    lightsReset();
    auto *camera = new FakeCamera;  // the camera seam owns it
    cameraUse(camera);
    const int fb = lightOpen(LIGHT_NODE_FB, O_RDONLY);
    QVERIFY(fb >= 0);

    // Thousands of failure lines: to /dev/null, not the test log.
    const int savedErr = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDERR_FILENO);
    ::close(null);

    constexpr int cycles = 10000;
    Resources early;
    for (int n = 0; n < cycles; ++n) {
        // Alternately no camera at all and a camera whose capture request fails.
        camera->openFails = n % 2 == 0;
        camera->failingRequest = n % 2 == 0 ? 0 : WCAM_VIDIOCGRABFRAME;
        adjustBacklight(fb, 10, 60);
        camera->trace.clear();  // the fake's own record of the calls, not the daemon's
        // The log of the simulated lights is the test's, not the program's: keep it short.
        if (n % 1000 == 999)
            QFile(dir.filePath("lights.log")).resize(0);
        if (n == cycles / 10)
            early = resourcesNow();
    }
    const Resources late = resourcesSettled(early);

    ::dup2(savedErr, STDERR_FILENO);
    ::close(savedErr);
    lightClose(fb);
    qInfo("after %d cycles: %s; after %d: %s", cycles / 10, qPrintable(early.describe()), cycles,
          qPrintable(late.describe()));
    QCOMPARE(camera->openDescriptors, 0);
    QCOMPARE(camera->liveMappings, 0);
    cameraReset();
    lightsReset();
    QVERIFY2(staysFlat(early, late), qPrintable(late.describe()));
}

QTEST_GUILESS_MAIN(TestSoakAmbid)
#include "tst_soak_ambid.moc"
