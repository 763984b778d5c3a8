# The sheet as a day's work leaves it (sourced by run-system-test.sh): a calibration on the edge
# of its search, applied and taken back, the question before an edited sheet is replaced, a box
# with an unreadable value, and "Clear all".

RainCell=(239 203)   # cell (1, 0) of the grid on the Input tab
MaxStorBox=(572 250) # "Maximum storage" of the analysis layout
InitStorBox=(572 276)
ClearAll=(51 522)

# Answers the question about changes not saved with Save and the save dialog with $1; the
# input file is written without a run. The Open dialog that follows is cancelled.
save_by_question_then_cancel_open() {
    file_menu i
    answer_box s
    answer_file_dialog 'Save As' "$1"
    wait_window '^Open$' >/dev/null || fail "no Open dialog after the sheet was saved"
    xdotool key Escape
    answer_box Return # "No input file was selected"
    [ -s "$1" ] || fail "$(basename "$1") was not written"
}

# Lines 8 and 9 of an input file in one line: " Maximum dead storage: 64.35| Initial ...".
dead_storages() { sed -n '8,9p' "$1" | tr -d '\r' | tr -s ' ' | paste -sd'|'; }

step "calibrate: a result on the edge of the search says so; Apply, then Ctrl+Z in a box takes it back"
open_input "$work/Catchment-dry-season.inp"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key l # Ca&librate
result=$(wait_window '^Calibration of the first reservoir - on the edge of the search$' 30) ||
    fail "no calibration result marked as on the edge of the search"
shot calibration-edge
xdotool windowactivate --sync "$result" 2>/dev/null
xdotool key Return # "Apply"
sleep 0.5
rm -f "$work/cal.inp" "$work/cal.out"
save_by_question_then_cancel_open "$work/cal.inp"
[ "$(dead_storages "$work/cal.inp")" = " Maximum dead storage: 500.00| Initial dead storage: 499.51" ] ||
    fail "cal.inp holds other storages: $(dead_storages "$work/cal.inp")"
[ ! -e "$work/cal.out" ] || fail "saving at the question ran the model"
cmp -s <(tail -n +15 "$work/cal.inp" | cut -c1-26) <(tail -n +15 "$work/Catchment-dry-season.inp" | cut -c1-26) ||
    fail "Apply changed times or rain"
cmp -s <(tail -n +15 "$work/cal.inp") <(tail -n +15 "$work/Catchment-dry-season.inp") &&
    fail "Apply left the escape rates as they were"
# Ctrl+Z from a box, where the focus is after a calibration, is Edit > Undo.
click_main "${InitStorBox[@]}"
xdotool key ctrl+z
sleep 0.3
save_by_question_then_cancel_open "$work/undo.inp"
[ "$(dead_storages "$work/undo.inp")" = " Maximum dead storage: 100.00| Initial dead storage: 100.00" ] ||
    fail "undo.inp holds other storages: $(dead_storages "$work/undo.inp")"
cmp -s <(tail -n +15 "$work/undo.inp") <(tail -n +15 "$work/Catchment-dry-season.inp") ||
    fail "Undo did not bring the escape rates back"

step "boxes: an unreadable maximum storage is refused and the box shows the value in use"
click_main "${MaxStorBox[@]}"
xdotool key ctrl+a
xdotool type "9o"
xdotool key Tab
answer_box Return # "The maximum storage is not a valid real"
click_main "${RainCell[@]}"
xdotool type "13"
xdotool key Tab
step "clear all: asks about the edit (Save), then leaves no runoff, escape rate or file behind"
click_main "${ClearAll[@]}"
answer_box s
answer_file_dialog 'Save As' "$work/box.inp"
sleep 1
[ "$(dead_storages "$work/box.inp")" = " Maximum dead storage: 100.00| Initial dead storage: 100.00" ] ||
    fail "box.inp holds other storages: $(dead_storages "$work/box.inp")"
grep -q '^    1         1.00      13.00' "$work/box.inp" || fail "box.inp lacks the rain typed"
# The escape box is empty: a save names it and asks for no file.
focus_main
xdotool key ctrl+s
answer_box Return # "The escape rate is not a valid real"
[ -z "$(find_window '^Save As$')" ] || fail "Save/Run asked for a file with an empty escape box"
xdotool type "0.5" # into the escape box, which has the focus
click_main "${MaxStorBox[@]}"
xdotool type "50"
click_main "${InitStorBox[@]}"
xdotool type "20"
seq 1 15 | sed 's/$/\r/' | xclip -selection clipboard -i
click_main "${FirstCell[@]}"
xdotool key ctrl+v
sleep 0.5
save_by_question_then_cancel_open "$work/clr.inp"
[ "$(data_rows "$work/clr.inp" 15)" = 15 ] || fail "clr.inp does not hold 15 rows"
grep -Eq 'Max.escape/time unit: +5\.0+E-0001' "$work/clr.inp" || fail "clr.inp lacks the escape rate typed"
[ "$(tail -n +15 "$work/clr.inp" | awk '$5 + 0 != 0' | wc -l)" = 0 ] ||
    fail "clr.inp pairs the new rows with old runoff"
