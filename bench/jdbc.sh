#!/usr/bin/env bash
# JDBC ping wall time against H2 in memory beside a bare JVM connecting the same way (medians).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVIRELO_TESTS=OFF -DVIRELO_BENCH=ON >/dev/null
cmake --build build-bench --target jdbc_bench VireloJDBC -j"$(nproc)" >/dev/null
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
javac -d "$temp/classes" bench/MinimalConnect.java
export CLASSPATH="$PWD/build-bench/java/VireloJDBC.jar:$temp/classes:/usr/share/java/h2.jar"
TEMP="$temp" QT_QPA_PLATFORM=offscreen build-bench/bench/jdbc_bench 2>/dev/null
