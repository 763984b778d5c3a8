# Validate... (sourced by run-system-test.sh): the sheet of a public window validated on the
# next year through the window, the view shown and closed.

step "validate: GR4J 1991 on the sheet, Validate... on 1992, the view with its figures"
open_input "$source_dir/tests/data/windows/gr4j-1991.inp"
focus_main
xdotool key --clearmodifiers alt+e
sleep 0.3
xdotool key v # &Validate...
answer_file_dialog 'Validation file' "$source_dir/tests/data/windows/gr4j-1992.inp"
view=$(wait_window '^Validation of gr4j-1992.inp$' 60) || fail "no validation view came"
sleep 0.5
shot validation-view
xdotool windowactivate --sync "$view" 2>/dev/null
xdotool key Escape
sleep 0.5
[ -z "$(find_window '^Validation of ')" ] || fail "Escape did not close the validation view"
alive || fail "the program ended after the validation"
