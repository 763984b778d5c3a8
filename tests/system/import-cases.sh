# The import dialog with the runoff from a second file (sourced by run-system-test.sh), driven
# with the keyboard alone: the station file's header fills unit and area, "Seasons to
# folder..." writes one file per season and lists the years, and again into the same folder
# asks before it replaces the seasons written before; Import and Save/Run write the rows;
# every file is the one quellow-cli import writes from the same files and choices. Then a
# headerless gauge file in cubic feet per second, with unit and area typed in.

# Presses key $1 $2 times.
press() {
    for _ in $(seq "$2"); do xdotool key "$1"; done
    sleep 0.2
}

# The text of the control with the focus, through Ctrl+A, Ctrl+C and the clipboard.
copy_focused() {
    printf '' | xclip -selection clipboard
    xdotool key ctrl+a ctrl+c
    sleep 0.3
    xclip -o -selection clipboard 2>/dev/null
}

# File > Import series on $1: the dialog comes with the focus in the preview. Sets $dialog.
open_import_dialog() {
    file_menu m
    for _ in $(seq 30); do
        [ -n "$(find_window '^Import series$')" ] && break
        [ -n "$(find_window "^$BoxName\$")" ] && { answer_box d; break; }
        sleep 0.1
    done
    answer_file_dialog 'Import series' "$1"
    sleep 1
    dialog=$(wait_window '^Import series$') || fail "no import dialog"
    xdotool windowactivate --sync "$dialog" 2>/dev/null
}

# The controls by their letters: Alt+C presses "Second file...", Alt+L "Seasons to folder..."
# (the focus stays where it was); Alt+H is the catchment area, Alt+T the runoff unit, Alt+S the
# season, Alt+Y the spin-up days.
letter() {
    xdotool key "alt+$1"
    sleep 0.2
}
# The summary, which has no letter: back from the preview (Alt+W) past Cancel and Import.
focus_summary() {
    letter w
    press shift+Tab 3
}

# The storages of the sheet, which the window's imports keep, as quellow-cli options: those
# written in input file $1.
storages() {
    tr -d '\r' <"$1" | awk -F: '/^ Maximum dead storage/ { m = $2 } /^ Initial dead storage/ { i = $2 }
        END { printf "--max-storage %g --initial-storage %g", m, i }'
}

# The data lines of an input file and its titles: everything but the line naming the file.
same_input_file() {
    cmp -s <(sed 7d "$1") <(sed 7d "$2") ||
        fail "$(basename "$1") differs from what quellow-cli import writes:
$(diff <(sed 7d "$1") <(sed 7d "$2") | head -10)"
}

step "import: the runoff from a station file whose header names unit and area; seasons to a folder"
seasons="$source_dir/tests/data/seasons"
cp "$seasons/basin-large-sample.txt" "$seasons/station-6335020.txt" "$seasons/gauge-01234500.txt" \
    "$work/"
open_import_dialog "$work/basin-large-sample.txt"
letter c # "Second file..."
answer_file_dialog 'Second file' "$work/station-6335020.txt"
sleep 1
alive || fail "the program ended when the second file was read"
# The summary holds the unit and area taken.
focus_summary
summary=$(copy_focused)
grep -qF "Runoff converted from m3/s (station-6335020.txt, line 4) to mm per day over 412.7 km2 (station-6335020.txt, line 3): factor 0.20935304095." <<<"$summary" ||
    fail "the summary does not name the unit and area of the station file:
$summary"
shot import-station
letter h
[ "$(copy_focused)" = 412.7 ] || fail "the area box shows \"$(copy_focused)\", not 412.7"
# The unit named converts the runoff once: "Runoff factor" (Alt+A) waits while it is in force.
letter a
focus_summary
summary=$(copy_focused)
grep -qF "factor 0.20935304095." <<<"$summary" && ! grep -qF " times 0.2" <<<"$summary" ||
    fail "the runoff is converted twice:
$summary"

