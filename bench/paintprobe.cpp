// SPDX-License-Identifier: GPL-2.0-or-later
// Preloaded into a Qt program (LD_PRELOAD) by bench/run: once the program's first window has
// been painted, writes the nanoseconds since EZX_BENCH_T0_NS (the monotonic clock when the
// runner started the program) to the file EZX_BENCH_PROBE_OUT and ends the program on the
// spot, so that its peak memory is what it took to get there. After it, the nanoseconds until
// the application object was made, which tells loading from the program's own start-up.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

long long nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

long long appMadeNs = 0;

void report()
{
    const long long t0 = std::atoll(qgetenv("EZX_BENCH_T0_NS").constData());
    const long long elapsed = nowNs() - t0;
    if (FILE *out = std::fopen(qgetenv("EZX_BENCH_PROBE_OUT").constData(), "w")) {
        // The second figure: when the application object was made.
        std::fprintf(out, "%lld %lld\n", elapsed, appMadeNs - t0);
        std::fclose(out);
    }
    ::_exit(0);
}

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (!painted && event->type() == QEvent::Paint && object->isWidgetType()
            && static_cast<QWidget *>(object)->isWindow()) {
            painted = true;
            // Runs once this paint and the flush to the screen that follows it are done.
            QTimer::singleShot(0, &report);
        }
        return false;
    }

private:
    bool painted = false;
};

void installProbe()
{
    appMadeNs = nowNs();
    QCoreApplication::instance()->installEventFilter(new FirstPaint);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
