#!/usr/bin/env python3
"""Converts the public catchment series into the analysis examples under Data/.

Each example is one season of daily values: time in days (1, 2, 3 ...), rain, potential
evaporation as the escape rate, and the measured runoff, all in mm per day, written in the
program's own input file layout (CR LF line ends, fixed-width number fields).

With --windows it writes instead the calendar-year windows on which the calibration is
tested (tests/data/windows/): the GR4J example years 1991, 1992 and 1991-1992 and the
catchment years 2013 to 2016, each with the start values MaxStor 50 mm and InitStor 25 mm.

With --seasons it writes the three-month seasons on which the joint calibration and the
leave-one-out validation are measured, one folder per catchment (tests/data/seasons/gr4j/ and
tests/data/seasons/hymod/): January-March, April-June, July-September and October-December of
every year the series holds, rows converted as the windows' and with their start values, a
season named like hymod-2013-q2.inp; a season with a day without runoff inside it, or fewer
than 60 days, is left out. Each folder also gets the source's licence and a README.

Usage: scripts/convert-example-data.py [--raw FOLDER] [--out FOLDER] [--windows | --seasons]
  --raw      folder holding spotpy-hymod/hymod_input.csv and rrmpg-gr4j/gr4j_example_data.csv
             (default: the first shared/data/raw found in a folder above the project)
  --out      folder to write the .inp files to (default: Data/ of the project,
             tests/data/windows/ with --windows, tests/data/seasons/ with --seasons)
  --windows  write the calibration windows
  --seasons  write the seasons, into the folders gr4j/ and hymod/ of the output folder

Python 3 standard library only.
"""

import argparse
import csv
import datetime
import os
import shutil
import sys

# Litres per second from 1.783 km2 to mm per day: l/s * 86400 s/day / 1.783e6 m2.
HYMOD_AREA_M2 = 1.783e6
LITRES_PER_SECOND_TO_MM_PER_DAY = 86400.0 / HYMOD_AREA_M2

EXAMPLES = [
    {
        "file": "Catchment-wet-season.inp",
        "first": datetime.date(2015, 11, 1),
        "last": datetime.date(2016, 2, 29),
        "max_stor": 90.0,
        "init_stor": 25.0,
        "title1": "Wet season, 1 Nov 2015 - 29 Feb 2016: catchment of 1.783 km2 (Data/README)",
        "title2": "Time in days; rain, potential evaporation (escape) and runoff in mm/day",
    },
    {
        "file": "Catchment-dry-season.inp",
        "first": datetime.date(2016, 4, 1),
        "last": datetime.date(2016, 9, 30),
        "max_stor": 100.0,
        "init_stor": 100.0,
        "title1": "Dry season, 1 Apr - 30 Sep 2016: catchment of 1.783 km2 (Data/README)",
        "title2": "Time in days; rain, potential evaporation (escape) and runoff in mm/day",
    },
]

# Calendar-year windows for the calibration tests: (file, source, first day, last day).
# The GR4J example series ends on 30 December 1992, so 1992 holds 365 days as well.
WINDOW_TITLE2 = "Time in days; rain, potential evaporation (escape) and runoff in mm/day"
WINDOWS = [
    ("gr4j-1991.inp", "gr4j", datetime.date(1991, 1, 1), datetime.date(1991, 12, 31)),
    ("gr4j-1992.inp", "gr4j", datetime.date(1992, 1, 1), datetime.date(1992, 12, 30)),
    ("gr4j-1991-1992.inp", "gr4j", datetime.date(1991, 1, 1), datetime.date(1992, 12, 30)),
    ("hymod-2013.inp", "hymod", datetime.date(2013, 1, 1), datetime.date(2013, 12, 31)),
    ("hymod-2014.inp", "hymod", datetime.date(2014, 1, 1), datetime.date(2014, 12, 31)),
    ("hymod-2015.inp", "hymod", datetime.date(2015, 1, 1), datetime.date(2015, 12, 31)),
    ("hymod-2016.inp", "hymod", datetime.date(2016, 1, 1), datetime.date(2016, 12, 31)),
]
WINDOW_SOURCES = {
    "gr4j": "GR4J example catchment (tests/data/windows/README)",
    "hymod": "catchment of 1.783 km2 (tests/data/windows/README)",
}

