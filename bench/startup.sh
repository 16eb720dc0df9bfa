#!/usr/bin/env bash
# Start-up time and peak memory of Virelo's main window against a bare Qt window with a tab
# control, each measured in 15 fresh processes on the offscreen platform; prints the medians.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVIRELO_TESTS=OFF -DVIRELO_BENCH=ON >/dev/null
cmake --build build-bench --target startup_bench -j"$(nproc)" >/dev/null
export QT_QPA_PLATFORM=offscreen
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
for kind in bare virelo; do
    for _ in $(seq 15); do
        TEMP="$temp" build-bench/bench/startup_bench "$kind" 2>/dev/null
    done | sort -k2 -n | awk -v kind="$kind" '{t[NR]=$2; m[NR]=$3} END {
        printf "%-7s median start-up %7.1f ms   peak RSS %6d KiB   (%d runs)\n", kind, t[int((NR+1)/2)], m[int((NR+1)/2)], NR }'
done
