# SPDX-License-Identifier: GPL-2.0-or-later
"""procwarden's scan of /proc with a crowd of extra processes."""

import os
import subprocess

from .data import base_env
from .procs import BIN, MIB, finish, measure, start
from .table import absolute_row, mib, ms, ratio_row

def bench_procwarden(work, runs, crowd_size):
    env = base_env()
    crowd = start([os.path.join(BIN, "bench-crowd"), str(crowd_size)], stdin=subprocess.PIPE)
    try:
        if crowd.stdout.readline().strip() != "ready":
            raise RuntimeError("could not start %d extra processes" % crowd_size)
        ours, rss, rows_seen, ps = [], [], [], []
        for _ in range(runs):
            cost = measure(["ps", "-e", "-o", "comm="], env, limit_s=60)
            ps.append(cost.wall)
            cost = measure([os.path.join(BIN, "bench-procscan"), "5"], env, limit_s=120,
                           cwd=os.path.join(BIN))
            scan_ns, rows = cost.out.split()
            ours.append(int(scan_ns) / 1e9)
            rss.append(cost.rss)
            rows_seen.append(int(rows))
    finally:
        finish(crowd, 60)  # closes its standard input: the crowd ends
    if min(rows_seen) < crowd_size:
        raise RuntimeError("procwarden listed %d processes only" % min(rows_seen))
    return [
        ratio_row("procwarden scan of /proc and fill of the list, %d extra processes"
                  % crowd_size, ours, ps, 0.4, fmt=ms, anchor_name="ps -e -o comm=: "),
        absolute_row("procwarden peak RSS with that list", rss, 45 * MIB, mib, "<= 45 MiB"),
    ]