# The season 07-01..08-14 with 10 days of spin-up: 1987 and 1988 taken, 1986 (before the
# file) and 1989 (the station file ends in July) left out.
letter s
xdotool key ctrl+a
xdotool type --delay 2 '07-01..08-14'
letter y
xdotool key ctrl+a
xdotool type --delay 2 '10'
mkdir -p "$work/summer"
letter l # "Seasons to folder..."
answer_file_dialog 'Seasons to folder: NAME.inp gives NAME-YYYY.inp' "$work/summer/summer.inp"
sleep 1
alive || fail "the program ended when the seasons were written"
[ "$(ls "$work/summer")" = "summer-1987.inp
summer-1988.inp" ] || fail "the seasons written are: $(ls "$work/summer" | tr '\n' ' ')"
shot import-seasons
focus_summary
listed=$(copy_focused)
mv "$work/summer" "$work/summer-window"
mkdir -p "$work/summer"
# shellcheck disable=SC2046
"$cli" import "$work/basin-large-sample.txt" --mode analysis \
    --runoff-file "$work/station-6335020.txt" --season 07-01..08-14 --spinup 10 \
    $(storages "$work/summer-window/summer-1987.inp") \
    -o "$work/summer/summer.inp" 2>"$work/cli-seasons.txt" || fail "quellow-cli import --season failed"
for year in 1987 1988; do
    cmp -s "$work/summer-window/summer-$year.inp" "$work/summer/summer-$year.inp" ||
        fail "summer-$year.inp differs from what quellow-cli import writes:
$(diff "$work/summer-window/summer-$year.inp" "$work/summer/summer-$year.inp" | head -10)"
done
# The years taken and left out as quellow-cli lists them.
want=$(grep -E '^(Wrote|Left out|Season )' "$work/cli-seasons.txt")
[ "$(grep -E '^(Wrote|Left out|Season )' <<<"$listed")" = "$want" ] ||
    fail "the dialog lists the seasons as
$listed
quellow-cli lists
$want"

step "import: seasons again into that folder: the files of the earlier seasons are named and replaced"
# 06-01..08-31 writes 1988 alone (1987 has a gap): summer-1987.inp of the seasons before is
# named in a question, and Yes removes it.
letter s
xdotool key ctrl+a
xdotool type --delay 2 '06-01..08-31'
letter l
answer_file_dialog 'Seasons to folder: NAME.inp gives NAME-YYYY.inp' "$work/summer-window/summer.inp"
answer_box y
sleep 1
alive || fail "the program ended when the seasons were replaced"
[ "$(ls "$work/summer-window")" = "summer-1988.inp" ] ||
    fail "after the question the folder holds: $(ls "$work/summer-window" | tr '\n' ' ')"
focus_summary
replaced=$(copy_focused)
grep -qF "Removed summer-1987.inp, a season file of an earlier import." <<<"$replaced" ||
    fail "the summary does not name the file replaced:
$replaced"

step "import: Import, Save/Run writes what quellow-cli import writes from the two files"
# The focus is in the summary: Tab to Import.
press Tab 1
xdotool key space
sleep 0.5
[ -z "$(find_window '^Import series$')" ] || fail "the import dialog stayed open"
save_run "$work/station.inp"
# shellcheck disable=SC2046
"$cli" import "$work/basin-large-sample.txt" --mode analysis $(storages "$work/station.inp") \
    --runoff-file "$work/station-6335020.txt" -o "$work/cli-station.inp" 2>/dev/null ||
    fail "quellow-cli import failed"
[ "$(data_rows "$work/station.inp" 15)" = 386 ] ||
    fail "station.inp holds $(data_rows "$work/station.inp" 15) rows, not 386"
same_input_file "$work/station.inp" "$work/cli-station.inp"
same_as_cli "$work/station.inp"

step "import: a gauge file in cfs without a header; unit and area typed in, its column chosen"
open_import_dialog "$work/basin-large-sample.txt"
letter c
answer_file_dialog 'Second file' "$work/gauge-01234500.txt"
sleep 1
# Its column: the discharge, fifth in the file (Down from "(guess)"); the box, which has no
# letter, comes before the file's preview and the summary.
focus_summary
press shift+Tab 2
press Down 5
letter h
xdotool type --delay 20 '412.7'
letter t
xdotool key c # "cfs"
sleep 0.5
shot import-gauge
focus_summary
summary=$(copy_focused)
grep -qF "Runoff converted from cfs (the dialog) to mm per day over 412.7 km2 (the dialog)" <<<"$summary" ||
    fail "the summary does not convert the gauge's cfs over 412.7 km2:
$summary"
press Tab 1
xdotool key space
sleep 0.5
[ -z "$(find_window '^Import series$')" ] || fail "the import dialog stayed open"
save_run "$work/gauge.inp"
# shellcheck disable=SC2046
"$cli" import "$work/basin-large-sample.txt" --mode analysis $(storages "$work/gauge.inp") \
    --runoff-file "$work/gauge-01234500.txt:5" --runoff-unit cfs --area-km2 412.7 \
    -o "$work/cli-gauge.inp" 2>/dev/null || fail "quellow-cli import of the gauge failed"
same_input_file "$work/gauge.inp" "$work/cli-gauge.inp"
click_main 159 32 # back to the Input tab, where the finish edits a cell
