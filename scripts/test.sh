#!/usr/bin/env bash
# Builds everything and runs every test. Usage: scripts/test.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${1:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLR_WERROR=ON ${VLR_CMAKE_ARGS:-}
cmake --build "$build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
