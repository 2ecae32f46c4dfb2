#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite (no display
# needed: whole-window tests use Qt's offscreen platform).
# Usage: scripts/test.sh [build-dir [cmake options...]]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
dir=${1:-build}
shift || true
bash scripts/build.sh "$dir" -DBUILD_TESTING=ON -DORVANE_BENCH=ON "$@"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
