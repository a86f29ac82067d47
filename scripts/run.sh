#!/usr/bin/env bash
# Builds the program and starts it.
#   scripts/run.sh               the desktop program `velaron` as a demonstration, in demo/: the
#                                instrument simulator (an asphalt-variant press with records in
#                                both archives) answers on a pseudo-terminal as COM1, so the
#                                instrument is found and F5 reads it; the simulator stops when
#                                the program ends
#   scripts/run.sh --real-ports  `velaron` in the current folder on the machine's own serial
#                                ports (USB adapters first; see README), without the simulator
#   scripts/run.sh --cli         the command-line demonstration in demo/: the simulator's archive
#                                read into saved files (one per archive), the database summary,
#                                and every saved file exported to demo/NAME.xls and NAME.xlsx
#   scripts/run.sh ARGS...       runs `vlr ARGS...` in the current folder (e.g. `scripts/run.sh db`)
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the first two say so and run the
# command-line demonstration instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

mode=desktop
case "${1:-}" in
    "") ;;
    --real-ports) mode=real-ports ;;
    --cli) mode=cli ;;
    *) mode=vlr ;;
esac
if [[ $mode == desktop || $mode == real-ports ]] && [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set): the desktop program" \
        "cannot be shown, running the command-line demonstration instead."
    mode=cli
fi

targets=(vlr vlr-sim)
[[ $mode == desktop || $mode == real-ports ]] && targets+=(velaron)
cmake --build "$root/build" --target "${targets[@]}"
vlr="$root/build/src/vlr"
velaron="$root/build/src/velaron"
if [[ $mode == vlr ]]; then exec "$vlr" "$@"; fi
if [[ $mode == real-ports ]]; then exec "$velaron"; fi

mkdir -p "$root/demo"
cd "$root/demo"
coproc SIM { exec "$root/build/tools/vlr-sim" --kind vtra --records 12,4 --quiet; }
trap 'kill "$SIM_PID" 2>/dev/null || true' EXIT
read -r device <&"${SIM[0]}"
echo "Simulated instrument on $device (COM1)"

if [[ $mode == desktop ]]; then
    # The program keeps its database in the folder it is started from: demo/.
    VLR_COM1=$device "$velaron"
    exit
fi

name="Демо $(date +%H%M%S)"
read_log=$(mktemp)
trap 'kill "$SIM_PID" 2>/dev/null || true; rm -f "$read_log"' EXIT
VLR_COM1=$device "$vlr" read --port COM1 --timeout 30 --save "$name" | tee "$read_log"
"$vlr" db
# Every file the read saved (the asphalt variant saves one per archive), in both formats.
sed -n 's/^Файл "\(.*\)" сохранён.*/\1/p' "$read_log" | while IFS= read -r saved; do
    for suffix in xls xlsx; do
        "$vlr" export --file "$saved" --out "$root/demo/$saved.$suffix"
        echo "Workbook: $root/demo/$saved.$suffix"
    done
done
