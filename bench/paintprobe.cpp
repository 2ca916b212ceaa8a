// SPDX-License-Identifier: GPL-2.0-or-later
// Preloaded into a Qt program (LD_PRELOAD) by bench/run: once the program's first window has
// been painted, writes the nanoseconds since EZX_BENCH_T0_NS (the monotonic clock when the
// runner started the program) to the file EZX_BENCH_PROBE_OUT and ends the program on the
// spot, so that its peak memory is what it took to get there. After it, the nanoseconds until
// the application object was made, which tells loading from the program's own start-up.
//
// EZX_BENCH_PROBE_MODE chooses another figure, for Kest's progress box ("progressDlg"):
//   paint-gaps  from the box's first paint to the next window shown (the result box): the
//               longest time between two paints of the box, in nanoseconds, and the paints
//   cancel      EZX_BENCH_CANCEL_AFTER_MS after the box's first paint, its Cancel key is
//               clicked; the nanoseconds from that click until no process of the job (the
//               program's child, a session of its own) runs any more
// The program is ended on the spot once the figure is written.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <thread>
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

void writeFigures(long long first, long long second)
{
    if (FILE *out = std::fopen(qgetenv("EZX_BENCH_PROBE_OUT").constData(), "w")) {
        std::fprintf(out, "%lld %lld\n", first, second);
        std::fclose(out);
    }
}

bool inProgressBox(QObject *object)
{
    return object->isWidgetType()
           && static_cast<QWidget *>(object)->window()->objectName() == QLatin1String("progressDlg");
}

class PaintGaps : public QObject
{
public:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && inProgressBox(object)) {
            const long long now = nowNs();
            if (last)
                longest = std::max(longest, now - last);
            last = now;
            ++paints;
        } else if (last && event->type() == QEvent::Show && object->isWidgetType()
                   && static_cast<QWidget *>(object)->isWindow() && !inProgressBox(object)) {
            longest = std::max(longest, nowNs() - last);
            writeFigures(longest, paints);
            ::_exit(0);
        }
        return false;
    }

private:
    long long last = 0;
    long long longest = 0;
    long long paints = 0;
};

// The field after the command name's ")" numbered field (3 is the state, 6 the session).
bool statOf(const char *pid, char &state, long &session)
{
    char path[64], text[512];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
    FILE *file = std::fopen(path, "r");
    if (!file)
        return false;
    const size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[got] = 0;
    const char *close = std::strrchr(text, ')');
    long ppid = 0, group = 0;
    return close && std::sscanf(close + 1, " %c %ld %ld %ld", &state, &ppid, &group, &session) == 4;
}

// The session of the program's one child: the job's shell.
long jobSession()
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/children", int(getpid()));
    long child = -1;
    if (FILE *file = std::fopen(path, "r")) {
        if (std::fscanf(file, "%ld", &child) != 1)
            child = -1;
        std::fclose(file);
    }
    return child;
}

bool sessionRuns(long session)
{
    DIR *proc = opendir("/proc");
    bool runs = false;
    while (const dirent *entry = proc ? readdir(proc) : nullptr) {
        char state = 0;
        long of = 0;
        if (entry->d_name[0] >= '1' && entry->d_name[0] <= '9' && statOf(entry->d_name, state, of)
            && of == session && state != 'Z' && state != 'X') {
            runs = true;
            break;
        }
    }
    if (proc)
        closedir(proc);
    return runs;
}

class CancelTimer : public QObject
{
public:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (!armed && event->type() == QEvent::Paint && inProgressBox(object)) {
            armed = true;
            QWidget *box = static_cast<QWidget *>(object)->window();
            QTimer::singleShot(std::atoi(qgetenv("EZX_BENCH_CANCEL_AFTER_MS").constData()), box, [box] {
                auto *key = box->findChild<QAbstractButton *>(QStringLiteral("progressCancel"));
                const long session = jobSession();
                if (!key || session <= 0) {
                    writeFigures(-1, 0);  // the job was over (or not up) before Cancel
                    ::_exit(0);
                }
                const long long clicked = nowNs();
                // The program's own thread is busy stopping the job: this one watches.
                std::thread([clicked, session] {
                    while (sessionRuns(session))
                        ::usleep(500);
                    writeFigures(nowNs() - clicked, session);
                    ::_exit(0);
                }).detach();
                key->click();
            });
        }
        return false;
    }

private:
    bool armed = false;
};

void installProbe()
{
    appMadeNs = nowNs();
    const QByteArray mode = qgetenv("EZX_BENCH_PROBE_MODE");
    QObject *probe = mode == "paint-gaps" ? static_cast<QObject *>(new PaintGaps)
                     : mode == "cancel"   ? static_cast<QObject *>(new CancelTimer)
                                          : static_cast<QObject *>(new FirstPaint);
    QCoreApplication::instance()->installEventFilter(probe);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
