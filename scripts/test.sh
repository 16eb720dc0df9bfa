#!/usr/bin/env bash
# Installs what is missing, builds Virelo with warnings as errors and runs the whole test suite.
# With --sanitize the suite runs a second time, built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DVIRELO_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 300
    # ctest names skipped tests but not why they were skipped: their own output says it.
    local log="$dir/Testing/Temporary/LastTest.log"
    if grep -q "SKIPPED \]" "$log"; then
        echo "Why tests were skipped:"
        grep -h -A1 -E ": Skipped$|^\[  SKIPPED \] [a-z]" "$log" | grep -v -e "^--$" -e ": Skipped$" || true
    fi
}

run_suite build-test
if [ "${1:-}" = "--sanitize" ]; then
    run_suite build-sanitize -DVIRELO_SANITIZE=ON
fi
