// SPDX-License-Identifier: GPL-2.0-or-later
// glowrad's playback through a thousand calls that ring and stop, in-process, on a clock of this
// program's own: the idle second between calls passes at once, and the call comes and goes on a
// schedule of that clock.
#include "resources.h"

#include "glowshow.h"
#include "lights.h"
#include "schemefile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::int64_t fakeNowNs = 1'000'000'000;
QByteArray ringingPath;
bool ringing = false;
int transitions = 0;
int transitionsWanted = 0;
Resources early;

constexpr std::int64_t callLengthNs = 1'500'000'000;  // each call rings, then stays silent, this long

std::int64_t now()
{
    return fakeNowNs;
}

// Every wait passes at once, and the call rings or stops as the time it covered says.
void wait(std::int64_t ns, const sigset_t *)
{
    const std::int64_t before = fakeNowNs / callLengthNs;
    fakeNowNs += ns;
    if (fakeNowNs / callLengthNs == before)
        return;
    ringing = !ringing;
    if (ringing)
        ::close(::open(ringingPath.constData(), O_WRONLY | O_CREAT, 0644));
    else
        ::unlink(ringingPath.constData());
    if (++transitions == transitionsWanted / 10)
        early = resourcesNow();
    if (transitions >= transitionsWanted)
        sigexit(SIGTERM);
}

const ShowClock scheduled = {now, wait};

}  // namespace

class TestSoakGlowrad : public QObject
{
    Q_OBJECT

private slots:
    void thousandCallsLeakNothing();
};

void TestSoakGlowrad::thousandCallsLeakNothing()
{
    QTemporaryDir dir;
    qputenv("EZX_ROOT", QFile::encodeName(dir.path()));
    qputenv("EZX_LIGHTS", "sim:/dev/null");
    ringingPath = QFile::encodeName(dir.filePath("ringing"));
    qputenv("EZX_CALL", "file:" + ringingPath);
    lightsReset();

    // Two short steps with the keypad light and a level of their own, so that every end of a
    // call has something to undo.
    const std::vector<unsigned char> schemes = encodeSchemes({{{100, 80, 1}, {150, 0, 0}}});
    QFile file(dir.filePath("glowrad.sch"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char *>(schemes.data()), qsizetype(schemes.size()));
    file.close();
    argv0 = QFile::encodeName(file.fileName()).toStdString();

    transitionsWanted = 2000;  // a thousand calls, each ringing and ending
    glowshow(0, false, scheduled);
    const Resources late = resourcesSettled(early);

    QCOMPARE(transitions, transitionsWanted);
    qInfo("after %d calls: %s; after %d: %s", transitionsWanted / 20, qPrintable(early.describe()),
          transitionsWanted / 2, qPrintable(late.describe()));
    // The daemon has closed the lights and the schemes file on its way out.
    QVERIFY2(staysFlat(early, late), qPrintable(late.describe()));
}

QTEST_GUILESS_MAIN(TestSoakGlowrad)
#include "tst_soak_glowrad.moc"
