#!/usr/bin/env bash
# Checks the summary of scripts/measure-joint.sh on hand-made outputs of validate --chain --csv
# and validate --leave-one-out --json (tests/data/measure/): the validated, skipped and failed
# windows counted apart, the type-7 quartiles and the benchmarks' medians worked out by hand,
# a command without a result named with its first message, and a printed summary that is not
# that of its windows reported; and the same again on the windows every line validated.
# Usage: MeasureJointTableTest.sh SOURCE_DIR
set -euo pipefail
source=$1
data=$source/tests/data/measure
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$source/scripts/measure-joint-table.py" "$data/manifest.tsv" >"$work/table.md" \
    2>"$work/warnings.txt"
diff "$data/expected-table.md" "$work/table.md" >&2 || { echo "FAIL: the table differs" >&2; exit 1; }
diff "$data/expected-warnings.txt" "$work/warnings.txt" >&2 ||
    { echo "FAIL: the warnings differ" >&2; exit 1; }
echo "the measurement table of the hand-made outputs is as worked out"
