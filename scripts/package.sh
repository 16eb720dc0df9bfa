#!/usr/bin/env bash
# Builds the Debian package of Virelo (build-package/virelo_<version>-1_<arch>.deb), checks it
# with lintian, and tries it out unpacked into a throw-away root: the installed virelo-check
# answers, the installed window starts (offscreen) and keeps running until it is closed, the
# JDBC ping finds the installed test class with only a driver jar on CLASSPATH, and the desktop
# entry is valid. The package is built hardened and checked by lintian, pedantically.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

build=build-package
# Built as Debian builds its packages: with the compiler and linker flags of dpkg-buildflags and
# every hardening feature (fortified functions, stack protector, read-only relocations, symbols
# bound at start-up) and no build type of CMake's own on top.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr -DVIRELO_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/virelo_*.deb)
echo "Package: $deb"

# lintian, pedantic and with its informational tags: every tag is shown; errors, missing
# hardening and sections a package does not need fail the check.
lintian --pedantic -I --tag-display-limit 0 "$deb" | tee "$build/lintian.txt" || true
if grep -E '^E:|: hardening-|: binary-has-unneeded-section' "$build/lintian.txt" >&2; then
    echo "lintian found the problems above in $deb" >&2
    exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
bin="$root/usr/bin"
# The installed programs run with ODBC and registry files and a cache of their own, so that trying
# them out never reads or creates the user's (unixODBC creates ~/.odbc.ini when it finds none).
mkdir "$root/config"
: >"$root/config/odbcinst.ini"
: >"$root/config/odbc.ini"
: >"$root/config/user-odbc.ini"
export ODBCSYSINI="$root/config" ODBCINI="$root/config/user-odbc.ini" VIRELO_REGISTRY="" \
    VIRELO_SQLHOSTS="$root/config/sqlhosts" XDG_CONFIG_HOME="$root/config" \
    XDG_CACHE_HOME="$root/cache"

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

# The JDBC ping with only the driver's jar on CLASSPATH: the installed test class is found, the
# first time making its start-up archive, the second time running from it.
if [ -f /usr/share/java/h2.jar ] && command -v java >/dev/null; then
    for _ in 1 2; do
        CLASSPATH=/usr/share/java/h2.jar TEMP="$root" "$bin/virelo-check" jdbc org.h2.Driver \
            jdbc:h2:mem:package --user sa -q
    done
    ls "$root"/cache/virelo/jdbc-*.jsa >/dev/null
    echo "The installed JDBC test class connected to H2, with its start-up archive."
fi

# The desktop entry is valid and draws not even a hint.
if ! hints=$(desktop-file-validate "$root/usr/share/applications/virelo.desktop" 2>&1) ||
    [ -n "$hints" ]; then
    echo "$hints" >&2
    exit 1
fi
echo "Package checks passed."
