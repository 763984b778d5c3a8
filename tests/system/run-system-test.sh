#!/usr/bin/env bash
# The program as a person uses it: the real quellow binary on a virtual X display with a window
# manager, driven with the keyboard and the mouse (xdotool) and a clipboard filled by xclip.
# Checks the files written, the captions and that "Finish" ends the process with status 0.
#
#   run-system-test.sh QUELLOW QUELLOW_CLI SOURCE_DIR [PART]
#
# PART "window" (the default) is the start-up, the runs, the charts, the sheet and the window's
# own cases; PART "data" is the validation and the import dialog, each from a fresh start; PART
# "screen" is the validation on a screen of 1366 x 768; PART "joint" is the calibration on several
# files and leave one out, on a screen of 1366 x 768.
#
# With QUELLOW_SHOTS=FOLDER set, screenshots of the screen at the main steps go there.
#
# Exit status 0 when every case passes, 1 on the first failure, 77 when a tool is missing.
set -u

here=$(dirname "$(realpath "$0")")
quellow=$(realpath "$1")
cli=$(realpath "$2")
source_dir=$(realpath "$3")
part=${4:-window}

for tool in Xvfb openbox xdotool xclip xprop xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    declare -F shot >/dev/null && shot failure
    [ -f "$work/quellow.log" ] && sed 's/^/  quellow: /' "$work/quellow.log" | tail -20
    exit 1
}
step() { echo "-- [${SECONDS}s] $*"; }

# ---- Display and window manager: a display number nobody else uses ---------------------------

screen=1280x1024x24
[ "$part" = screen ] || [ "$part" = joint ] && screen=1366x768x24
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY

openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

# ---- Helpers ---------------------------------------------------------------------------------

MainName='Quellow, rainfall runoff relations'
BoxName='Quellow rainfall runoff relations'

# The id of the first visible window whose name matches the extended regular expression, or
# nothing.
find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }

# Waits up to $2 seconds (default 20) for a visible window named $1; prints its id.
wait_window() {
    local id
    for _ in $(seq $((${2:-20} * 10))); do
        id=$(find_window "$1")
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

alive() { kill -0 "$app" 2>/dev/null; }

focus_main() {
    main=$(wait_window "^$MainName\$") || fail "the main window is not shown"
    xdotool windowactivate --sync "$main" 2>/dev/null
}

# File menu item by its underlined letter.
file_menu() {
    focus_main
    xdotool key --clearmodifiers alt+f
    sleep 0.3
    xdotool key "$1"
}

# Answers the file dialog named $1 with the path $2.
answer_file_dialog() {
    local id
    id=$(wait_window "^$1\$") || fail "no \"$1\" dialog"
    xdotool windowactivate --sync "$id" 2>/dev/null
    xdotool type --delay 2 "$2"
    xdotool key Return
}

# Presses key $1 in the program's next message box or question, which must come within $2
# seconds (default 10), once the box has the focus.
answer_box() {
    local id
    id=$(wait_window "^$BoxName\$" "${2:-10}") || fail "no message or question came"
    for _ in $(seq 50); do
        xdotool windowactivate --sync "$id" 2>/dev/null
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ] && break
        sleep 0.1
    done
    xdotool key "$1"
    sleep 0.3
}

# Clicks at a place in the main window (pixels from its inside top left).
click_main() {
    focus_main
    xdotool mousemove --window "$main" "$1" "$2" click 1
    sleep 0.3
}

# Answers the program's message boxes with key $1 (Return: OK or the default Yes) until the
# file $2 exists and no box has come for four seconds (longer than the pauses of a run); at
# most $3 seconds. Counts in $boxes.
answer_boxes_until_file() {
    local key=$1 file=$2 limit=${3:-60} quiet=0 id
    boxes=0
    for _ in $(seq $((limit * 10))); do
        alive || fail "the program ended while a run was going on"
        id=$(find_window "^$BoxName\$")
        if [ -n "$id" ]; then
            xdotool windowactivate --sync "$id" 2>/dev/null
            # Only into the box: a key that reaches the main window presses its default button.
            if [ "$(xdotool getactivewindow 2>/dev/null)" != "$id" ]; then
                sleep 0.1
                continue
            fi
            xdotool key "$key"
            boxes=$((boxes + 1))
            quiet=0
            sleep 0.2
            continue
        fi
        quiet=$((quiet + 1))
        [ -e "$file" ] && [ $quiet -ge 40 ] && return 0
        sleep 0.1
    done
    fail "$file was not written within $limit seconds"
}

