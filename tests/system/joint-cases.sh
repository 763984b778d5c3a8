# Several windows at once (sourced by run-system-test.sh for PART "joint", on a screen of
# 1366 x 768): "Calibrate on several files..." on three seasons chosen together in the file
# dialog, a prediction file refused with the dialog kept, and Validate's leave one out and
# rolling over a folder of four seasons, the view within the screen; the figures shown are those
# of quellow-cli with the same options.

# Waits for the dialog named $1 and gives it the focus.
focus_dialog() {
    local id
    id=$(wait_window "^$1\$") || fail "no \"$1\" dialog"
    for _ in $(seq 50); do
        xdotool windowactivate --sync "$id" 2>/dev/null
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ] && break
        sleep 0.1
    done
    sleep 0.3
}

# The text of the current cell of the table that has the focus, copied to the clipboard.
copied_cell() {
    printf '' | xclip -selection clipboard
    xdotool key --clearmodifiers ctrl+c
    sleep 0.2
    xclip -o -selection clipboard 2>/dev/null
}

# The place of window $1 on the screen with its frame: "left top right bottom" in pixels.
outer_rect() {
    local x y w h
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF }
        /Absolute upper-left Y/ { y = $NF } /^ *Width/ { w = $NF } /^ *Height/ { h = $NF }
        END { print x, y, w, h }')
    local left right top bottom
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | tr -d ',' |
        awk '{ print $3, $4, $5, $6 }')
    echo "$((x - left)) $((y - top)) $((x + w + right)) $((y + h + bottom))"
}

is_figure() { [[ $1 =~ ^-?[0-9]+\.[0-9]{3}$ ]]; }

# A number of quellow-cli's JSON on standard input, at the path $1 (a Python subscript such as
# ["windows"][2]["NSE"]), with three decimals as the window shows it.
json_figure() {
    python3 -c 'import json, sys; print("%.3f" % eval("json.load(sys.stdin)" + sys.argv[1]))' "$1"
}

seasons="$work/seasons"
mkdir -p "$seasons"
cp "$source_dir"/tests/data/windows/hymod-201[3-6].inp "$seasons/"

step "calibrate on several files: three seasons chosen together in the file dialog"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key s # Calibrate on &several files...
id=$(wait_window '^Analysis files to calibrate on$') || fail "no file dialog for the windows"
xdotool windowactivate --sync "$id" 2>/dev/null
# Into the folder first, then the three names at once.
xdotool type --delay 2 "$seasons/"
xdotool key Return
sleep 0.5
xdotool type --delay 2 '"hymod-2013.inp" "hymod-2014.inp" "hymod-2015.inp"'
xdotool key Return
focus_dialog 'Calibrate on several files'
xdotool key --clearmodifiers alt+u ctrl+a # Eval&uations
xdotool type 200
shot joint-dialog
xdotool key Return
form=$(wait_window '^Joint calibration of 3 windows$' 60) || fail "no result of the joint calibration"
sleep 0.5
shot joint-result
xdotool windowactivate --sync "$form" 2>/dev/null
# The table has the focus, its current cell the NSE of the windows together (row "all").
all=$(copied_cell)
is_figure "$all" || fail "the result shows \"$all\" as the NSE of the windows together"
xdotool key Up
last=$(copied_cell)
is_figure "$last" || fail "the result shows \"$last\" as the NSE of hymod-2015.inp"
[ "$all" != "$last" ] || fail "the windows together show the NSE of the last window, $all"
json=$(cd "$seasons" && "$cli" calibrate --joint hymod-2013.inp hymod-2014.inp hymod-2015.inp \
    --evaluations 200 --json) || fail "quellow-cli calibrate --joint failed"
want="$(json_figure '["calibrated"]["Objective"]' <<<"$json") $(json_figure \
    '["windows"][2]["Simulation"]["NSE"]' <<<"$json")"
[ "$all $last" = "$want" ] || fail "the result shows NSE $all and $last, quellow-cli $want"
xdotool key Escape
sleep 0.5
[ -z "$(find_window '^Joint calibration of ')" ] || fail "Escape did not close the result"

