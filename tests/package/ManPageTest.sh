#!/usr/bin/env bash
# Checks that the manual page of quellow-cli, as man shows it, names every command that
# `quellow-cli --help` lists and every option of that list and of each command's own help
# (the batch calibration's too), so that a new command or option cannot be left out of it.
# Usage: ManPageTest.sh PAGE QUELLOW_CLI      (PAGE: quellow-cli.1 or quellow-cli.1.gz)
set -euo pipefail
page=$1 cli=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v man >/dev/null || fail "man is not installed (scripts/install-deps.sh installs man-db)"

# A wide page, so that no option is broken across lines; LC_ALL=C keeps the hyphens plain.
shown=$(MANWIDTH=250 LC_ALL=C man -l "$page" 2>/dev/null) || fail "man -l $page failed"
[ -n "$shown" ] || fail "man -l $page shows nothing"

help=$("$cli" --help)
verbs=$(sed -n 's/^  \([a-z][a-z]*\) .*/\1/p' <<<"$help" | sort -u)
[ "$(wc -l <<<"$verbs")" -ge 7 ] || fail "too few commands read from --help: $verbs"

# Options as the help texts write them: after a blank, a bracket, a bar or a comma.
options_of() { grep -oE '(^|[][ (|,])--?[a-z][a-z0-9-]*' | sed 's/^[][ (|,]//'; }
texts=$help
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
for verb in $verbs; do
    grep -qE "quellow-cli $verb( |$)" <<<"$shown" || fail "the command $verb is not in $page"
    # alfa answers --help with its usage on standard error.
    texts+=$'\n'$("$cli" "$verb" --help 2>&1 || true)
done
texts+=$'\n'$("$cli" calibrate "$folder" --help)

missing=()
for option in $(options_of <<<"$texts" | sort -u); do
    grep -qE -- "(^|[^a-z0-9-])$option([^a-z0-9-]|$)" <<<"$shown" || missing+=("$option")
done
[ ${#missing[@]} -eq 0 ] || fail "options not in $page: ${missing[*]}"
echo "$page names the $(wc -w <<<"$verbs") commands and every option of quellow-cli's help"
