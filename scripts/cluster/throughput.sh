#!/usr/bin/env bash
# The throughput figures of docs/cluster.md: windows per second that one array task gets from
# quellow-cli run, calibrate and validate --chain on 1 and on 2 threads, over windows cut from
# the public series (scripts/make-batch-windows.py). Prints one line per command and the load of
# the machine, which shares its cores with whatever else runs.
# Usage: scripts/cluster/throughput.sh [BUILD_DIR] [COUNT] [DAYS] [EVALUATIONS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
count=${2:-40}
days=${3:-365}
evaluations=${4:-3000}
cli=$PWD/$build/cli/quellow-cli
work=$(mktemp -d "${TMPDIR:-/tmp}/quellow-throughput.XXXXXX")
trap 'rm -rf "$work"' EXIT
scripts/make-batch-windows.py "$work/in" --count "$count" --days "$days" >/dev/null

measure() { # label, units, command...: the wall time and units per second
    local label=$1 units=$2 start end
    shift 2
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    awk -v l="$label" -v n="$units" -v s="$start" -v e="$end" \
        'BEGIN { printf "%-44s %8.2f s  %9.2f per second\n", l, e - s, n / (e - s) }'
}

echo "$count windows of $days days; load before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
for threads in 1 2; do
    rm -f "$work"/in/*.out "$work"/in/*.dat "$work"/in/*-calibrated.inp
    measure "run, $threads thread(s)" "$count" "$cli" run "$work/in" --threads "$threads" \
        --csv "$work/run.csv"
    measure "calibrate ($evaluations evaluations), $threads thread(s)" "$count" \
        "$cli" calibrate "$work/in" --threads "$threads" --evaluations "$evaluations" \
        --csv "$work/calibrate.csv"
    rm -f "$work"/in/*-calibrated.*
    measure "validate --chain ($evaluations), $threads thread(s)" "$((count - 1))" \
        "$cli" validate --chain "$work"/in/*.inp --threads "$threads" \
        --evaluations "$evaluations" --csv "$work/chain.csv"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
