#!/usr/bin/env bash
# Builds the program and starts it.
#   scripts/run.sh            the whole path with the instrument simulator: an asphalt-variant
#                             press on a pseudo-terminal as COM1, its archive read into a saved
#                             file, the database summary, the file exported to .xls (in demo/)
#   scripts/run.sh ARGS...    runs `vlr ARGS...` in the current folder (e.g. `scripts/run.sh db`)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target vlr vlr-sim
vlr="$root/build/src/vlr"
if (($# > 0)); then exec "$vlr" "$@"; fi

mkdir -p "$root/demo"
cd "$root/demo"
coproc SIM { exec "$root/build/tools/vlr-sim" --kind vtra --records 12,4 --quiet; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT
read -r device <&"${SIM[0]}"
echo "Simulated instrument on $device (COM1)"
name="Демо $(date +%H%M%S)"
VLR_COM1=$device "$vlr" read --port COM1 --timeout 30 --save "$name"
"$vlr" db
"$vlr" export --file "$name" --out "$root/demo/demo.xls"
echo "Workbook: $root/demo/demo.xls"
