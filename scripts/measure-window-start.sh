#!/usr/bin/env bash
# Time from starting the program to its main window on screen (mapped and viewable), measured
# from outside the program, several times. Needs an X display: without one it starts itself
# again under xvfb-run.
#   scripts/measure-window-start.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$runs"
fi
root=$PWD
program=build/ui/quellow
title="Quellow, rainfall runoff relations"
work=$(mktemp -d)
for run in $(seq "$runs"); do
    start=$(date +%s%N)
    (cd "$work" && exec "$root/$program") >"$work/log" 2>&1 &
    pid=$!
    until xwininfo -name "$title" 2>/dev/null | grep -q "IsViewable"; do
        kill -0 "$pid" 2>/dev/null || { echo "the program ended before its window appeared:"; cat "$work/log"; exit 1; }
        sleep 0.002
    done
    end=$(date +%s%N)
    echo "run $run: $(( (end - start) / 1000000 )) ms to a visible main window"
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
done
rm -rf "$work"
