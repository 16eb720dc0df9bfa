#!/usr/bin/env bash
# TCP/IP tab timings against the system's own ping and getent (medians; see tcpip_bench.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVIRELO_TESTS=OFF -DVIRELO_BENCH=ON >/dev/null
cmake --build build-bench --target tcpip_bench -j"$(nproc)" >/dev/null
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
TEMP="$temp" QT_QPA_PLATFORM=offscreen build-bench/bench/tcpip_bench 2>/dev/null
