# Import of a dated series through the preview (sourced by run-system-test.sh).

step "import: File > Import series, the preview, Import; Save/Run writes the imported rows"
cp "$source_dir/tests/data/import-awkward.csv" "$work/gauge.csv"
file_menu m
answer_file_dialog 'Import series' "$work/gauge.csv"
sleep 1
preview=$(wait_window '^Import series$') || fail "no import preview"
shot import-preview
xdotool windowactivate --sync "$preview" 2>/dev/null
xdotool key Return # "Import" is the default button
sleep 0.5
[ -z "$(find_window '^Import series$')" ] || fail "the import preview stayed open"
save_run "$work/imp.inp"
same_as_cli "$work/imp.inp"
# The rows are those quellow-cli import takes from the same file: the longest gap-free stretch.
"$cli" import "$work/gauge.csv" --mode analysis -o "$work/cli-gauge.inp" 2>/dev/null ||
    fail "quellow-cli import failed"
[ "$(data_rows "$work/imp.inp" 15)" = 13 ] || fail "imp.inp holds $(data_rows "$work/imp.inp" 15) rows, not 13"
cmp -s <(tail -n +15 "$work/imp.inp" | cut -c1-38) <(tail -n +15 "$work/cli-gauge.inp" | cut -c1-38) ||
    fail "the imported rows differ from quellow-cli import's"
