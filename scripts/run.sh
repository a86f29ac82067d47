#!/usr/bin/env bash
# Builds the program and starts it: `scripts/run.sh [vlr arguments]` (default: vlr db).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target vlr vlr-sim
if (($# == 0)); then set -- db; fi
exec "$root/build/src/vlr" "$@"
