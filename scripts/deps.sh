#!/usr/bin/env bash
# Installs the Debian packages Orvane needs to build, run and test, skipping
# those already there. Usage: scripts/deps.sh
set -euo pipefail
pkgs=(cmake ninja-build g++ qt6-base-dev libgtest-dev libbenchmark-dev fonts-dejavu-core)
# desktop-file-validate, which the desktop entry's test runs.
pkgs+=(desktop-file-utils)
# The Debian package's test: dpkg-shlibdeps for its dependencies, lintian
# to check it.
pkgs+=(dpkg-dev lintian)
# CI's fuzzing only: clang with its libFuzzer runtime (a recommended package).
pkgs+=(clang)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
