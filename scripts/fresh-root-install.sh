#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 root (debootstrap, minimal variant) the way
# a user would, with apt-get bringing its dependencies, and checks that the installed programs
# run there: an example analysis, a chart and the window's start-up. Needs root and the network;
# not part of the test script (it downloads about 200 MB).
# Usage: scripts/fresh-root-install.sh [PACKAGE.deb]   (default: builds it with package.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-}
if [ -z "$deb" ]; then
    scripts/package.sh
    deb=$(ls build-release/quellow_*.deb | head -1)
fi
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }
root=$(mktemp -d /var/tmp/quellow-root.XXXXXX)
cleanup() {
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/quellow.deb"
mount --bind /proc "$root/proc"
chroot "$root" /bin/bash -euo pipefail -c '
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/quellow.deb >/dev/null
    cd /tmp
    cp /usr/share/quellow/examples/Example-analysis.inp .
    quellow-cli run Example-analysis.inp 2>/dev/null
    quellow-cli chart Example-analysis.out --kind 1 -o chart.png
    [ "$(od -An -tu1 -j16 -N8 chart.png | tr -s " ")" = " 0 0 2 111 0 0 1 209" ]
    # The window starts with the file and keeps running until it is stopped.
    status=0
    QT_QPA_PLATFORM=offscreen timeout 3 quellow Example-analysis.inp >/dev/null 2>&1 || status=$?
    [ "$status" = 124 ]
    quellow --version
    python3 -c "import quellow; print(quellow.analyse(quellow.read_input(\"Example-analysis.inp\"))[\"RSquare\"])"
'
echo "PASS: installed and ran in a fresh Debian 12 root"
