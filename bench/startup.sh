#!/usr/bin/env bash
# Start-up time and peak memory of Virelo's main window against two anchors, each measured in 15
# fresh processes on the offscreen platform (the kinds taking turns, so that a busy machine
# weighs on all of them alike): a bare Qt window with a five-page tab control, and the same
# controls as the main window built from a Designer form compiled by uic (bench/VireloForm.ui).
# Prints the medians and Virelo's ratios to the form (aims: at most 1.1x the time and 1.1x the
# memory) and to the bare window.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVIRELO_TESTS=OFF -DVIRELO_BENCH=ON >/dev/null
cmake --build build-bench --target startup_bench -j"$(nproc)" >/dev/null
export QT_QPA_PLATFORM=offscreen
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
runs=${RUNS:-15}
kinds=(bare form virelo)

for _ in $(seq "$runs"); do
    for kind in "${kinds[@]}"; do
        TEMP="$temp" build-bench/bench/startup_bench "$kind" 2>/dev/null >>"$temp/$kind.runs"
    done
done

# The median of one column (2: milliseconds, 3: KiB) of a kind's runs.
median() { cut -d' ' -f"$2" "$temp/$1.runs" | sort -n | sed -n "$(((runs + 1) / 2))p"; }

for kind in "${kinds[@]}"; do
    printf "%-7s median start-up %7.1f ms   peak RSS %6d KiB   (%d runs)\n" \
        "$kind" "$(median "$kind" 2)" "$(median "$kind" 3)" "$runs"
done
ratios() {
    awk -v t="$(median virelo 2)" -v at="$(median "$1" 2)" \
        -v m="$(median virelo 3)" -v am="$(median "$1" 3)" -v anchor="$1" -v aims="$2" 'BEGIN {
        printf "virelo/%-5s start-up %.2fx   peak RSS %.2fx%s\n", anchor, t / at, m / am, aims }'
}
ratios form "   (aims: at most 1.1x and 1.1x)"
ratios bare ""
