#!/usr/bin/env bash
# Runs each fuzz target SECONDS (default 60); a finding is kept in build-fuzz/findings/.
# Usage: tests/fuzz/run.sh [seconds [target...]]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(su rd3 dt1 ascii picks segy dzt rd7)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_FUZZ=ON -DBUILD_TESTING=OFF -DORVANE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target orvane_fuzzers

# The targets write their files under TMPDIR, in memory where there is a /dev/shm.
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings=$PWD/build-fuzz/findings
mkdir -p "$findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
for t in "${targets[@]}"; do
  mkdir -p "$scratch/tmp"
  cp -r "tests/fuzz/corpus/$t" "$scratch/$t"
  echo "== fuzz_$t for ${seconds} s"
  log=$scratch/$t.log
  if ! TMPDIR=$scratch/tmp ./build-fuzz/tests/fuzz/fuzz_$t -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$t-" "$scratch/$t" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$t found a fault; the input is in $findings"
    exit 1
  fi
  grep -E '^Done [0-9]+ runs' "$log"
done
