#!/usr/bin/env bash
# Installs what is missing, builds and starts Orvane.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build -DBUILD_TESTING=OFF -DORVANE_BENCH=OFF
exec ./build/orvane "$@"
