#!/usr/bin/env bash
# Installs the build into a scratch folder and checks what a user gets: the three programs in
# bin/, the desktop entry with its icon and input file type, the examples, the manual pages and
# the user's documents, and programs that run from there (the chart program found beside
# quellow-cli). With --deb it also builds the Debian package and checks its control fields and
# contents.
# Usage: InstallTest.sh BUILD_DIR SOURCE_DIR VERSION [--deb]
set -euo pipefail
build=$1 source=$2 version=$3 deb=${4:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$scratch/usr
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/quellow bin/quellow-cli bin/quellow-cli-chart share/applications/quellow.desktop \
         share/icons/hicolor/scalable/apps/quellow.svg share/mime/packages/quellow-input.xml \
         share/quellow/examples/Example-analysis.inp share/quellow/examples/README \
         share/doc/quellow/README.md share/doc/quellow/docs/USER-GUIDE.md \
         share/doc/quellow/docs/COMMANDS.md share/doc/quellow/docs/cluster.md share/doc/quellow/docs/python.md \
         share/quellow/cluster/quellow-array.sbatch share/man/man1/quellow.1.gz share/man/man1/quellow-cli.1.gz; do
    [ -f "$prefix/$f" ] || fail "$f not installed"
done
[ -x "$prefix/bin/quellow-cli-chart" ] || fail "the chart program is not executable"
# Only the input files of the examples, not outputs of a run in the source tree.
[ -z "$(find "$prefix/share/quellow/examples" -name '*.out' -o -name '*.dat')" ] ||
    fail "outputs installed among the examples"

# The desktop entry starts an installed program, names the installed icon and the file type
# that the type definition declares.
entry=$prefix/share/applications/quellow.desktop
[ "$(sed -n 1p "$entry")" = "[Desktop Entry]" ] || fail "desktop entry header"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
[ "$(sed -n 's/^Icon=//p' "$entry")" = quellow ] || fail "icon name"
mime=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$entry")
grep -q "<mime-type type=\"$mime\">" "$prefix/share/mime/packages/quellow-input.xml" ||
    fail "MimeType=$mime is not declared"
grep -q '<glob pattern="\*.inp"/>' "$prefix/share/mime/packages/quellow-input.xml" ||
    fail "the .inp pattern is not declared"

# The manual pages: compressed whole, with the version, and quellow-cli's naming every command
# and option of its help (as the installed program gives it).
for page in quellow quellow-cli; do
    gzip -t "$prefix/share/man/man1/$page.1.gz" || fail "$page.1.gz is no whole gzip file"
    shown=$(MANWIDTH=200 LC_ALL=C man -l "$prefix/share/man/man1/$page.1.gz" 2>/dev/null) ||
        fail "man -l $page.1.gz failed"
    grep -q "^ *$page - " <<<"$shown" || fail "$page(1) has no NAME line"
    grep -q "Quellow $version" <<<"$shown" || fail "$page(1) does not give the version"
done
"$source/tests/package/ManPageTest.sh" "$prefix/share/man/man1/quellow-cli.1.gz" \
    "$prefix/bin/quellow-cli" >/dev/null

# The installed programs: versions, a run of an example and a chart of its output.
[ "$("$prefix/bin/quellow-cli" --version)" = "quellow-cli $version" ] || fail "quellow-cli --version"
[ "$("$prefix/bin/quellow" --version)" = "quellow $version" ] || fail "quellow --version"
work=$scratch/work
mkdir "$work"
cp "$prefix/share/quellow/examples/Example-analysis.inp" "$work/"
LC_ALL=C "$prefix/bin/quellow-cli" run "$work/Example-analysis.inp" 2>/dev/null
sed 's#^Name of input file used: .*\r$#Name of input file used: Example-analysis.inp\r#' \
    "$work/Example-analysis.out" | cmp - "$source/tests/data/Example-analysis.out" ||
    fail "the installed quellow-cli wrote another output"
cmp "$work/Example-analysis.dat" "$source/tests/data/Example-analysis.dat" ||
    fail "the installed quellow-cli wrote another trend file"
QT_QPA_PLATFORM=offscreen "$prefix/bin/quellow-cli" chart "$work/Example-analysis.out" --kind 1 \
    -o "$work/chart.bmp" 2>/dev/null || fail "the installed chart command failed"
[ "$(head -c 2 "$work/chart.bmp")" = BM ] || fail "the chart is not a bitmap"

# The Python module, where it was built: the system's python3 imports it from the installed
# tree, runs an example there and finds the installed quellow-cli (its import of a series).
if [ -f "$build/python/quellow/__init__.py" ]; then
    site=$prefix/lib/python3/dist-packages
    ls "$site"/quellow/_quellow*.so >/dev/null 2>&1 || fail "the compiled module is not installed"
    (cd "$work" && env -u QUELLOW_CLI PYTHONPATH="$site" /usr/bin/python3 -c '
import os, sys, quellow
assert quellow.__file__.startswith(sys.argv[1]), quellow.__file__
assert os.path.normpath(quellow._cli()) == os.path.normpath(sys.argv[2]), quellow._cli()
inp = quellow.read_input("Example-analysis.inp")
assert abs(quellow.analyse(inp)["RSquare"] - 0.9776459436132681) < 1e-15
' "$site" "$prefix/bin/quellow-cli") || fail "python3 -c \"import quellow\" failed on the installed tree"
fi

[ "$deb" = --deb ] || exit 0
(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
package=$(ls "$scratch"/package/quellow_"$version"_*.deb)
depends=$(dpkg-deb -f "$package" Depends)
python=
[ -f "$build/python/quellow/__init__.py" ] && python="python3 python3-numpy"
for d in fonts-liberation $python libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6charts6 libtbb12 libstdc++6 libc6; do
    grep -q "\(^\|, \)$d\( \|,\|$\)" <<<"$depends" || fail "Depends lacks $d: $depends"
done
[ "$(dpkg-deb -f "$package" Package)" = quellow ] || fail "package name"
[ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "package version"
contents=$(dpkg-deb -c "$package")
for f in ./usr/bin/quellow ./usr/bin/quellow-cli ./usr/bin/quellow-cli-chart \
         ./usr/share/applications/quellow.desktop ./usr/share/mime/packages/quellow-input.xml \
         ./usr/share/icons/hicolor/scalable/apps/quellow.svg \
         ./usr/share/quellow/examples/Example-analysis.inp ./usr/share/doc/quellow/copyright \
         ./usr/share/man/man1/quellow.1.gz ./usr/share/man/man1/quellow-cli.1.gz; do
    grep -q " $f\$" <<<"$contents" || fail "$f not in the package"
done
if [ -n "$python" ]; then
    grep -q " ./usr/lib/python3/dist-packages/quellow/__init__.py$" <<<"$contents" ||
        fail "the Python module is not in the package"
    grep -q " ./usr/lib/python3/dist-packages/quellow/_quellow.*\.so$" <<<"$contents" ||
        fail "the compiled module is not in the package"
fi
echo "installed tree and package checked"
