#!/usr/bin/env bash
# Installs the Debian packages Quellow needs to build, test and run. Skips apt-get when all
# of them are present already. Run as root (or with sudo available).
set -euo pipefail

# qt6-charts-dev does not bring the OpenGL development files its CMake package looks for.
packages=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev
          libgtest-dev libgmock-dev libbenchmark-dev libhowardhinnant-date-dev libtbb-dev fonts-liberation xvfb xauth xdotool xclip
          openbox imagemagick x11-utils clang libclang-rt-14-dev clang-format dpkg-dev file man-db
          munge slurmctld slurmd slurm-client pybind11-dev python3-dev python3-numpy python3-pytest)
# pybind11 and the Python headers build the Python module quellow (python/), numpy and pytest
# test it.
# The Slurm packages are for the test that starts a one-node cluster of its own (its own key,
# socket, ports and state in a temporary folder). Installing them starts no Slurm daemon: their
# start scripts stop without /etc/slurm/slurm.conf, which no package writes. Where services start
# on installation, munge's starts the system's munged on its own socket, which the test leaves
# alone.

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
