#!/usr/bin/env bash
# Installs what is missing, builds Virelo and opens its window (under a virtual display when no
# display is there).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIRELO_TESTS=OFF >/dev/null
cmake --build build --target virelo VireloJDBC -j"$(nproc)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/src/virelo "$@"
fi
echo "No display found: running under Xvfb." >&2
exec xvfb-run -a -s "-screen 0 1024x768x24" build/src/virelo "$@"
