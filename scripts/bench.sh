#!/usr/bin/env bash
# Builds Quellow and runs every benchmark: the analysis divide search, the prediction, reading
# and drawing each chart kind, quellow-cli as a whole process, and the window's start-up.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for bench in AnalysisBench PredictionBench ChartBench CliProcessBench CalibrateBench ValidateBench; do
    echo "== $bench"
    "build/bench/$bench" "$@"
done
echo "== Window start-up"
env -u QT_QPA_PLATFORM scripts/measure-window-start.sh 5
