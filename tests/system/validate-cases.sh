# Validate... (sourced by run-system-test.sh): the sheet of a public window validated on the
# next year through the "Validate" dialog, once from the input file with options that are not
# the defaults and once from a dated series through Import series...; each time the figure
# shown and the series exported are those of quellow-cli validate with the same options.

# Waits for the "Validate" dialog and gives it the focus.
validate_dialog() {
    local id
    id=$(wait_window '^Validate$') || fail "no Validate dialog"
    for _ in $(seq 50); do
        xdotool windowactivate --sync "$id" 2>/dev/null
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ] && break
        sleep 0.1
    done
    sleep 0.3
}

# Exports the series of the validation view $1 to the file $2.
export_view_csv() {
    xdotool windowactivate --sync "$1" 2>/dev/null
    xdotool key --clearmodifiers alt+e # &Export CSV
    answer_file_dialog 'Export CSV' "$2"
    for _ in $(seq 50); do [ -s "$2" ] && break; sleep 0.1; done
    [ -s "$2" ] || fail "$(basename "$2") was not written"
}

# The text of the figures table's current cell, copied to the clipboard.
copied_cell() {
    printf '' | xclip -selection clipboard
    xdotool key --clearmodifiers ctrl+c
    sleep 0.2
    xclip -o -selection clipboard 2>/dev/null
}

# A figure of quellow-cli validate --json ($1: the JSON, $2: the key in "validation") as the
# view shows it, with three decimals.
json_figure() {
    printf '%.3f' "$(printf '%s' "$1" | sed 's/.*"validation":{[^}]*"'"$2"'":\([^,}]*\).*/\1/')"
}

# With the argument "functions", only the helpers above.
[ "${1:-}" = functions ] && return 0

step "validate: GR4J 1991 on the sheet, on 1992 for KGE after 30 warm-up rows, as quellow-cli"
cp "$source_dir/tests/data/windows/gr4j-1991.inp" "$source_dir/tests/data/windows/gr4j-1992.inp" .
open_input "$work/gr4j-1991.inp"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key v # &Validate...
validate_dialog
xdotool key --clearmodifiers alt+b # &Browse...
answer_file_dialog 'Validation file' "$work/gr4j-1992.inp"
validate_dialog
xdotool key --clearmodifiers alt+o Down # &Objective: the simulation's KGE
xdotool key --clearmodifiers alt+w ctrl+a
xdotool type 30
sleep 0.3
shot validate-dialog
xdotool key Return
view=$(wait_window '^Validation of gr4j-1992.inp$' 60) || fail "no validation view came"
sleep 0.5
shot validation-view
xdotool windowactivate --sync "$view" 2>/dev/null
# The figures table has the focus, its first cell (the simulation's NSE) current.
nse=$(copied_cell)
xdotool key Right
kge=$(copied_cell)
mkdir -p "$work/cli-val"
json=$("$cli" validate gr4j-1991.inp gr4j-1992.inp --objective kge --warmup 30 --json \
    -o "$work/cli-val") || fail "quellow-cli validate failed"
case $json in *'"objective":"kge"'*'"warmup":30,'*) ;; *) fail "quellow-cli gave: $json" ;; esac
[ "$nse $kge" = "$(json_figure "$json" NSE) $(json_figure "$json" KGE)" ] ||
    fail "the view shows NSE $nse and KGE $kge, quellow-cli $(json_figure "$json" NSE) and $(json_figure "$json" KGE)"
export_view_csv "$view" "$work/view-1992.csv"
cmp -s "$work/view-1992.csv" "$work/cli-val/gr4j-1992-validation.csv" ||
    fail "the exported series differs from quellow-cli validate's"
xdotool windowactivate --sync "$view" 2>/dev/null
xdotool key Escape
sleep 0.5
[ -z "$(find_window '^Validation of ')" ] || fail "Escape did not close the validation view"

step "validate: the 1992 window from a dated series through Import series..., as quellow-cli"
# The 1992 window as a gauge exports it: a date per row, and more digits than an input file
# keeps, so that the window must validate what Save/Run would write, as quellow-cli import does.
seq 0 364 | sed 's/.*/1992-01-01 + & days/' | date -f - +%F >"$work/dates"
tr -d '\r' <gr4j-1992.inp | awk '/^ *[0-9]+ +[0-9.]+ +[0-9]/ {
    printf "%.9g,%.9g,%.9g\n", $3 * 1.00001, $4 * 1.00001, $5 * 1.00001 }' |
    paste -d, "$work/dates" - | sed '1i date,rain,pet,runoff' >"$work/gauge-1992.csv"
[ "$(wc -l <"$work/gauge-1992.csv")" = 366 ] || fail "gauge-1992.csv was not made"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key v
validate_dialog # the choices of the last validation: KGE, 30 warm-up rows
xdotool key --clearmodifiers alt+i # &Import series...
answer_file_dialog 'Import series' "$work/gauge-1992.csv"
sleep 1
preview=$(wait_window '^Import series$') || fail "no import preview"
xdotool windowactivate --sync "$preview" 2>/dev/null
xdotool key Return # "Import"
validate_dialog
shot validate-dialog-imported
xdotool key Return
view=$(wait_window '^Validation of gauge-1992.csv$' 60) || fail "no validation view of the series"
sleep 0.5
"$cli" import "$work/gauge-1992.csv" --mode analysis -o "$work/gauge-1992.inp" 2>/dev/null ||
    fail "quellow-cli import failed"
"$cli" validate gr4j-1991.inp gauge-1992.inp --objective kge --warmup 30 -o "$work/cli-val" \
    >/dev/null || fail "quellow-cli validate of the imported window failed"
export_view_csv "$view" "$work/view-gauge.csv"
cmp -s "$work/view-gauge.csv" "$work/cli-val/gauge-1992-validation.csv" ||
    fail "the series of the imported window differs from quellow-cli validate's"
xdotool windowactivate --sync "$view" 2>/dev/null
xdotool key Escape
sleep 0.5
[ -z "$(find_window '^Validation of ')" ] || fail "Escape did not close the validation view"
alive || fail "the program ended after the validation"
