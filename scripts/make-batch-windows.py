#!/usr/bin/env python3
"""Writes many analysis input files of one year each, cut from the public catchment series,
for measuring batch runs and batch calibration (scripts/batch-scale.sh).

Each file holds 365 consecutive gap-free days (time 1..365 in days, rain, potential
evaporation as the escape rate, runoff, all in mm/day) with the start values MaxStor 50 mm and
InitStor 25 mm. The windows start on successive days of the GR4J example series and of the
gap-free years of the other catchment, taken in turn, so neighbouring files overlap.

Usage: scripts/make-batch-windows.py OUT_FOLDER [--count N] [--days D] [--raw FOLDER]
Python 3 standard library only.
"""

import argparse
import datetime
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def load_converter():
    """The readers and the input-file writer of convert-example-data.py."""
    source = importlib.util.spec_from_file_location(
        "convert_example_data", os.path.join(HERE, "convert-example-data.py"))
    module = importlib.util.module_from_spec(source)
    source.loader.exec_module(module)
    return module


def gap_free_runs(rows, days):
    """Lists of consecutive dated rows, each at least days long."""
    runs, current, previous = [], [], None
    for date in sorted(rows):
        if previous is not None and date - previous != datetime.timedelta(days=1):
            runs.append(current)
            current = []
        current.append((date, rows[date]))
        previous = date
    runs.append(current)
    return [run for run in runs if len(run) >= days]


def main(argv):
    convert = load_converter()
    project = os.path.dirname(HERE)
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--days", type=int, default=365)
    parser.add_argument("--raw", default=convert.default_raw_folder(project))
    args = parser.parse_args(argv)
    if not args.raw:
        parser.error("no shared/data/raw folder found above the project: give --raw")

    sources = [("gr4j", convert.read_gr4j(args.raw)), ("hymod", convert.read_hymod(args.raw))]
    starts = []  # (source, run, first index) of every possible window, source by source
    for name, rows in sources:
        for run in gap_free_runs(rows, args.days):
            starts.append([(name, run, i) for i in range(len(run) - args.days + 1)])
    # Take the sources in turn so that a smaller count still draws on both.
    order = [w for group in zip(*starts) for w in group]
    order += [w for group in starts for w in group[min(len(g) for g in starts):]]
    if len(order) < args.count:
        raise SystemExit("only %d windows of %d days can be made" % (len(order), args.days))
    os.makedirs(args.out, exist_ok=True)
    for k, (name, run, first) in enumerate(order[:args.count], start=1):
        window = run[first:first + args.days]
        file = "%s-%04d.inp" % (name, k)
        example = {
            "file": file,
            "max_stor": 50.0,
            "init_stor": 25.0,
            "title1": "%s to %s: %s" % (window[0][0].isoformat(), window[-1][0].isoformat(),
                                         convert.WINDOW_SOURCES[name]),
            "title2": convert.WINDOW_TITLE2,
        }
        text = convert.input_file_text(example, [values for _, values in window])
        with open(os.path.join(args.out, file), "w", newline="", encoding="ascii") as handle:
            handle.write(text)
    print("%d files of %d days in %s" % (args.count, args.days, args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
