# SPDX-License-Identifier: GPL-2.0-or-later
"""Rows of the results table, their figures, and the table as text and as Markdown."""

import os
import statistics

from .procs import MIB

class Row:
    def __init__(self, name, runs, ours, anchor, ratio, target, holds):
        self.cells = [name, str(runs), ours, anchor, ratio, target, "yes" if holds else "**NO**"]
        self.holds = holds


def secs(value):
    return "%.3f s" % value


def ms(value):
    return "%.1f ms" % (value * 1e3)


def mib(value):
    return "%.1f MiB" % (value / MIB)


def median(values):
    return statistics.median(values)


def ratio_row(name, ours, anchor, limit, fmt=secs, anchor_name="", cpu=None):
    """cpu: the CPU times of ours and of the anchor, shown beside the wall times: on a busy
    machine they tell real differences from waiting."""
    o, a = median(ours), median(anchor)
    r = o / a
    ours_text, anchor_text = fmt(o), fmt(a)
    if cpu:
        ours_text += " (CPU %s)" % fmt(median(cpu[0]))
        anchor_text += " (CPU %s)" % fmt(median(cpu[1]))
    return Row(name, len(ours), ours_text, anchor_name + anchor_text, "%.2f" % r,
               "ratio <= %.2f" % limit, r <= limit)


def walls(figures):
    return [f[0] for f in figures]


def cpus(figures):
    return [f[1] for f in figures]


def absolute_row(name, values, limit, fmt, target_text):
    v = median(values)
    return Row(name, len(values), fmt(v), "-", "-", target_text, v <= limit)


HEADER = ["measurement", "runs", "ours (median)", "anchor (median, same run)", "ratio",
          "target", "holds?"]


def markdown(rows, notes):
    lines = ["| " + " | ".join(HEADER) + " |", "|" + "---|" * len(HEADER)]
    lines += ["| " + " | ".join(row.cells) + " |" for row in rows]
    return "\n".join(lines) + "\n\n" + "\n".join(notes) + "\n"


def plain(rows):
    table = [HEADER] + [row.cells for row in rows]
    widths = [max(len(line[i]) for line in table) for i in range(len(HEADER))]
    out = []
    for n, line in enumerate(table):
        out.append("  ".join(cell.ljust(widths[i]) for i, cell in enumerate(line)).rstrip())
        if n == 0:
            out.append("  ".join("-" * w for w in widths))
    return "\n".join(out)


def machine():
    model = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return "%s, %d cores, load average %.2f at the start" % (model, os.cpu_count(), os.getloadavg()[0])
