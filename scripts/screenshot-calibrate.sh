#!/usr/bin/env bash
# Takes the picture of the calibration's result dialog for the user's guide (docs/calibrate.png):
# starts the program on a virtual display with a window manager, opens a calibration window
# through "Open Input", calibrates it through the Edit menu and takes the screen.
#   scripts/screenshot-calibrate.sh [DISPLAY-NUMBER]
# Needs Xvfb, openbox, xdotool and ImageMagick's import (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
number=${1:-57}
export DISPLAY=:$number
work=$(mktemp -d)
cp tests/data/windows/gr4j-1992.inp "$work/"

Xvfb "$DISPLAY" -screen 0 900x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    kill "${program:-}" "${wm:-}" "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

(cd "$work" && exec "$root/build/ui/quellow") >"$work/log" 2>&1 &
program=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name "^Quellow, rainfall runoff relations$" 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "the main window did not appear"; cat "$work/log"; exit 1; }
xdotool windowactivate --sync "$window" windowmove "$window" 10 10
sleep 0.5

# File, Open Input: type the file's path into the dialog.
xdotool key --window "$window" alt+f
sleep 0.3
xdotool key i
sleep 1
xdotool type --delay 5 "$work/gr4j-1992.inp"
xdotool key Return
sleep 1

# Edit, Calibrate; the result dialog comes up when the search is done.
xdotool key --window "$window" alt+e
sleep 0.3
xdotool key l
for _ in $(seq 200); do
    xdotool search --name "^Calibration of the first reservoir$" >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1
import -window root -crop 700x625+0+0 +repage docs/calibrate.png
echo "docs/calibrate.png written"
