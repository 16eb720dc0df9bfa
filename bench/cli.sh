#!/usr/bin/env bash
# virelo-check as a whole process beside getent and ping (medians; see cli_bench.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVIRELO_TESTS=OFF -DVIRELO_BENCH=ON >/dev/null
cmake --build build-bench --target cli_bench virelo-check -j"$(nproc)" >/dev/null
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
TEMP="$temp" build-bench/bench/cli_bench build-bench/src/virelo-check
