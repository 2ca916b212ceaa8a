// SPDX-License-Identifier: GPL-2.0-or-later
// glowrad's playback through a thousand calls that ring and stop, in-process. The daemon waits
// in ppoll against the monotonic clock; this program stands in for both, so the idle second
// between calls passes at once and the call comes and goes on a schedule of that clock.
#include "resources.h"

#include "glowshow.h"
#include "lights.h"
#include "schemefile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Only the thread that plays is fooled; QtTest's watchdog keeps the real clock.
std::atomic<bool> faking{false};
pthread_t player;

bool fooled()
{
    return faking && pthread_equal(pthread_self(), player);
}
std::int64_t fakeNowNs = 1'000'000'000;
QByteArray ringingPath;
bool ringing = false;
int transitions = 0;
int transitionsWanted = 0;
Resources early;

constexpr std::int64_t callLengthNs = 1'500'000'000;  // each call rings, then stays silent, this long

void advance(std::int64_t ns)
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

}  // namespace

extern "C" int clock_gettime(clockid_t clock, timespec *now)
{
    if (clock == CLOCK_MONOTONIC && fooled()) {
        now->tv_sec = time_t(fakeNowNs / 1'000'000'000);
        now->tv_nsec = long(fakeNowNs % 1'000'000'000);
        return 0;
    }
    return int(syscall(SYS_clock_gettime, clock, now));
}

extern "C" int ppoll(pollfd *fds, nfds_t count, const timespec *timeout, const sigset_t *mask)
{
    if (count == 0 && timeout && fooled()) {
        advance(std::int64_t(timeout->tv_sec) * 1'000'000'000 + timeout->tv_nsec);
        return 0;
    }
    timespec left{};
    if (timeout)
        left = *timeout;
    return int(syscall(SYS_ppoll, fds, count, timeout ? &left : nullptr, mask, _NSIG / 8));
}

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
    player = pthread_self();
    faking = true;
    glowshow(0, false);
    faking = false;
    const Resources late = resourcesSettled(early);

    QCOMPARE(transitions, transitionsWanted);
    qInfo("after %d calls: %s; after %d: %s", transitionsWanted / 20, qPrintable(early.describe()),
          transitionsWanted / 2, qPrintable(late.describe()));
    // The daemon has closed the lights and the schemes file on its way out.
    QVERIFY2(staysFlat(early, late), qPrintable(late.describe()));
}

QTEST_GUILESS_MAIN(TestSoakGlowrad)
#include "tst_soak_glowrad.moc"
