#!/usr/bin/env python3
"""Summarises the validations that scripts/measure-joint.sh ran into one Markdown table.

Usage: scripts/measure-joint-table.py MANIFEST.tsv

MANIFEST.tsv, tab separated with a header line, one line per command run:
  set       the windows' name (a catchment's seasons, the calendar-year windows)
  method    what was validated, e.g. "season before", "rolling 3", "leave-one-out"
  alpha     the alpha function's option, e.g. "as described", "robust"
  kind      chain: OUTPUT is the CSV of `validate --chain --csv`;
            joint: OUTPUT is the JSON of `validate --leave-one-out --json`;
            none: nothing was run (NOTE says why)
  output    the file, relative to the manifest's folder (OUTPUT.messages: the command's
            standard error, its first line quoted when there is no result)
  exit      the command's exit status
  seconds   its wall-clock time
  note      a remark for the table (may be empty)

For each line the table gives the number of windows validated, the 25 %, 50 % and 75 %
quantiles of the validation NSE and KGE over them (type 7, linear between the order
statistics, as the program's own summaries), and the medians of the benchmarks' NSE and KGE
(start, self, mean, recession) over the same windows. A second table gives the same over the
windows (by file name) that every line of its set validated. Python 3 standard library only.
"""

import csv
import json
import math
import os
import sys

BENCHMARKS = ["start", "self", "mean", "recession"]


def quantile(values, p):
    """Type 7: h = (n - 1) p, linear between the order statistics around h."""
    x = sorted(values)
    if not x:
        return None
    h = (len(x) - 1) * p
    lo = int(math.floor(h))
    if lo + 1 >= len(x):
        return x[lo]
    return x[lo] + (h - lo) * (x[lo + 1] - x[lo])


def number(value):
    """A finite float, or None for an empty field, null, text or a non-finite value."""
    if value is None or isinstance(value, bool):
        return None
    try:
        result = float(value)
    except (TypeError, ValueError):
        return None
    return result if math.isfinite(result) else None


class Windows:
    """The validated windows of one command: their NSE, KGE and benchmark figures."""

    def __init__(self):
        self.total = 0
        self.failed = 0
        self.skipped = 0
        self.records = []  # (file name, NSE, KGE, {benchmark: {"NSE", "KGE"}}) per window
        self.summary = None  # the quartiles the command printed itself, when it did

    def add(self, file, nse, kge, bench):
        self.records.append((os.path.basename(file), nse, kge, bench))

    def names(self):
        return {record[0] for record in self.records}

    def figures(self, keep=None):
        """NSE, KGE and the benchmarks' figures of the windows (those named in keep)."""
        nse, kge = [], []
        bench = {b: {"NSE": [], "KGE": []} for b in BENCHMARKS}
        for name, n, k, marks in self.records:
            if keep is not None and name not in keep:
                continue
            nse.append(n)
            if k is not None:
                kge.append(k)
            for b in BENCHMARKS:
                for figure in ("NSE", "KGE"):
                    value = (marks.get(b) or {}).get(figure)
                    if value is not None:
                        bench[b][figure].append(value)
        return nse, kge, bench


def read_chain(path):
    """The CSV of validate --chain (or of --leave-one-out): one row per validated window,
    status validated, failed or skipped."""
    windows = Windows()
    with open(path, newline="", encoding="utf-8") as handle:
        for row in csv.DictReader(handle):
            windows.total += 1
            nse = number(row.get("NSE"))
            if row.get("status") == "skipped":
                windows.skipped += 1
                continue
            if row.get("status") != "validated" or nse is None:
                windows.failed += 1
                continue
            bench = {b: {f: number(row.get("%s_%s" % (b, f))) for f in ("NSE", "KGE")}
                     for b in BENCHMARKS}
            windows.add(row.get("validation") or row.get("file") or "", nse,
                        number(row.get("KGE")), bench)
    return windows


def read_joint(path):
    """The JSON of validate --leave-one-out: windows with NSE, KGE and benchmarks; a window
    without figures (skipped by --rolling, or failed) counts as not validated."""
    with open(path, encoding="utf-8") as handle:
        data = json.load(handle)
    windows = Windows()
    for window in data.get("windows", []):
        windows.total += 1
        status = str(window.get("status", "validated")).lower()
        nse = number(window.get("NSE"))
        if status.startswith("skip") or (nse is None and window.get("calibrated_on") == []):
            windows.skipped += 1
            continue
        if status not in ("validated", "ok") or nse is None:
            windows.failed += 1
            continue
        bench = {}
        for b in BENCHMARKS:
            figures = (window.get("benchmarks") or {}).get(b) or {}
            bench[b] = {f: number(figures.get(f)) for f in ("NSE", "KGE")}
        windows.add(str(window.get("file", "")), nse, number(window.get("KGE")), bench)
    summary = data.get("summary") or {}
    if isinstance(summary.get("NSE"), list) and isinstance(summary.get("KGE"), list):
        windows.summary = summary
    return windows


