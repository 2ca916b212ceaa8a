# SPDX-License-Identifier: GPL-2.0-or-later
"""Starting, measuring and ending the processes of a bench run, and the build it uses."""

import os
import shutil
import signal
import subprocess
import sys
import threading

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.abspath(os.environ.get("BENCH_BUILD_DIR", os.path.join(SOURCE, "build-bench")))
BIN = os.path.join(BUILD, "bin")
RESULTS = os.path.join(SOURCE, "bench", "RESULTS.md")
MIB = 1024 * 1024

# Every process this run starts and has not yet seen end; ended on every way out.
live = set()
live_lock = threading.Lock()


def say(text):
    print(text, file=sys.stderr, flush=True)


class Interrupted(Exception):
    pass


def on_signal(number, frame):
    raise Interrupted("stopped by signal %d" % number)


def start(argv, env=None, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, cwd=None):
    process = subprocess.Popen(argv, env=env, stdin=stdin, stdout=stdout,
                               stderr=subprocess.PIPE, cwd=cwd, text=True,
                               start_new_session=True)
    with live_lock:
        live.add(process)
    return process


def finish(process, timeout):
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        end_group(process)
        out, err = process.communicate()
        raise RuntimeError("%s did not end within %d s" % (process.args[0], timeout))
    finally:
        with live_lock:
            live.discard(process)
    return process.returncode, out, err


def end_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass


def end_everything():
    with live_lock:
        processes = list(live)
        live.clear()
    for process in processes:
        # bench-measure and bench-crowd end what they started when told to.
        try:
            process.terminate()
        except ProcessLookupError:
            pass
    for process in processes:
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
        end_group(process)
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass


class Cost:
    def __init__(self, wall_ns, cpu_ns, maxrss_kb, status):
        self.wall = wall_ns / 1e9
        self.cpu = cpu_ns / 1e9
        self.rss = maxrss_kb * 1024
        self.status = status
        self.out = ""


def measure_start(argv, env, stop_s=0, limit_s=120, cwd=None):
    """Starts argv under bench-measure; returns the process and the command's pid."""
    process = start([os.path.join(BIN, "bench-measure"), str(int(stop_s * 1000)),
                     str(int(limit_s * 1000))] + argv, env=env, cwd=cwd)
    line = process.stdout.readline().split()
    if len(line) != 2 or line[0] != "pid":
        finish(process, 10)
        raise RuntimeError("cannot start %s" % argv[0])
    return process, int(line[1])


def measure_end(process, argv, limit_s=120, check=True):
    code, out, err = finish(process, limit_s + 30)
    lines = out.strip().splitlines()
    if code != 0 or not lines:
        raise RuntimeError("%s: no figures (%s)" % (argv[0], err.strip()[-400:]))
    cost = Cost(*(int(x) for x in lines[-1].split()))
    cost.out = "\n".join(lines[:-1])
    cost.err = err
    if check and not (os.WIFEXITED(cost.status) and os.WEXITSTATUS(cost.status) == 0):
        raise RuntimeError("%s failed (status %d): %s" % (argv[0], cost.status, err.strip()[-400:]))
    return cost


def measure(argv, env, stop_s=0, limit_s=120, check=True, cwd=None):
    process, _ = measure_start(argv, env, stop_s, limit_s, cwd)
    return measure_end(process, argv, limit_s, check)


def run_quietly(argv, env=None, limit_s=600, cwd=None):
    code, out, err = finish(start(argv, env=env, cwd=cwd), limit_s)
    if code != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(argv[:3]), (out + err).strip()[-2000:]))
    return out


def build(jobs, targets):
    say("building the release configuration in %s ..." % BUILD)
    # ccache, where there is one, keeps a second build of the same sources short.
    launcher = ["-D%s=ccache" % v for v in ("CMAKE_CXX_COMPILER_LAUNCHER", "CMAKE_C_COMPILER_LAUNCHER")
                if shutil.which("ccache")]
    run_quietly(["cmake", "-S", SOURCE, "-B", BUILD, "-DCMAKE_BUILD_TYPE=Release",
                 "-DEZX_BENCH=ON"] + launcher)
    run_quietly(["cmake", "--build", BUILD, "-j%d" % jobs, "--target"] + targets, limit_s=1800)