# Save/Run to $1; waits for the output file beside it.
save_run() {
    rm -f "${1%.inp}.out"
    file_menu n
    answer_file_dialog 'Save As' "$1"
    answer_boxes_until_file Return "${1%.inp}.out" 90
}

# Opens an input file; an edited sheet is asked about first, and its changes are discarded.
open_input() {
    file_menu i
    for _ in $(seq 30); do
        [ -n "$(find_window '^Open$')" ] && break
        [ -n "$(find_window "^$BoxName\$")" ] && { answer_box d; break; }
        sleep 0.1
    done
    answer_file_dialog 'Open' "$1"
    sleep 0.5
}

# Save/Run of a prediction to $1, whose only box is the closing message: answered as soon as it
# comes, without the wait for further boxes of save_run.
save_run_prediction() {
    rm -f "${1%.inp}.out"
    file_menu n
    answer_file_dialog 'Save As' "$1"
    answer_box Return 30
    [ -s "${1%.inp}.out" ] || fail "$(basename "${1%.inp}.out") was not written"
}

# The output of the window and of quellow-cli for the same input file agree, apart from the
# line naming the input file.
same_as_cli() {
    local inp=$1 ref="$work/cli/$(basename "$1")"
    mkdir -p "$work/cli"
    cp "$inp" "$ref"
    "$cli" run "$ref" 2>/dev/null
    cmp -s <(sed 5d "${inp%.inp}.out") <(sed 5d "${ref%.inp}.out") ||
        fail "$(basename "${inp%.inp}.out") differs from what quellow-cli writes:
$(diff <(sed 5d "${inp%.inp}.out") <(sed 5d "${ref%.inp}.out") | head -10)"
    grep -q $'\r$' "${inp%.inp}.out" || fail "the output file has no CR LF line ends"
}

# A screenshot of the whole screen as $QUELLOW_SHOTS/$1.png, when a folder is given.
shot() {
    [ -n "${QUELLOW_SHOTS:-}" ] && command -v import >/dev/null || return 0
    mkdir -p "$QUELLOW_SHOTS"
    import -window root "$QUELLOW_SHOTS/$1.png" 2>/dev/null
}

data_rows() { tail -n +"$2" "$1" | grep -c '^ *[0-9]'; }

# ---- Start -----------------------------------------------------------------------------------

