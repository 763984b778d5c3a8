#!/usr/bin/env bash
# Installs the Debian packages Quellow needs to build, test and run. Skips apt-get when all
# of them are present already. Run as root (or with sudo available).
set -euo pipefail

# qt6-charts-dev does not bring the OpenGL development files its CMake package looks for.
packages=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev
          libgtest-dev libgmock-dev libbenchmark-dev libhowardhinnant-date-dev libtbb-dev fonts-liberation xvfb xauth xdotool xclip
          openbox imagemagick x11-utils clang libclang-rt-14-dev clang-format dpkg-dev file man-db)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "All packages present."
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
