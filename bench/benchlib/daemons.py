# SPDX-License-Identifier: GPL-2.0-or-later
"""The long, mostly sleeping runs of glowrad, glowra and ambid, and the glowrad demo."""

import os
import random
import threading
import time

from .data import base_env, phone_tree
from .procs import BIN, MIB, measure, measure_end, measure_start, run_quietly
from .table import Row, absolute_row, median, mib, ms, secs

def write_scheme(home, steps):
    source = os.path.join(home, "schemes.txt")
    with open(source, "w") as f:
        f.write("scheme Funky\n  repeat %d\n    10 80 on\n    10 20 off\n  end\n" % (steps // 2))
    run_quietly([os.path.join(BIN, "glowrad-schemec"), source, os.path.join(home, "glowrad.sch")])


def count_lines(path, needle):
    with open(path, errors="replace") as f:
        return sum(1 for line in f if needle in line)


def bench_daemons(work, runs, demo_runs, idle_s):
    """The long, mostly sleeping measurements, side by side: they cost next to no CPU, so
    running them together leaves the figures alone and saves minutes. The glowrad demos run
    one after another meanwhile."""
    home = os.path.join(work, "lights-home")
    os.makedirs(home)
    os.symlink(os.path.join(BIN, "glowrad"), os.path.join(home, "glowrad"))
    os.symlink(os.path.join(BIN, "glowra"), os.path.join(home, "glowra"))
    frame = os.path.join(work, "frame.raw")
    with open(frame, "wb") as f:
        f.write(bytes([60]) * (352 * 288))
    sound = os.path.join(work, "sound.raw")
    rng = random.Random(7)
    with open(sound, "wb") as f:
        # 60 s of 8 kHz s16le: bursts of noise on a beat, quiet between.
        samples = bytearray()
        for n in range(8000 * 60):
            loud = (n // 2000) % 2 == 0
            samples += int(rng.randint(-12000, 12000) if loud else rng.randint(-300, 300)).to_bytes(2, "little", signed=True)
        f.write(samples)

    def phone(name):
        return phone_tree(os.path.join(work, "phone-" + name))

    longs = []
    for i in range(runs):
        tag = str(i)
        p = phone("glowrad-idle" + tag)
        longs.append(("glowrad-idle", measure_start(
            [os.path.join(home, "glowrad"), "0"],
            base_env(EZX_ROOT=p, EZX_LIGHTS="sim:" + os.path.join(p, "lights.log")),
            stop_s=idle_s, limit_s=idle_s + 30, cwd=home), p))
        p = phone("ambid-idle" + tag)
        longs.append(("ambid-idle", measure_start(
            [os.path.join(BIN, "ambid"), "-f"],
            base_env(EZX_ROOT=p, EZX_LIGHTS="sim:" + os.path.join(p, "lights.log"),
                     EZX_CAMERA="sim:" + frame),
            stop_s=idle_s, limit_s=idle_s + 30), p))
        p = phone("ambid-fast" + tag)
        longs.append(("ambid-fast", measure_start(
            [os.path.join(BIN, "ambid"), "-f"],
            base_env(EZX_ROOT=p, EZX_LIGHTS="sim:" + os.path.join(p, "lights.log"),
                     EZX_CAMERA="sim:" + frame, EZX_AMBID_CYCLE_MS=50),
            stop_s=idle_s, limit_s=idle_s + 30), p))
        p = phone("glowra" + tag)
        panel_home = os.path.join(p, "panel")
        os.makedirs(panel_home)
        os.symlink(os.path.join(BIN, "glowra"), os.path.join(panel_home, "glowra"))
        longs.append(("glowra", measure_start(
            [os.path.join(panel_home, "glowra")],
            base_env(EZX_ROOT=p, EZX_LIGHTS="sim:" + os.path.join(p, "lights.log"),
                     EZX_MIC="file:" + sound, EZX_UI_SCRIPT="click cstMidBtn"),
            stop_s=idle_s + 5, limit_s=idle_s + 40, cwd=panel_home), p))
    # The flasher's worker: its thread's CPU, read a little before the panel is asked to end.
    worker = []
    samplers = []
    for kind, (process, pid), p in longs:
        if kind == "glowra":
            sampler = threading.Timer(idle_s + 2, lambda pid=pid: worker.append(
                thread_cpu_besides_main(pid) / (idle_s + 1.5)))
            sampler.daemon = True
            sampler.start()
            samplers.append(sampler)
    try:
        return daemon_figures(work, home, demo_runs, idle_s, longs, samplers, worker, phone)
    finally:
        for sampler in samplers:
            sampler.cancel()


def daemon_figures(work, home, demo_runs, idle_s, longs, samplers, worker, phone):

    # The demos, once the others have settled.
    write_scheme(home, 1000)
    time.sleep(3)
    demo = []
    p = phone("glowrad-demo")
    for _ in range(demo_runs):
        log = os.path.join(p, "lights.log")
        cost = measure([os.path.join(home, "glowrad"), "0", "d"],
                       base_env(EZX_ROOT=p, EZX_LIGHTS="sim:" + log), limit_s=60, cwd=home)
        if count_lines(log, "0x461b") < 1000:
            raise RuntimeError("the glowrad demo played %d steps" % count_lines(log, "0x461b"))
        os.remove(log)
        demo.append(cost.wall)

    for sampler in samplers:
        sampler.join()
    if len(worker) != len(samplers) or any(w != w for w in worker):
        raise RuntimeError("the flasher's worker could not be looked at")

    figures = {}
    for kind, (process, pid), p in longs:
        cost = measure_end(process, [kind], limit_s=idle_s + 40, check=False)
        if kind == "ambid-fast":
            measurements = count_lines(os.path.join(p, "lights.log"), "0x461c")
            figures.setdefault("ambid-per", []).append(cost.cpu / max(measurements, 1))
        figures.setdefault(kind + "-cpu", []).append(cost.cpu)
        figures.setdefault(kind + "-rss", []).append(cost.rss)
    ambid_rss = figures["ambid-idle-rss"] + figures["ambid-fast-rss"]

    return [
        Row("glowrad demo of 1,000 steps of 10 ms, simulated lights", len(demo),
            secs(median(demo)), "nominal 10.000 s", "%+.1f ms" % ((median(demo) - 10) * 1e3),
            "wall - 10 s <= 20 ms", median(demo) - 10 <= 0.020),
        absolute_row("glowrad idle for %d s without a call: CPU" % idle_s,
                     figures["glowrad-idle-cpu"], 0.010, ms, "<= 10 ms"),
        absolute_row("glowrad idle for %d s: peak RSS" % idle_s, figures["glowrad-idle-rss"],
                     10 * MIB, mib, "<= 10 MiB"),
        absolute_row("glowra flasher worker on %d s of sound from the file microphone: CPU"
                     % idle_s, worker, 0.01, lambda v: "%.2f %% of a core" % (v * 100), "<= 1 %"),
        absolute_row("ambid CPU per measurement, simulated camera (50 ms cycle for %d s)" % idle_s,
                     figures["ambid-per"], 0.005, lambda v: "%.3f ms" % (v * 1e3), "<= 5 ms"),
        absolute_row("ambid idle for %d s (5 s cycle): peak RSS" % idle_s, ambid_rss,
                     3 * MIB, mib, "<= 3 MiB"),
    ]


def thread_cpu_besides_main(pid):
    """Seconds of CPU of the process's threads that kept the program's own name, the main
    thread left out: the flasher's worker (threads Qt starts carry names of their own)."""
    task = "/proc/%d/task" % pid
    try:
        with open("/proc/%d/comm" % pid) as f:
            name = f.read().strip()
        tids = os.listdir(task)
    except FileNotFoundError:
        return float("nan")
    total = 0
    for tid in tids:
        if int(tid) == pid:
            continue
        try:
            with open(os.path.join(task, tid, "comm")) as f:
                if f.read().strip() != name:
                    continue
            with open(os.path.join(task, tid, "schedstat")) as f:
                total += int(f.read().split()[0])
        except FileNotFoundError:
            continue
    return total / 1e9
