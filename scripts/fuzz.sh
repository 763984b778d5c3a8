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
seeds_for() {
    local files
    case "$1" in
        fuzz_trend_file) files=(tests/data/*.dat) ;;
        fuzz_output_reader) files=(tests/data/*.out Data/*.out) ;;
        fuzz_paste) files=(tests/data/*.txt tests/data/*.tsv) ;;
        fuzz_csv_import) files=(tests/data/*.csv) ;;
        *) files=(tests/data/*.inp Data/*.inp) ;;
    esac
    for f in "${files[@]}"; do echo "$f"; done
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
        if [ "$name" = fuzz_output_reader ]; then
            # The first byte chooses the graph kind: one seed per kind.
            for k in 0 1 2 3 4 5 6 7; do
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
