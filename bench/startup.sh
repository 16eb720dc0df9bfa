#!/usr/bin/env bash
# Start-up time and peak memory of Virelo's main window against a bare Qt window with a tab
# control, each measured in 15 fresh processes on the offscreen platform; prints the medians and
# Virelo's ratios to the bare window (aims: at most 2x the time, at most 1.3x the memory).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVIRELO_TESTS=OFF -DVIRELO_BENCH=ON >/dev/null
cmake --build build-bench --target startup_bench -j"$(nproc)" >/dev/null
export QT_QPA_PLATFORM=offscreen
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
runs=15

# The median of one column (2: milliseconds, 3: KiB) of a kind's runs.
median() { cut -d' ' -f"$2" "$temp/$1.runs" | sort -n | sed -n "$(((runs + 1) / 2))p"; }

for kind in bare virelo; do
    for _ in $(seq "$runs"); do
        TEMP="$temp" build-bench/bench/startup_bench "$kind" 2>/dev/null
    done >"$temp/$kind.runs"
    printf "%-7s median start-up %7.1f ms   peak RSS %6d KiB   (%d runs)\n" \
        "$kind" "$(median "$kind" 2)" "$(median "$kind" 3)" "$runs"
done
awk -v t="$(median virelo 2)" -v bt="$(median bare 2)" \
    -v m="$(median virelo 3)" -v bm="$(median bare 3)" 'BEGIN {
    printf "ratio   start-up %.2fx (aim: at most 2x)   peak RSS %.2fx (aim: at most 1.3x)\n", t / bt, m / bm }'
