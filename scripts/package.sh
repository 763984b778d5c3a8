#!/usr/bin/env bash
# Builds the Debian package of Quellow into build-release/ (quellow_VERSION_amd64.deb):
# installs what is missing, builds without the benchmarks, and runs CPack. Install the result
# with apt-get install ./build-release/quellow_*.deb, which brings its dependencies.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DQUELLOW_BENCH=OFF
(cd build-release && cpack -G DEB)
ls build-release/quellow_*.deb
