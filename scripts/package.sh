#!/usr/bin/env bash
# Installs what is missing, builds the programs and makes the Debian package
# build/orvane_<version>_<architecture>.deb. Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build -DBUILD_TESTING=OFF -DORVANE_BENCH=OFF
(cd build && cpack -G DEB)