# Three-month seasons for the joint calibration: (suffix, first month, last month).
QUARTERS = [("q1", 1, 3), ("q2", 4, 6), ("q3", 7, 9), ("q4", 10, 12)]
SEASON_MIN_ROWS = 60
SEASON_CATCHMENTS = [
    {
        "name": "gr4j",
        "source": "GR4J example catchment (tests/data/seasons/gr4j/README)",
        "licence": ("rrmpg-gr4j", "LICENSE.RRMPG-MIT.txt"),
        "about": [
            "The example series of the RRMPG project (columns prec, etp and qobs, all in mm per",
            "day; the catchment is not named by its source), 1 January 1991 to 30 December 1992.",
            "",
            "    Repository: https://github.com/kratzert/RRMPG",
            "    (snapshot commit 7de78c25acc1c255d2acaf739d65e9ce7bbd60c3)",
            "    File: test/data/gr4j_example_data.csv",
            "    Copyright (c) 2017 Frederik Kratzert",
            "    Licence: MIT; the full text is in LICENSE.RRMPG-MIT.txt in this folder.",
            "",
            "The series ends on 30 December 1992, so gr4j-1992-q4.inp holds 91 days.",
        ],
    },
    {
        "name": "hymod",
        "source": "catchment of 1.783 km2 (tests/data/seasons/hymod/README)",
        "licence": ("spotpy-hymod", "LICENSE.spotpy-MIT.txt"),
        "about": [
            "The example series of the spotpy project, the same catchment of 1.783 km2 as",
            "Data/Catchment-*.inp (rainfall in mm, Turc potential evaporation in mm per day,",
            "discharge in litres per second; runoff in mm per day = discharge x 86400 / 1783000).",
            "2012 has no discharge and is left out.",
            "",
            "    Repository: https://github.com/thouska/spotpy",
            "    (snapshot commit 47dd43fa13f44be6451eedd576fcbb914d4b7e76)",
            "    File: src/spotpy/examples/hymod_python/hymod_input.csv",
            "    Copyright (c) 2015 Tobias Houska",
            "    Licence: MIT; the full text is in LICENSE.spotpy-MIT.txt in this folder.",
        ],
    },
]

MAX_ROWS = 1500
HYPHENS = " " + "-" * 49
HEADER = "  Serial    T i m e   R a i n    Esc. rate Run-off"


# ---- Number fields ---------------------------------------------------------------------------

def fixed(value, width, decimals):
    """Fixed point, full stop, right-aligned in width characters (longer when needed)."""
    return "%*.*f" % (width, decimals, value)


def sci(value, width):
    """Blank or minus, one digit, full stop, max(width - 9, 1) digits, 'E', the exponent's
    sign and four exponent digits: 0.5 in sci(10) is ' 5.0E-0001'."""
    decimals = max(width - 9, 1)
    text = "%.*E" % (decimals, value)
    mantissa, exponent = text.split("E")
    sign = exponent[0]
    digits = exponent[1:].rjust(4, "0")
    text = mantissa + "E" + sign + digits
    return text if text.startswith("-") else " " + text


def choice(value, width, decimals):
    """Fixed when the value is 1 or more; zero in the short floating form; otherwise four
    significant digits in floating form, sci(12)."""
    if value >= 1:
        return fixed(value, width, decimals)
    return sci(value, width if value == 0 else 12)


# ---- Reading the sources ---------------------------------------------------------------------

def read_hymod(raw):
    """Daily rows of the spotpy example: date dd.mm.yyyy; rain (mm); Turc potential
    evaporation (mm/day); discharge (l/s, "nan" where not observed)."""
    rows = {}
    path = os.path.join(raw, "spotpy-hymod", "hymod_input.csv")
    with open(path, newline="") as handle:
        reader = csv.reader(handle, delimiter=";")
        next(reader)
        for record in reader:
            if not record or record[3].strip().lower() == "nan":
                continue
            day, month, year = (int(part) for part in record[0].split("."))
            rows[datetime.date(year, month, day)] = (
                float(record[1]), float(record[2]),
                float(record[3]) * LITRES_PER_SECOND_TO_MM_PER_DAY)
    return rows


