# SPDX-License-Identifier: GPL-2.0-or-later
"""Kest's measurements: archives, start to first paint, caption lookup, long jobs."""

import os
import random
import shutil

from .data import base_env, make_tree, phone_tree
from .procs import BIN, MIB, measure, run_quietly, say
from .table import Row, absolute_row, cpus, mib, ms, ratio_row, walls

def bench_archives(work, runs, quick):
    rng = random.Random(20261208)
    tree = os.path.join(work, "card")
    if quick:
        make_tree(tree, 2, 4 * MIB, 400, rng)
    else:
        make_tree(tree, 4, 44 * MIB, 6000, rng)
    items = sorted(os.listdir(tree))
    out = os.path.join(work, "out")
    os.makedirs(out)
    phone = phone_tree(os.path.join(work, "phone-archive"))
    env = base_env(EZX_ROOT=phone)
    archive = os.path.join(work, "card.tar.gz")
    tool = os.path.join(BIN, "bench-archive")

    kest_pack, tar_pack = [], []
    for i in range(runs):
        for who in ("tar", "kest") if i % 2 else ("kest", "tar"):
            target = os.path.join(out, "%s.tar.gz" % who)
            if who == "kest":
                argv = [tool, "kest-compress", out, "kest.tar.gz"] + [os.path.join(tree, x) for x in items]
            else:
                argv = [tool, "tar-compress", out, "tar.gz.tmp", tree] + items
                target = os.path.join(out, "tar.gz.tmp")
            cost = measure(argv, env, limit_s=300)
            wall, cpu = (int(x) / 1e9 for x in cost.out.split()[:2])
            (kest_pack if who == "kest" else tar_pack).append((wall, cpu))
            if who == "tar":
                os.replace(target, archive)
            else:
                os.remove(target)
    say("  archive: %.0f MB" % (os.path.getsize(archive) / 1e6))

    # Extraction takes a few seconds and its target is tight: twice the runs.
    kest_unpack, tar_unpack = [], []
    for i in range(2 * runs):
        for who in ("tar", "kest") if i % 2 else ("kest", "tar"):
            folder = os.path.join(out, "unpacked")
            os.makedirs(folder)
            cost = measure([tool, "%s-extract" % who, archive, folder], env, limit_s=300)
            wall, cpu = (int(x) / 1e9 for x in cost.out.split()[:2])
            (kest_unpack if who == "kest" else tar_unpack).append((wall, cpu))
            if not os.path.isfile(os.path.join(folder, "readme.txt")):
                raise RuntimeError("%s extraction left no files" % who)
            shutil.rmtree(folder)

    # The same tree as .tar.xz and .tar.zst, each against its bare tar line.
    other_rows = []
    for ending, pack, unpack in ((".tar.xz", ["-cJf"], ["Jxf"]),
                                 (".tar.zst", ["--zstd", "-cf"], ["--zstd", "-xf"])):
        other = os.path.join(work, "card" + ending)
        run_quietly(["tar"] + pack + [other, "-C", tree] + items, env=dict(os.environ, XZ_OPT="-1 -T0"))
        kest_times, tar_times = [], []
        for i in range(2 * runs):
            for who in ("tar", "kest") if i % 2 else ("kest", "tar"):
                folder = os.path.join(out, "unpacked")
                os.makedirs(folder)
                argv = [tool, "%s-extract" % who, other, folder] + (unpack if who == "tar" else [])
                cost = measure(argv, env, limit_s=300)
                wall, cpu = (int(x) / 1e9 for x in cost.out.split()[:2])
                (kest_times if who == "kest" else tar_times).append((wall, cpu))
                if not os.path.isfile(os.path.join(folder, "readme.txt")):
                    raise RuntimeError("%s extraction of %s left no files" % (who, ending))
                shutil.rmtree(folder)
        other_rows.append(ratio_row("Kest extraction of the same tree as %s (%.0f MB)"
                                    % (ending, os.path.getsize(other) / 1e6),
                                    walls(kest_times), walls(tar_times), 1.03,
                                    anchor_name="tar %s: " % " ".join(unpack),
                                    cpu=(cpus(kest_times), cpus(tar_times))))
        os.remove(other)
    shutil.rmtree(tree)
    size = "%.0f MB" % (os.path.getsize(archive) / 1e6)
    return [
        ratio_row("Kest extraction of a %s .tar.gz (DecompressionTool)" % size,
                  walls(kest_unpack), walls(tar_unpack), 1.03, anchor_name="tar zxf: ",
                  cpu=(cpus(kest_unpack), cpus(tar_unpack))),
    ] + other_rows + [
        ratio_row("Kest compression of the same tree (compressFile)", walls(kest_pack),
                  walls(tar_pack), 1.10, anchor_name="tar zcf -C: ",
                  cpu=(cpus(kest_pack), cpus(tar_pack))),
    ]


