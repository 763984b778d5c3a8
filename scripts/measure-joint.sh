#!/usr/bin/env bash
# Measures how well one parameter set calibrated on several windows predicts another window, on
# the public seasons and calendar-year windows, and prints one Markdown table.
#
# For each set of windows (in name order) it runs quellow-cli
#   validate --chain                              each window on the window before it
#   validate --leave-one-out --rolling 2, 3, 5    each window on the K windows before it
#   validate --leave-one-out                      each window on all the others
# each as described and with --robust-alpha, and leave-one-out once with
# --prediction-reservoir, and summarises their CSV and JSON with scripts/measure-joint-table.py
# (quartiles of the validation NSE and KGE, medians of the benchmarks).
#
# Usage: scripts/measure-joint.sh QUELLOW_CLI [--threads N] [--evaluations N] [--warmup K]
#                                 [--work DIR] [--sets hymod,gr4j,windows]
#   QUELLOW_CLI    the command-line program, e.g. build/cli/quellow-cli
#   --threads N    threads of each command (default: the number of cores)
#   --evaluations N, --warmup K   passed on to every command (default: the commands' own)
#   --work DIR     new or empty folder for the copies of the windows, the outputs and the
#                  manifest (default: a temporary folder, removed at the end)
#   --sets LIST    which sets, comma separated (default all): hymod = tests/data/seasons/hymod,
#                  gr4j = tests/data/seasons/gr4j, windows = tests/data/windows/hymod-201?.inp
# The table goes to standard output (and WORK/table.md), the progress to standard error.
set -euo pipefail

project=$(cd "$(dirname "$0")/.." && pwd)
usage() { sed -n '/^# Usage/,/^# The table/p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
[ $# -ge 1 ] || usage
cli=$(realpath "$1")
shift
[ -x "$cli" ] || { echo "not a program: $cli" >&2; exit 2; }
threads=$(nproc)
work=
sets=hymod,gr4j,windows
common=()
while [ $# -gt 0 ]; do
    case $1 in
    --threads) threads=$2; shift 2 ;;
    --evaluations | --warmup) common+=("$1" "$2"); shift 2 ;;
    --work) work=$2; shift 2 ;;
    --sets) sets=$2; shift 2 ;;
    *) usage ;;
    esac
done
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
elif [ -n "$(ls -A "$work" 2>/dev/null)" ]; then
    # No output of an earlier measurement can then be taken for one of this.
    echo "--work: $work is not empty; give a new or empty folder" >&2
    exit 2
fi
mkdir -p "$work"
work=$(realpath "$work")

# The windows of a set, copied into WORK/SET/ so that nothing is written beside the originals.
copy_set() {
    local name=$1
    shift
    mkdir -p "$work/$name"
    local f
    for f in "$@"; do
        case $f in *-calibrated.inp) continue ;; esac
        cp "$f" "$work/$name/"
    done
}

manifest=$work/manifest.tsv
printf 'set\tmethod\talpha\tkind\toutput\texit\tseconds\tnote\n' >"$manifest"

# run SET METHOD ALPHA KIND OUTPUT COMMAND...: runs it, timing it, and notes it in the manifest.
run() {
    local set=$1 method=$2 alpha=$3 kind=$4 output=$5
    shift 5
    echo "$set: $method, $alpha ..." >&2
    local start ms status=0
    start=$(date +%s%N)
    if [ "$kind" = joint ]; then
        "$@" >"$work/$output" 2>"$work/$output.messages" || status=$?
    else
        "$@" >"$work/$output.table" 2>"$work/$output.messages" || status=$?
    fi
    ms=$((($(date +%s%N) - start) / 1000000))
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%d.%d\t\n' "${labels[$set]}" "$method" "$alpha" "$kind" \
        "$output" "$status" $((ms / 1000)) $((ms % 1000 / 100)) >>"$manifest"
}

not_run() {
    printf '%s\t%s\t%s\tnone\t\t\t\t%s\n' "${labels[$1]}" "$2" "$3" "$4" >>"$manifest"
}

measure_set() {
    local set=$1
    local files=("$work/$set"/*.inp)
    local n=${#files[@]}
    local alpha option tag k
    for alpha in "as described" robust; do
        option=()
        tag=plain
        if [ "$alpha" = robust ]; then
            option=(--robust-alpha)
            tag=robust
        fi
        run "$set" "season before" "$alpha" chain "$set-chain-$tag.csv" \
            "$cli" validate --chain "${files[@]}" "${option[@]}" "${common[@]}" \
            --threads "$threads" --csv "$work/$set-chain-$tag.csv"
        for k in 2 3 5; do
            if [ "$n" -le "$k" ]; then
                not_run "$set" "rolling $k" "$alpha" "needs more than $k windows, has $n"
                continue
            fi
            run "$set" "rolling $k" "$alpha" joint "$set-rolling$k-$tag.json" \
                "$cli" validate --leave-one-out --rolling "$k" "${files[@]}" "${option[@]}" \
                "${common[@]}" --threads "$threads" --json
        done
        run "$set" "leave-one-out" "$alpha" joint "$set-loo-$tag.json" \
            "$cli" validate --leave-one-out "${files[@]}" "${option[@]}" "${common[@]}" \
            --threads "$threads" --json
    done
    run "$set" "leave-one-out" "prediction reservoir" joint "$set-loo-prediction.json" \
        "$cli" validate --leave-one-out "${files[@]}" --prediction-reservoir "${common[@]}" \
        --threads "$threads" --json
}

declare -A labels
IFS=, read -r -a chosen <<<"$sets"
for set in "${chosen[@]}"; do
    case $set in
    hymod | gr4j) copy_set "$set" "$project/tests/data/seasons/$set"/*.inp ;;
    windows) copy_set "$set" "$project"/tests/data/windows/hymod-201?.inp ;;
    *) echo "unknown set: $set (hymod, gr4j, windows)" >&2; exit 2 ;;
    esac
done
for set in "${chosen[@]}"; do
    files=("$work/$set"/*.inp)
    case $set in
    windows) labels[$set]="hymod, ${#files[@]} calendar years" ;;
    *) labels[$set]="$set, ${#files[@]} seasons" ;;
    esac
done
for set in "${chosen[@]}"; do
    measure_set "$set"
done

python3 "$project/scripts/measure-joint-table.py" "$manifest" | tee "$work/table.md"
