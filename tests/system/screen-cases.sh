# The validation on a screen of 1366 x 768 (sourced by run-system-test.sh for PART "screen"):
# a warm-up too long for the window is refused with the Validate dialog kept open and the focus on
# the field, and the view then opens within the screen with its buttons, also maximised.

step "validate: a warm-up that leaves too few rows is refused; the dialog stays with the focus on it"
cp "$source_dir/tests/data/windows/gr4j-1991.inp" "$source_dir/tests/data/windows/gr4j-1992.inp" .
open_input "$work/gr4j-1991.inp"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key v # &Validate...
validate_dialog
xdotool key ctrl+a
xdotool type "$work/gr4j-1992.inp"
xdotool key --clearmodifiers alt+w ctrl+a
xdotool type 360
xdotool key Return
answer_box Return # "A warm-up of 360 rows leaves 4 scored rows of ..."
[ -z "$(find_window '^Validation of ')" ] || fail "the validation ran with a warm-up of 360 rows"
dialog=$(find_window '^Validate$')
[ -n "$dialog" ] || fail "the Validate dialog closed after the warm-up's message"
xdotool windowactivate --sync "$dialog" 2>/dev/null
sleep 0.3
# The focus is on the warm-up, its text selected: what is typed replaces it.
xdotool type 30
shot validate-warmup-mended
xdotool key Return
view=$(wait_window '^Validation of gr4j-1992.inp$' 60) || fail "no validation view came"
sleep 1
shot validation-view-1366

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

step "validate: the view opens within the screen, Save report..., Export CSV and Close on it"
read -r sw sh < <(xdotool getdisplaygeometry)
read -r left top right bottom < <(outer_rect "$view")
[ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le "$sw" ] && [ "$bottom" -le "$sh" ] ||
    fail "the view takes $left,$top to $right,$bottom on a screen of ${sw}x${sh}"
# Maximised (a double click on its title bar), it still shows its buttons; then Close (Escape).
xdotool mousemove $(((left + right) / 2)) $((top + 8)) click --repeat 2 --delay 80 1
sleep 1.5
read -r left top right bottom < <(outer_rect "$view")
[ $((right - left)) -ge $((sw - 4)) ] && [ "$bottom" -le "$sh" ] ||
    fail "the view was not maximised: $left,$top to $right,$bottom"
shot validation-view-maximised
export_view_csv "$view" "$work/view-1992.csv"
xdotool windowactivate --sync "$view" 2>/dev/null
xdotool key Escape
sleep 0.5
[ -z "$(find_window '^Validation of ')" ] || fail "Escape did not close the validation view"
