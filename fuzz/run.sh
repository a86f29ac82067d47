#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan and UBSan and runs each for N seconds.
#   fuzz/run.sh [SECONDS] [TARGET...]      (default: 60 seconds, every target)
# Corpora are kept in build-fuzz/corpus/<target>; a finding stops the run with its crash file.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_frame_codec fuzz_exchange)

build=${VLR_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVLR_FUZZ=ON -DVLR_SANITIZE=ON -DVLR_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j2

export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus" "$build/findings"
    if [ "$target" = fuzz_exchange ] && [ ! -e "$corpus/seed-read" ]; then
        # Probe answered, a kind-5 instrument with one record per archive, a read of both.
        printf '\x01\x01\x05\x00\x00\x05\x00\x06\x04\x0c\x0c\x1f\x00\x00\x08\x01\x00\x00\x00\x01\x00\x00\x00\x03\x07\x1a%026d\x07\x1a%026d\x00' 0 0 \
            >"$corpus/seed-read"
    fi
    echo "== $target for ${seconds}s"
    "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" "$corpus"
done