def read_gr4j(raw):
    """Daily rows of the RRMPG GR4J example: date m/d/yyyy, prec (mm/d), etp (mm/d),
    qobs (mm/d), qsim_excel (not used)."""
    rows = {}
    path = os.path.join(raw, "rrmpg-gr4j", "gr4j_example_data.csv")
    with open(path, newline="") as handle:
        reader = csv.reader(handle)
        next(reader)
        for record in reader:
            if not record:
                continue
            month, day, year = (int(part) for part in record[0].split("/"))
            rows[datetime.date(year, month, day)] = (
                float(record[1]), float(record[2]), float(record[3]))
    return rows


# ---- Writing an input file -------------------------------------------------------------------

def season(rows, first, last):
    """The rows from first to last, day by day; every day must be there."""
    days = []
    date = first
    while date <= last:
        if date not in rows:
            raise SystemExit("no data for %s" % date.isoformat())
        days.append(rows[date])
        date += datetime.timedelta(days=1)
    if not 12 <= len(days) <= MAX_ROWS:
        raise SystemExit("a season needs 12 to %d days, not %d" % (MAX_ROWS, len(days)))
    return days


def input_file_text(example, days):
    max_escape = max(escape for _, escape, _ in days)
    lines = [
        " Input data for Quellow program",
        " Analysis and reconstruction",
        "",
        example["title1"],
        example["title2"],
        "",
        " Filename: " + example["file"],
        " Maximum dead storage: " + choice(example["max_stor"], 8, 2),
        " Initial dead storage: " + choice(example["init_stor"], 8, 2),
        " Max.escape/time unit: " + choice(max_escape, 8, 2),
        "",
        HYPHENS,
        HEADER,
        HYPHENS,
    ]
    for serial, (rain, escape, runoff) in enumerate(days, start=1):
        lines.append("%5d %s %s %s %s" % (serial, choice(float(serial), 12, 2),
                                          choice(rain, 10, 2), choice(escape, 10, 2),
                                          choice(runoff, 10, 2)))
    return "".join(line + "\r\n" for line in lines)


def write_windows(raw, out):
    sources = {"gr4j": read_gr4j(raw), "hymod": read_hymod(raw)}
    os.makedirs(out, exist_ok=True)
    for name, source, first, last in WINDOWS:
        days = season(sources[source], first, last)
        example = {
            "file": name,
            "max_stor": 50.0,
            "init_stor": 25.0,
            "title1": "%s to %s: %s" % (first.isoformat(), last.isoformat(),
                                         WINDOW_SOURCES[source]),
            "title2": WINDOW_TITLE2,
        }
        with open(os.path.join(out, name), "w", newline="", encoding="ascii") as handle:
            handle.write(input_file_text(example, days))
        print("%s: %d days" % (name, len(days)))
    return 0


