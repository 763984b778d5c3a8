#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quellow. Without a display it runs an example
# input file through quellow-cli instead and says where the output is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    cd Data
    exec ../build/ui/quellow
fi
example=${QUELLOW_EXAMPLE:-Data/Example-prediction-runoff.inp}
work=$(mktemp -d /tmp/quellow-example-XXXXXX)
cp "$example" "$work/"
input="$work/$(basename "$example")"
echo "No display found: running $example through quellow-cli."
build/cli/quellow-cli run "$input"
echo "Output written to ${input%.*}.out"
echo "----"
cat "${input%.*}.out"
