#!/usr/bin/env bash
# Builds the Debian package of Virelo (build-package/virelo_<version>-1_<arch>.deb), checks it
# with lintian, and tries it out unpacked into a throw-away root: the installed virelo-check
# answers, the installed window starts (offscreen) and keeps running until it is closed, the
# JDBC ping finds the installed test class with only a driver jar on CLASSPATH, and the desktop
# entry is valid.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

build=build-package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DVIRELO_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/virelo_*.deb)
echo "Package: $deb"

# lintian's errors fail the check; its warnings are shown.
lintian --tag-display-limit 0 "$deb" | tee "$build/lintian.txt" || true
if grep -q '^E:' "$build/lintian.txt"; then
    echo "lintian found errors in $deb" >&2
    exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin="$root/usr/bin"
# The installed programs run with ODBC and registry files of their own, so that trying them out
# never reads or creates the user's (unixODBC creates ~/.odbc.ini when it finds none).
mkdir "$root/config"
: >"$root/config/odbcinst.ini"
: >"$root/config/odbc.ini"
: >"$root/config/user-odbc.ini"
export ODBCSYSINI="$root/config" ODBCINI="$root/config/user-odbc.ini" VIRELO_REGISTRY="" \
    VIRELO_SQLHOSTS="$root/config/sqlhosts" XDG_CONFIG_HOME="$root/config"

"$bin/virelo-check" --version
"$bin/virelo-check" service http

# The window starts and keeps running: still alive after three seconds, then closed.
set +e
QT_QPA_PLATFORM=offscreen TEMP="$root" timeout 3 "$bin/virelo" >"$root/window.log" 2>&1
status=$?
set -e
if [ "$status" -ne 124 ]; then
    echo "the installed window ended by itself (status $status):" >&2
    cat "$root/window.log" >&2
    exit 1
fi
echo "The installed window started and was closed."

# The JDBC ping with only the driver's jar on CLASSPATH: the installed test class is found.
if [ -f /usr/share/java/h2.jar ] && command -v java >/dev/null; then
    CLASSPATH=/usr/share/java/h2.jar TEMP="$root" "$bin/virelo-check" jdbc org.h2.Driver \
        jdbc:h2:mem:package --user sa -q
    echo "The installed JDBC test class connected to H2."
fi

desktop-file-validate "$root/usr/share/applications/virelo.desktop"
echo "Package checks passed."