cd "$work" || exit 1
cp "$source_dir"/Data/*.inp .

if [ "$part" = window ]; then
step "start-up with a file that does not exist: the message of Open input, the window stays"
"$quellow" "$work/missing.inp" >"$work/quellow.log" 2>&1 &
app=$!
pids+=($app)
wait_window "^$MainName\$" 30 >/dev/null || fail "the main window did not appear"
box=$(wait_window "^$BoxName\$") || fail "no message about the missing file"
xdotool windowactivate --sync "$box" 2>/dev/null
xdotool key Return
sleep 0.5
[ -z "$(find_window "^$BoxName\$")" ] || fail "the message came back"
alive || fail "the program ended after the message"
kill "$app"
wait "$app" 2>/dev/null

step "start-up with an input file (quellow FILE.inp): the main window with its own caption"
# A relative name, as a file manager or a shell passes it.
"$quellow" Catchment-wet-season.inp >"$work/quellow.log" 2>&1 &
app=$!
pids+=($app)
main=$(wait_window "^$MainName\$" 30) || fail "the main window did not appear"
[ "$(xdotool getwindowname "$main")" = "$MainName" ] || fail "caption: $(xdotool getwindowname "$main")"

step "analysis: the file given at start-up, Save/Run"
sleep 0.5
[ -z "$(find_window "^$BoxName\$")" ] || fail "a message came up on opening the file"
save_run "$work/ana.inp"
same_as_cli "$work/ana.inp"
[ -s "$work/ana.dat" ] || fail "the trend file ana.dat is missing"
shot analysis-output

step "chart: View graph, Go, Save graph as PNG"
click_main 542 545 # "View graph" on the Output tab
click_main 258 324 # "Go" of the chart choice
file_menu r
answer_file_dialog 'Save graph' "$work/chart.png"
answer_boxes_until_file Return "$work/chart.png" 20
shot analysis-chart
[ "$(head -c 8 chart.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "chart.png is no PNG"
[ "$(od -An -tu1 -j16 -N8 chart.png | tr -s ' ')" = " 0 0 2 111 0 0 1 209" ] ||
    fail "chart.png is not 623 x 465"

step "prediction after the analysis: the switch takes its alpha function and first runoff"
click_main 159 32  # the Input tab
click_main 273 116 # the options list
xdotool key Down Return
sleep 0.5
shot prediction-switch
save_run_prediction "$work/sim.inp"
same_as_cli "$work/sim.inp"
# The analysis output gives the alpha function to four decimals and the divide to two.
field() { tr -d '\r' <"$work/sim.inp" | grep "^ $1" | sed 's/.*: *//'; }
want=$(tr -d '\r' <"$work/ana.out" | awk '/^if Discharge >/ { a = $8 " " $11; d = $4 }
    /^if Discharge </ { print a, $8, $11, d }')
got=$(printf '%.4f %.4f %.4f %.4f %.2f' "$(field A1)" "$(field 'Value of B1')" "$(field A2)" \
    "$(field 'Value of B2')" "$(field 'Runoff division')")
[ "$got" = "$want" ] || fail "sim.inp holds the alpha function $got, the analysis gave $want"
first=$(tr -d '\r' <"$work/ana.inp" | awk '/^ *1 / { print $5; exit }')
[ "$(printf '%.6g' "$(field 'Initial runoff')")" = "$(printf '%.6g' "$first")" ] ||
    fail "sim.inp starts from $(field 'Initial runoff'), not the first runoff $first"

step "prediction: open a drainage example, Save/Run"
open_input "$work/Example-prediction-drainage.inp"
save_run_prediction "$work/pred.inp"
same_as_cli "$work/pred.inp"
shot prediction-output

. "$here/paste-cases.sh"
. "$here/window-cases.sh"
. "$here/sheet-cases.sh"

else
    step "start-up for the $part cases"
    "$quellow" >"$work/quellow.log" 2>&1 &
    app=$!
    pids+=($app)
    wait_window "^$MainName\$" 30 >/dev/null || fail "the main window did not appear"
    RainCell=(239 203) # cell (1, 0) of the grid on the Input tab
    if [ "$part" = screen ]; then
        . "$here/validate-cases.sh" functions
        . "$here/screen-cases.sh"
    elif [ "$part" = joint ]; then
        . "$here/joint-cases.sh"
    else
        . "$here/validate-cases.sh"
        . "$here/import-cases.sh"
    fi
fi

step "finish: Program eXit with an edited sheet asks first; Cancel stays, Discard leads to Finish"
click_main "${RainCell[@]}"
xdotool type "3"
file_menu x
answer_box Escape
sleep 1
[ -z "$(find_window '^Quellow finish$')" ] || fail "the finish window came after Cancel"
file_menu x
answer_box d
finish=$(wait_window '^Quellow finish$') || fail "the finish window did not appear"
alive || fail "the program ended before Finish"
xdotool windowactivate --sync "$finish" 2>/dev/null
xdotool key Return
for _ in $(seq 10); do alive || break; sleep 0.1; done
alive && fail "the program still runs a second after Finish"
wait "$app"
status=$?
[ $status -eq 0 ] || fail "exit status $status after Finish"

echo "PASS"
