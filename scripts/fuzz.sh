#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, ASan + UBSan) into build-fuzz/ and runs each one.
#   scripts/fuzz.sh [SECONDS]    run every harness SECONDS long (default 5)
# Each harness starts from its seed corpus: the test files of its kind plus fuzz/regressions/<harness>/,
# where every input that once crashed a reader is kept. New corpus entries go to build-fuzz/corpus/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-fuzz -j"$(nproc)"

shopt -s nullglob
# A harness names its seed files in a comment line of its source, "// Seeds: GLOB ...", and
# may ask for each seed to be given once behind every one of some leading bytes,
# "// Seed prefixes: 0 1 2" (for a harness whose first byte chooses what to do). A harness
# without a seed line starts from the input files.
harness_line() {
    { sed -n "s|^// $2: *||p" "fuzz/$1.cpp" 2>/dev/null || true; } | head -1
}
seeds_for() {
    local globs files
    globs=$(harness_line "$1" Seeds)
    [ -n "$globs" ] || globs="tests/data/*.inp Data/*.inp"
    # shellcheck disable=SC2206 # the globs are meant to expand here
    files=($globs)
    for f in "${files[@]}"; do
        if [ -f "$f" ]; then echo "$f"; fi
    done
}

status=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
# Files the harnesses write go to memory when there is a memory file system.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
for harness in build-fuzz/fuzz_*; do
    [ -x "$harness" ] || continue
    name=$(basename "$harness")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus" "fuzz/regressions/$name"
    seeds_for "$name" | while read -r f; do
        prefixes=$(harness_line "$name" "Seed prefixes")
        if [ -n "$prefixes" ]; then
            for k in $prefixes; do
                { printf "\\$(printf %03o $((48 + k)))"; cat "$f"; } >"$corpus/$k-$(basename "$f")"
            done
        else
            cp -n "$f" "$corpus/" 2>/dev/null || true
        fi
    done
    # Known crashers first: each must now pass.
    known=("fuzz/regressions/$name"/*)
    if [ ${#known[@]} -gt 0 ]; then
        "$harness" "${known[@]}" >/dev/null 2>&1 || { echo "REGRESSION: $name"; status=1; }
    fi
    echo "== $name: ${seconds}s"
    if ! "$harness" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 -timeout=5 \
            -artifact_prefix="build-fuzz/$name-" "$corpus" 2>build-fuzz/$name.log; then
        echo "FAULT in $name: see build-fuzz/$name.log and build-fuzz/$name-*"
        tail -40 "build-fuzz/$name.log"
        status=1
    else
        grep -E '^Done|#[0-9]+.*DONE' "build-fuzz/$name.log" | tail -1 || true
    fi
done
exit $status
