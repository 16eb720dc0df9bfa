#!/usr/bin/env bash
# A JDBC ping against H2 in memory through the window's own handler, beside a bare JVM that
# connects the same way (MinimalConnect), in one run, with the ratio of the two (aim: the ping at
# most 0.8x the bare JVM). The ping's start-up archive goes into a throw-away cache directory: the
# first ping makes it, as on a user's first ping; the others use it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVIRELO_TESTS=OFF -DVIRELO_BENCH=ON >/dev/null
cmake --build build-bench --target jdbc_bench VireloJDBC -j"$(nproc)" >/dev/null
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
javac -d "$temp/classes" bench/MinimalConnect.java
export XDG_CACHE_HOME="$temp/cache" TEMP="$temp" QT_QPA_PLATFORM=offscreen
# The user's CLASSPATH holds the driver only, as the README asks; the bare JVM gets its own.
CLASSPATH=/usr/share/java/h2.jar BARE_CLASSPATH="$temp/classes:/usr/share/java/h2.jar" \
    build-bench/bench/jdbc_bench 2>/dev/null
