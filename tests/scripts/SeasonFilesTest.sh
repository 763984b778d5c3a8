#!/usr/bin/env bash
# Checks the season folders of tests/data/seasons/ (one folder per catchment).
#   SeasonFilesTest.sh made SOURCE_DIR
#       makes the seasons again from the public series with the example converter into a
#       temporary folder and compares every file byte for byte with the committed ones (none
#       missing, none extra), and the calendar-year windows of tests/data/windows/ likewise;
#       skipped (status 77) where the series are not found.
#   SeasonFilesTest.sh run SOURCE_DIR QUELLOW_CLI
#       runs every season file (copies, in a temporary folder): each must give its output file.
set -euo pipefail
mode=$1 source=$2
seasons=$source/tests/data/seasons
folders=(gr4j hymod)
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case $mode in
made)
    if ! python3 "$source/scripts/convert-example-data.py" --seasons --out "$work" \
        >"$work/log" 2>&1; then
        if grep -q "no shared/data/raw folder" "$work/log"; then
            echo "the public series are not here: skipped"
            exit 77
        fi
        cat "$work/log" >&2
        fail "the converter failed"
    fi
    rm "$work/log"
    for folder in "${folders[@]}"; do
        diff -r "$work/$folder" "$seasons/$folder" >&2 ||
            fail "tests/data/seasons/$folder differs from what the converter makes of the series"
    done
    made=("$work"/*/*.inp)
    # The calendar-year windows share the conversion of the rows.
    python3 "$source/scripts/convert-example-data.py" --windows --out "$work/windows" >/dev/null
    windows=("$work"/windows/*.inp)
    for window in "${windows[@]}"; do
        cmp "$window" "$source/tests/data/windows/${window##*/}" >&2 ||
            fail "tests/data/windows/${window##*/} differs from what the converter makes of it"
    done
    echo "the season folders and the windows are as the converter makes them:" \
        "${#made[@]} seasons, ${#windows[@]} windows"
    ;;
run)
    cli=$3
    for folder in "${folders[@]}"; do
        cp -r "$seasons/$folder" "$work/$folder"
    done
    inputs=("$work"/*/*.inp)
    count=${#inputs[@]}
    [ "$count" -ge 20 ] || fail "only $count season files"
    "$cli" run "${folders[@]/#/$work/}" --threads 2 --csv "$work/summary.csv" >"$work/table" 2>"$work/messages" ||
        { cat "$work/table" "$work/messages" >&2; fail "not every season file ran"; }
    for input in "$work"/*/*.inp; do
        [ -s "${input%.inp}.out" ] || fail "no output file of $(basename "$input")"
        rows=$(grep -cE '^ +[0-9]+ ' "$input")
        [ "$rows" -ge 60 ] || fail "$(basename "$input") holds $rows rows, fewer than 60"
    done
    ok=$(grep -c ',analysis,[0-9]*,.*,ok,' "$work/summary.csv" || true)
    [ "$ok" -eq "$count" ] || { cat "$work/summary.csv" >&2; fail "$ok of $count analyses completed"; }
    echo "all $count season files ran as analyses"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