def bench_start(work, runs):
    phone = phone_tree(os.path.join(work, "phone-start"))
    home = os.path.join(work, "kest-home")
    os.makedirs(home)
    kest = os.path.join(home, "kest")
    shutil.copy2(os.path.join(BIN, "kest"), kest)
    lang = os.path.join(home, "ezx_kest_lang.cfg")
    probe_out = os.path.join(work, "probe.txt")
    env = base_env(EZX_ROOT=phone, LD_PRELOAD=os.path.join(BIN, "libbench-paintprobe.so"),
                   EZX_BENCH_PROBE_OUT=probe_out)

    def first_paint(argv):
        if os.path.exists(probe_out):
            os.remove(probe_out)
        cost = measure(argv, env, limit_s=30, cwd=home)
        with open(probe_out) as f:
            return int(f.read().split()[0]) / 1e9, cost.cpu, cost.rss

    # A first start writes the complete language file the "present" runs use.
    first_paint([kest])
    if not os.path.getsize(lang):
        raise RuntimeError("Kest wrote no language file")
    kept = lang + ".full"
    shutil.copy2(lang, kept)
    # A start takes a few tens of milliseconds, easily upset by other work: three times the runs.
    bare, one_label, present, absent = [], [], [], []
    for _ in range(3 * runs):
        bare.append(first_paint([os.path.join(BIN, "bench-bare-window")]))
        one_label.append(first_paint([os.path.join(BIN, "bench-label-window")]))
        shutil.copy2(kept, lang)
        present.append(first_paint([kest]))
        os.remove(lang)
        absent.append(first_paint([kest]))
    # The fair yardstick: a bare window with one Chinese label pays for the CJK font as Kest
    # does; the bare empty window stays beside it as a reference.
    label_times = walls(one_label)
    rows = []
    for label, figures in (("present", present), ("absent", absent)):
        rows.append(ratio_row("Kest start to first painted window, language file %s" % label,
                              walls(figures), label_times, 1.3, fmt=ms,
                              anchor_name="window with one Chinese label: ",
                              cpu=(cpus(figures), cpus(one_label))))
        rows.append(absolute_row("Kest peak RSS at first paint, language file %s" % label,
                                 [f[2] for f in figures], 40 * MIB, mib, "<= 40 MiB"))
    # No target: what the bare empty window costs against that yardstick.
    reference = ratio_row("(reference) bare empty Qt window", walls(bare), label_times, 1.0,
                          fmt=ms, anchor_name="window with one Chinese label: ",
                          cpu=(cpus(bare), cpus(one_label)))
    reference.cells[5:] = ["none", "-"]
    reference.holds = True
    rows.append(reference)
    return rows


def bench_caption(work, runs):
    phone = phone_tree(os.path.join(work, "phone-caption"))
    home = os.path.join(work, "caption-home")
    os.makedirs(home)
    env = base_env(EZX_ROOT=phone)
    medians = []
    for _ in range(runs):
        cost = measure([os.path.join(BIN, "bench-caption"), os.path.join(home, "kest"), "1000"],
                       env, limit_s=120)
        medians.append(int(cost.out.split()[0]) / 1e9)
    return [absolute_row("One caption lookup, 100-entry language file (median of 1,000)",
                         medians, 200e-6, lambda v: "%.0f us" % (v * 1e6), "<= 200 us")]


def job_archive(work, quick):
    """The archive the extraction measurements left in work, else one made here the same way."""
    archive = os.path.join(work, "card.tar.gz")
    if os.path.exists(archive):
        return archive
    rng = random.Random(20261208)
    tree = os.path.join(work, "jobs-card")
    if quick:
        make_tree(tree, 2, 4 * MIB, 400, rng)
    else:
        make_tree(tree, 4, 44 * MIB, 6000, rng)
    run_quietly(["tar", "czf", archive, "-C", tree] + sorted(os.listdir(tree)), limit_s=600)
    shutil.rmtree(tree)
    return archive


def bench_jobs(work, runs, quick):
    """Kest itself, its UI script pressing extract and answering yes, a probe preloaded: the
    longest gap between two paints of the progress box over the whole extraction, and the time
    from a click on its Cancel key to the end of the job's last process."""
    source = job_archive(work, quick)
    phone = phone_tree(os.path.join(work, "phone-jobs"))
    home = os.path.join(work, "jobs-home")
    card = os.path.join(phone, "mmc", "mmca1")
    os.makedirs(home)
    shutil.copy2(os.path.join(BIN, "kest"), os.path.join(home, "kest"))
    archive = os.path.join(card, "card.tar.gz")
    try:
        os.link(source, archive)
    except OSError:
        shutil.copy2(source, archive)
    folder = os.path.join(card, "card")
    probe_out = os.path.join(work, "jobs-probe.txt")
    say("  archive: %.0f MB" % (os.path.getsize(archive) / 1e6))

    def run(mode, **extra):
        if os.path.exists(probe_out):
            os.remove(probe_out)
        shutil.rmtree(folder, ignore_errors=True)
        env = base_env(EZX_ROOT=phone, LD_PRELOAD=os.path.join(BIN, "libbench-paintprobe.so"),
                       EZX_BENCH_PROBE_OUT=probe_out, EZX_BENCH_PROBE_MODE=mode,
                       EZX_UI_SCRIPT="wait 200; click pMidBtn; answer 0", **extra)
        measure([os.path.join(home, "kest"), "open", archive], env, limit_s=300, cwd=home)
        with open(probe_out) as f:
            first, second = (int(x) for x in f.read().split())
        shutil.rmtree(folder, ignore_errors=True)
        return first, second

    gaps, stops = [], []
    for _ in range(runs):
        gap, paints = run("paint-gaps")
        if paints < 2:
            raise RuntimeError("the progress box was painted %d times" % paints)
        gaps.append(gap / 1e9)
        # Well inside the extraction: a quarter of what one takes.
        stop, _ = run("cancel", EZX_BENCH_CANCEL_AFTER_MS=50 if quick else 1000)
        if stop < 0:
            raise RuntimeError("the extraction was over before Cancel was pressed")
        stops.append(stop / 1e9)
    os.remove(archive)
    size = "%.0f MB" % (os.path.getsize(source) / 1e6)
    return [
        absolute_row("Kest progress box: longest gap between two paints, %s .tar.gz extraction"
                     % size, gaps, 0.050, ms, "<= 50 ms"),
        absolute_row("Kest Cancel during that extraction to the tool's last process gone",
                     stops, 0.200, ms, "<= 200 ms"),
    ]
