#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with ctest: first the normal build, then
# the whole suite again built with AddressSanitizer, UndefinedBehaviorSanitizer and leak checking,
# then a short run of every fuzzing harness. QUELLOW_QUICK=1 runs the normal build's tests only.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Format"
scripts/check-format.sh

echo "== Build and test"
scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$jobs"

if [ "${QUELLOW_QUICK:-0}" = 1 ]; then
    exit 0
fi

echo "== Build and test with sanitizers"
scripts/build.sh build-asan -DQUELLOW_SANITIZE=ON -DQUELLOW_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== Fuzzing smoke run"
scripts/fuzz.sh "${QUELLOW_FUZZ_SECONDS:-3}"
