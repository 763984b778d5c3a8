#!/usr/bin/env python3
"""Converts the public catchment series into the analysis examples under Data/.

Each example is one season of daily values: time in days (1, 2, 3 ...), rain, potential
evaporation as the escape rate, and the measured runoff, all in mm per day, written in the
program's own input file layout (CR LF line ends, fixed-width number fields).

Usage: scripts/convert-example-data.py [--raw FOLDER] [--out FOLDER]
  --raw  folder holding spotpy-hymod/hymod_input.csv (default: the first shared/data/raw
         found in a folder above the project)
  --out  folder to write the .inp files to (default: Data/ of the project)

Python 3 standard library only.
"""

import argparse
import csv
import datetime
import os
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
    """Fixed when the value is 1 or more, floating point otherwise (zero included)."""
    return fixed(value, width, decimals) if value >= 1 else sci(value, width)


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
    parser.add_argument("--out", default=os.path.join(project, "Data"))
    args = parser.parse_args(argv)
    if not args.raw:
        parser.error("no shared/data/raw folder found above the project: give --raw")

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