def fixed(value):
    return "-" if value is None else "%.3f" % value


def pair(nse, kge):
    return "%s / %s" % (fixed(quantile(nse, 0.5)), fixed(quantile(kge, 0.5)))


def first_message(output):
    """': ' and the first line the command wrote on standard error, or nothing."""
    try:
        with open(output + ".messages", encoding="utf-8", errors="replace") as handle:
            line = handle.readline().strip()
    except OSError:
        return ""
    line = line.replace("|", "/")
    return ": " + (line if len(line) <= 80 else line[:77] + "...") if line else ""


def check_summary(label, windows):
    """Warns when the quartiles the command printed are not those of its windows."""
    if windows.summary is None:
        return
    nse, kge, _ = windows.figures()
    for figure, values in (("NSE", nse), ("KGE", kge)):
        printed = windows.summary[figure]
        ours = [quantile(values, p) for p in (0.25, 0.5, 0.75)]
        for a, b in zip(printed, ours):
            a = number(a)
            if a is None and b is None:
                continue
            if a is None or b is None or abs(a - b) > 1e-9 * max(1.0, abs(b)):
                sys.stderr.write("%s: the printed %s quartiles %s differ from the windows' %s\n"
                                 % (label, figure, printed, ours))
                break


HEAD = [
    "| windows | validation | alpha | validated | NSE q25 | NSE median | NSE q75 "
    "| KGE q25 | KGE median | KGE q75 | start | self | mean | recession | seconds |",
    "|---|---|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|",
]


def figure_cells(windows, keep=None):
    nse, kge, bench = windows.figures(keep)
    cells = [fixed(quantile(nse, p)) for p in (0.25, 0.5, 0.75)]
    cells += [fixed(quantile(kge, p)) for p in (0.25, 0.5, 0.75)]
    cells += [pair(bench[b]["NSE"], bench[b]["KGE"]) for b in BENCHMARKS]
    return cells


def table(manifest):
    folder = os.path.dirname(os.path.abspath(manifest))
    with open(manifest, newline="", encoding="utf-8") as handle:
        lines = list(csv.DictReader(handle, delimiter="\t"))
    results = []  # (line, windows or None, note)
    for line in lines:
        note = line.get("note") or ""
        windows = None
        if line["kind"] != "none":
            path = os.path.join(folder, line["output"])
            try:
                windows = read_chain(path) if line["kind"] == "chain" else read_joint(path)
            except (OSError, ValueError, KeyError, AttributeError):
                note = note or "no result (exit %s)%s" % (line["exit"], first_message(path))
        results.append((line, windows, note))

    out = list(HEAD)
    for line, windows, note in results:
        cells = [line["set"], line["method"], line["alpha"]]
        if windows is None:
            cells += [note or "-"] + ["-"] * 10 + [line.get("seconds") or "-"]
            out.append("| " + " | ".join(cells) + " |")
            continue
        check_summary("%s, %s, %s" % (line["set"], line["method"], line["alpha"]), windows)
        counted = "%d of %d" % (len(windows.records), windows.total)
        if windows.skipped:
            counted += ", %d skipped" % windows.skipped
        if windows.failed:
            counted += ", %d failed" % windows.failed
        if note:
            counted += " (%s)" % note
        cells.append(counted)
        cells += figure_cells(windows)
        cells.append(line.get("seconds") or "-")
        out.append("| " + " | ".join(cells) + " |")

    # The same on the windows that every line of its set with a result validated, so that
    # the lines of a set compare like with like.
    common = {}
    for line, windows, _ in results:
        if windows is not None:
            names = windows.names()
            common[line["set"]] = common.get(line["set"], names) & names
    out += ["", "The same on the windows that every line of its set validated:", ""] + HEAD
    for line, windows, _ in results:
        if windows is None:
            continue
        keep = common[line["set"]]
        cells = [line["set"], line["method"], line["alpha"], "%d" % len(keep)]
        cells += figure_cells(windows, keep)
        cells.append(line.get("seconds") or "-")
        out.append("| " + " | ".join(cells) + " |")
    out += [
        "",
        "Validation NSE and KGE: quartiles over the windows validated (type 7). Benchmarks:",
        "median NSE / median KGE over the same windows; start = the calibration windows' start",
        "values, self = the window calibrated on itself, mean = the calibration windows' mean",
        "runoff as a constant, recession = the window's first runoff routed without recharge.",
    ]
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) != 1:
        sys.stderr.write(__doc__.split("\n\n")[1] + "\n")
        return 2
    sys.stdout.write(table(argv[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