def last_day_of_month(year, month):
    following = datetime.date(year + month // 12, month % 12 + 1, 1)
    return following - datetime.timedelta(days=1)


def quarter_days(rows, year, first_month, last_month):
    """The quarter's rows as (first, last, days), the quarter cut to the span of the series;
    None with the reason when it is left out."""
    series_first, series_last = min(rows), max(rows)
    first = max(datetime.date(year, first_month, 1), series_first)
    last = min(last_day_of_month(year, last_month), series_last)
    count = (last - first).days + 1
    missing = sum(1 for k in range(max(count, 0))
                  if first + datetime.timedelta(days=k) not in rows)
    if missing:
        return None, "runoff missing on %d days" % missing
    if count < SEASON_MIN_ROWS:
        return None, "%d days, fewer than %d" % (max(count, 0), SEASON_MIN_ROWS)
    return (first, last, season(rows, first, last)), None


def seasons_readme(catchment, written):
    name = catchment["name"]
    lines = [
        "SEASONS OF ONE CATCHMENT",
        "========================",
        "",
        "Three-month analysis files of one measured catchment (%s), on which the joint" % name,
        "calibration and the leave-one-out and rolling validation are measured: this folder,",
        "its files sorted by name, is the catchment's seasons in time order. Each file holds the",
        "daily rows of one quarter (q1 January-March, q2 April-June, q3 July-September, q4",
        "October-December): time in days (1, 2, 3 ...), rain, potential evaporation as the",
        "escape rate, and the measured runoff, all in mm per day, with the start values maximum",
        "dead storage 50 mm and initial dead storage 25 mm, converted as the calendar-year",
        "windows of tests/data/windows/. A quarter with a day without runoff, or with fewer",
        "than %d days, is left out. They are made from the source data by" % SEASON_MIN_ROWS,
        "",
        "    python3 scripts/convert-example-data.py --seasons",
        "",
        "which writes this folder whole (the files, this README and the licence); the test",
        "SeasonFiles checks that they stay as made, and scripts/measure-joint.sh measures the",
        "validation on them.",
        "",
        "| file | first day | last day | rows | rain mm | escape mm | runoff mm |",
        "|------|-----------|----------|-----:|--------:|----------:|----------:|",
    ]
    for file, first, last, days in written:
        lines.append("| %s | %s | %s | %d | %.0f | %.0f | %.0f |" % (
            file, first.isoformat(), last.isoformat(), len(days),
            sum(d[0] for d in days), sum(d[1] for d in days), sum(d[2] for d in days)))
    lines += ["", "", "Source and licence", "------------------", ""]
    lines += catchment["about"]
    lines += ["", "Only the data were used, converted as described above; no code of the project."]
    return "".join(line + "\n" for line in lines)


def write_seasons(raw, out):
    sources = {"gr4j": read_gr4j(raw), "hymod": read_hymod(raw)}
    for catchment in SEASON_CATCHMENTS:
        name = catchment["name"]
        rows = sources[name]
        folder = os.path.join(out, name)
        os.makedirs(folder, exist_ok=True)
        written = []
        for year in range(min(rows).year, max(rows).year + 1):
            for suffix, first_month, last_month in QUARTERS:
                file = "%s-%d-%s.inp" % (name, year, suffix)
                made, reason = quarter_days(rows, year, first_month, last_month)
                if made is None:
                    print("%s: left out, %s" % (file, reason))
                    continue
                first, last, days = made
                example = {
                    "file": file,
                    "max_stor": 50.0,
                    "init_stor": 25.0,
                    "title1": "%s to %s: %s" % (first.isoformat(), last.isoformat(),
                                                 catchment["source"]),
                    "title2": WINDOW_TITLE2,
                }
                with open(os.path.join(folder, file), "w", newline="", encoding="ascii") as handle:
                    handle.write(input_file_text(example, days))
                written.append((file, first, last, days))
                print("%s: %d days" % (file, len(days)))
        with open(os.path.join(folder, "README"), "w", newline="", encoding="ascii") as handle:
            handle.write(seasons_readme(catchment, written))
        source_folder, licence = catchment["licence"]
        shutil.copyfile(os.path.join(raw, source_folder, licence), os.path.join(folder, licence))
    return 0


def default_raw_folder(project):
    folder = project
    while True:
        parent = os.path.dirname(folder)
        if parent == folder:
            return None
        folder = parent
        candidate = os.path.join(folder, "shared", "data", "raw")
        if os.path.isdir(candidate):
            return candidate


def main(argv):
    project = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--raw", default=default_raw_folder(project))
    parser.add_argument("--out")
    kind = parser.add_mutually_exclusive_group()
    kind.add_argument("--windows", action="store_true")
    kind.add_argument("--seasons", action="store_true")
    args = parser.parse_args(argv)
    if not args.raw:
        parser.error("no shared/data/raw folder found above the project: give --raw")
    if args.windows:
        return write_windows(args.raw, args.out or os.path.join(project, "tests", "data",
                                                                 "windows"))
    if args.seasons:
        return write_seasons(args.raw, args.out or os.path.join(project, "tests", "data",
                                                                 "seasons"))
    args.out = args.out or os.path.join(project, "Data")

    rows = read_hymod(args.raw)
    os.makedirs(args.out, exist_ok=True)
    for example in EXAMPLES:
        days = season(rows, example["first"], example["last"])
        text = input_file_text(example, days)
        path = os.path.join(args.out, example["file"])
        with open(path, "w", newline="", encoding="ascii") as handle:
            handle.write(text)
        rain = sum(d[0] for d in days)
        escape = sum(d[1] for d in days)
        runoff = sum(d[2] for d in days)
        print("%s: %d days, rain %.0f mm, potential evaporation %.0f mm, runoff %.0f mm"
              % (example["file"], len(days), rain, escape, runoff))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
