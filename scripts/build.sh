#!/usr/bin/env bash
# Configures and builds Tarnwick in build/ (or $TARNWICK_BUILD_DIR). Targets named as
# arguments are built alone (scripts/run.sh builds only the program and the simulated
# board); without arguments everything is built, tests included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNWICK_BUILD_DIR:-$root/build}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
