// SPDX-License-Identifier: GPL-2.0-or-later
/* Runs one command and reports what it cost, for bench/run:
 *
 *   bench-measure STOP_MS LIMIT_MS COMMAND [ARG...]
 *
 * Prints "pid PID" once the command runs, and when it has ended
 * "wall_ns cpu_ns maxrss_kb status" (status as from wait4). STOP_MS > 0 asks the command to
 * end with SIGTERM after that long (a daemon that would run forever); LIMIT_MS > 0 kills the
 * command's whole process group after that long, so that nothing can hang the run.
 *
 * Written in C and kept small on purpose: a child inherits its parent's peak memory until it
 * execs, so the figures of a small command are only as true as this program is small. The
 * environment gets EZX_BENCH_T0_NS, the monotonic clock just before the start. */
#define _GNU_SOURCE
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static volatile sig_atomic_t stopRequested = 0;

static void onSignal(int signal)
{
    (void)signal;
    stopRequested = 1;
}

static void onTick(int signal)
{
    (void)signal;
}

static long long nowNs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

static long long tvNs(struct timeval t)
{
    return (long long)t.tv_sec * 1000000000LL + (long long)t.tv_usec * 1000LL;
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fputs("usage: bench-measure STOP_MS LIMIT_MS COMMAND [ARG...]\n", stderr);
        return 2;
    }
    const long long stopMs = atoll(argv[1]);
    const long long limitMs = atoll(argv[2]);

    /* The runner's end is ours: then the command goes too (see the SIGTERM handling below). */
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, NULL);
    sigaction(SIGINT, &action, NULL);
    sigaction(SIGHUP, &action, NULL);
    /* Wakes the wait below, which is not restarted. */
    action.sa_handler = onTick;
    sigaction(SIGALRM, &action, NULL);

    const long long start = nowNs();
    char t0[32];
    snprintf(t0, sizeof t0, "%lld", start);
    setenv("EZX_BENCH_T0_NS", t0, 1);
    const pid_t pid = fork();
    if (pid < 0) {
        perror("bench-measure: fork");
        return 2;
    }
    if (pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        signal(SIGALRM, SIG_DFL);
        execvp(argv[3], argv + 3);
        perror("bench-measure: exec");
        _exit(127);
    }
    setpgid(pid, pid);
    printf("pid %d\n", (int)pid);
    fflush(stdout);

    /* Ticks every 10 ms to look at the clock while waiting. */
    struct itimerval tick = {{0, 10000}, {0, 10000}};
    if (stopMs > 0 || limitMs > 0)
        setitimer(ITIMER_REAL, &tick, NULL);

    int status = 0;
    struct rusage usage;
    int termSent = 0;
    for (;;) {
        const pid_t done = wait4(pid, &status, 0, &usage);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR) {
            perror("bench-measure: wait4");
            kill(-pid, SIGKILL);
            return 2;
        }
        const long long elapsedMs = (nowNs() - start) / 1000000;
        if (stopRequested || (limitMs > 0 && elapsedMs >= limitMs)) {
            kill(-pid, SIGKILL);
            if (stopRequested) {
                waitpid(pid, NULL, 0);
                return 3;
            }
        } else if (stopMs > 0 && elapsedMs >= stopMs && !termSent) {
            kill(pid, SIGTERM);
            termSent = 1;
        }
    }
    const long long wall = nowNs() - start;
    /* Whatever the command left running in its group goes with it. */
    kill(-pid, SIGKILL);
    printf("%lld %lld %ld %d\n", wall, tvNs(usage.ru_utime) + tvNs(usage.ru_stime), usage.ru_maxrss, status);
    return 0;
}