step "calibrate on several files: a prediction file is refused, the dialog stays"
cp "$source_dir/Data/Example-prediction-drainage.inp" "$seasons/../prediction.inp"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key s
# The files of the last calibration are offered again: no file dialog first.
focus_dialog 'Calibrate on several files'
xdotool key --clearmodifiers alt+d # A&dd files...
answer_file_dialog 'Analysis files to calibrate on' "$work/prediction.inp"
focus_dialog 'Calibrate on several files'
xdotool key Return
answer_box Return # "... is a prediction file ..."
dialog=$(find_window '^Calibrate on several files$')
[ -n "$dialog" ] || fail "the dialog closed after the prediction file's message"
[ -z "$(find_window '^Joint calibration of ')" ] || fail "a calibration ran with a prediction file"
focus_dialog 'Calibrate on several files'
xdotool key Escape
sleep 0.5
[ -z "$(find_window '^Calibrate on several files$')" ] || fail "Escape did not close the dialog"

step "validate: leave one out over a folder of four seasons, each at its year"
open_input "$seasons/hymod-2013.inp"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key v # &Validate...
focus_dialog 'Validate'
xdotool key --clearmodifiers alt+l # &Leave one out over a folder of season files
sleep 0.5                          # a button's mnemonic clicks it a moment later
xdotool key --clearmodifiers alt+f # Season &folder
xdotool type --delay 2 "$seasons"
xdotool key --clearmodifiers alt+u ctrl+a
xdotool type 100
shot validate-leave-one-out
xdotool key Return
view=$(wait_window '^Leave-one-out validation of 4 windows$' 90) || fail "no leave-one-out view"
sleep 1
shot leave-one-out-view
read -r sw sh < <(xdotool getdisplaygeometry)
read -r left top right bottom < <(outer_rect "$view")
[ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le "$sw" ] && [ "$bottom" -le "$sh" ] ||
    fail "the view takes $left,$top to $right,$bottom on a screen of ${sw}x${sh}"
xdotool windowactivate --sync "$view" 2>/dev/null
# The table has the focus, its current cell the first window's NSE; the year is left of it.
nse=$(copied_cell)
is_figure "$nse" || fail "the view shows \"$nse\" as the NSE of hymod-2013.inp"
xdotool key Left
year=$(copied_cell)
[ "$year" = 2013 ] || fail "the view gives hymod-2013.inp the year \"$year\""
want=$("$cli" validate --leave-one-out "$seasons" --evaluations 100 --json |
    json_figure '["windows"][0]["NSE"]') || fail "quellow-cli validate --leave-one-out failed"
[ "$nse" = "$want" ] || fail "the view shows NSE $nse for hymod-2013.inp, quellow-cli $want"
xdotool key Escape
sleep 0.5
[ -z "$(find_window '^Leave-one-out validation ')" ] || fail "Escape did not close the view"

step "validate: rolling on the two seasons before, the first two skipped"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key v
focus_dialog 'Validate'
xdotool key --clearmodifiers alt+r # &Rolling: checks it
sleep 0.5
xdotool key Tab ctrl+a
xdotool type 2
xdotool key Return
view=$(wait_window '^Rolling validation \(2 before\) of 4 windows$' 90) || fail "no rolling view"
sleep 1
shot rolling-view
xdotool windowactivate --sync "$view" 2>/dev/null
first=$(copied_cell)
[ "$first" = skipped ] || fail "the first window shows \"$first\", not skipped"
xdotool key Down Down
third=$(copied_cell)
want=$("$cli" validate --leave-one-out "$seasons" --rolling 2 --evaluations 100 --json |
    json_figure '["windows"][2]["NSE"]') || fail "quellow-cli validate --rolling failed"
[ "$third" = "$want" ] || fail "the view shows NSE $third for hymod-2015.inp, quellow-cli $want"
xdotool key Escape
sleep 0.5
alive || fail "the program ended after the validation"
