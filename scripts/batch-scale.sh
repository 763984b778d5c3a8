#!/usr/bin/env bash
# The batch figures of docs/ARCHITECTURE.md: 1000 analysis files of 365 days, cut from the public
# series (scripts/make-batch-windows.py), run and then calibrated by one quellow-cli command each, on
# 1 and on 2 threads; prints the wall time of each command and the load of the machine.
# Usage: scripts/batch-scale.sh [BUILD_DIR] [COUNT] [EVALUATIONS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
count=${2:-1000}
evaluations=${3:-3000}
cli=$PWD/$build/cli/quellow-cli
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/quellow-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT
scripts/make-batch-windows.py "$work/in" --count "$count" >/dev/null

measure() { # label, command...: prints the wall time in seconds
    local label=$1 start end status=0
    shift
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/stderr.txt" || status=$?
    end=$(date +%s.%N)
    awk -v l="$label" -v s="$start" -v e="$end" -v x="$status" \
        'BEGIN { printf "%-34s %8.2f s  (exit status %d)\n", l, e - s, x }' 
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
for threads in 1 2; do
    rm -f "$work"/in/*.out "$work"/in/*.dat
    measure "run $count files, $threads thread(s)" \
        "$cli" run "$work/in" --threads "$threads" --csv "$work/run-$threads.csv"
done
cmp "$work/run-1.csv" "$work/run-2.csv" && echo "run summaries of 1 and 2 threads are equal"
for threads in 1 2; do
    rm -f "$work"/in/*-calibrated.*
    measure "calibrate $count files, $threads thread(s)" \
        "$cli" calibrate "$work/in" --threads "$threads" --evaluations "$evaluations" \
        --csv "$work/calibrate-$threads.csv"
done
cmp "$work/calibrate-1.csv" "$work/calibrate-2.csv" &&
    echo "calibration summaries of 1 and 2 threads are equal"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
