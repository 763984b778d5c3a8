# Paste through the cell editor (sourced by run-system-test.sh): a single click on the first
# cell opens its editor, Ctrl+V pastes the clipboard into it. The program must survive every
# answer, never keep the raw block in a cell, and Save/Run must then write the rows.

FirstCell=(179 203) # cell (0, 0) of the grid on the Input tab
InputTab=(159 32)

# Rows "time TAB rain TAB escape TAB runoff" with CR LF, $1 of them, times from $2.
make_block() {
    awk -v n="$1" -v t="$2" 'BEGIN { for (i = 0; i < n; i++)
        printf "%d\t%s\t0.5\t%.2f\r\n", t + i, (i % 3 == 0 ? "1.5" : "0"), 0.5 + i / 100 }'
}

# Opens the wet-season example (121 rows) unless $2 is "again", pastes the clipboard into the
# first cell's editor, answers the first question with key $1 and every later message with Return.
paste_into_first_cell() {
    [ "${2:-}" = again ] || open_input "$work/Catchment-wet-season.inp"
    click_main "${InputTab[@]}"
    click_main "${FirstCell[@]}"
    xdotool key ctrl+v
    sleep 0.5
    local quiet=0 id answer=$1
    for _ in $(seq 100); do
        alive || fail "the program ended after a paste answered with $1"
        id=$(find_window "^$BoxName\$")
        if [ -n "$id" ]; then
            xdotool windowactivate --sync "$id" 2>/dev/null
            xdotool key "$answer"
            answer=Return # the question comes first; later boxes are messages with OK
            quiet=0
            sleep 0.3
            continue
        fi
        quiet=$((quiet + 1))
        [ $quiet -ge 15 ] && break
        sleep 0.1
    done
    sleep 0.5
    alive || fail "the program ended after a paste answered with $1"
}

step "paste: 30 rows into the 121-row sheet, keeping the number of rows (Yes)"
make_block 30 1 | xclip -selection clipboard -i
paste_into_first_cell Return
save_run "$work/paste-yes.inp"
[ "$(data_rows "$work/paste-yes.inp" 15)" -eq 121 ] || fail "paste-yes.inp does not hold 121 rows"
grep -q "^    1         1.00       1.50  5.000E-0001  5.000E-0001" "$work/paste-yes.inp" || fail "paste-yes.inp does not start with the pasted row"

step "paste: 3 rows, taking the pasted number of rows (No)"
make_block 3 1 | xclip -selection clipboard -i
paste_into_first_cell n
alive || fail "the program ended after answering No"

step "paste: a block that starts with the value the cell holds"
make_block 30 1 | xclip -selection clipboard -i
paste_into_first_cell Return
paste_into_first_cell Return again
save_run "$work/paste-same.inp"

step "paste: over 1500 lines is refused and leaves no block in a cell"
make_block 1600 1 | xclip -selection clipboard -i
paste_into_first_cell Return
save_run "$work/paste-long.inp"
[ "$(data_rows "$work/paste-long.inp" 15)" -eq 121 ] || fail "paste-long.inp does not hold the 121 rows"
