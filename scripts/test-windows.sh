#!/usr/bin/env bash
# The Windows build, tried here: cross-builds virelo-check.exe, the Windows tests and the ZIP
# archive with Debian's mingw-w64 (in build-windows/), then runs the tests and virelo-check.exe
# under Wine, in a throw-away Wine prefix, inside private network, mount and host-name namespaces:
# only loopback exists, names come from tests/tcpip/hosts.test and never from a name server, and
# the host is called test-ws. A last part runs the tests of silent partners: a name server on
# loopback that never answers, echo requests ignored, a listener with a full queue. The ODBC
# tests reach the SQLite driver through Wine's odbc32, which passes the calls on to this
# machine's unixODBC.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build-windows
begin=$SECONDS
timed() { echo "== $1: $(($SECONDS - $2)) s"; }

# What the cross-build and Wine need, from Debian, installed when missing.
packages=(cmake make g++-mingw-w64-x86-64-posix wine wine64 googletest nlohmann-json3-dev
          openjdk-17-jdk-headless unixodbc libsqliteodbc iproute2 util-linux)
scripts/deps.sh "${packages[@]}"
timed "packages" "$begin"

step=$SECONDS
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVIRELO_WERROR=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v wine)" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G ZIP >/dev/null)
zip=$(ls "$build"/virelo-*-win64.zip)
contents=$(cmake -E tar tf "$zip")
for file in virelo-check.exe VireloJDBC.jar README.md LICENSE; do
    grep -q "/$file\$" <<<"$contents" || { echo "$zip lacks $file" >&2; exit 1; }
done
echo "Archive: $zip"
timed "cross-build" "$step"

# A private Wine prefix, home and ODBC configuration, removed at the end.
tmp=$(mktemp -d)
trap 'WINEPREFIX="$tmp/prefix" wineserver -k 2>/dev/null || true; rm -rf "$tmp"' EXIT
mkdir "$tmp/odbc"
: >"$tmp/odbc/odbcinst.ini"
: >"$tmp/odbc/user-odbc.ini"
cat >"$tmp/odbc/odbc.ini" <<INI
[VireloWine]
Description=SQLite database of the Windows tests
Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
Database=$tmp/wine.db
INI
export WINEPREFIX="$tmp/prefix" HOME="$tmp" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export ODBCSYSINI="$tmp/odbc" ODBCINI="$tmp/odbc/user-odbc.ini"
export VIRELO_SQLITE_DSN=VireloWine VIRELO_PRIVATE_WINE_PREFIX=1 VIRELO_TEST_HOSTS=1

# Everything below runs inside the namespaces; as another user than root, in a user namespace.
inside() {
    set -euo pipefail
    ip link set lo up
    mount --bind "$root/tests/tcpip/hosts.test" /etc/hosts
    mount --bind "$root/tests/windows/nsswitch.test" /etc/nsswitch.conf
    hostname test-ws

    local step=$SECONDS
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    timed "Wine prefix boot" "$step"

    step=$SECONDS
    ctest --test-dir "$build" --output-on-failure --timeout 300 -E Silent
    local log="$build/Testing/Temporary/LastTest.log"
    if grep -q "SKIPPED \]" "$log"; then
        echo "Why tests were skipped:"
        grep -h -A1 -E "^\[  SKIPPED \] [A-Za-z]" "$log" | grep -v -e "^--$" -e "SKIPPED \]" || true
    fi

    # virelo-check.exe diagnose of a server written into Wine's registry with reg add: nothing
    # listens on its port, so the walk ends at the listener, with exit code 13.
    local key='HKLM\SOFTWARE\Nembrion\SQLHOSTS\winetest'
    wine reg add "$key" /v HOST /t REG_SZ /d localhost /f >/dev/null
    wine reg add "$key" /v SERVICE /t REG_SZ /d 9 /f >/dev/null
    wine reg add "$key" /v PROTOCOL /t REG_SZ /d kasoctcp /f >/dev/null
    local status=0
    wine "$build/bin/virelo-check.exe" diagnose winetest || status=$?
    if [ "$status" -ne 13 ]; then
        echo "virelo-check.exe diagnose winetest ended with $status, not 13 (refused)" >&2
        return 1
    fi
    echo "virelo-check.exe diagnose winetest: refused at the listener, exit code 13, as expected"

    # Last, partners that stay silent: names come from a name server on 127.0.0.53 alone, which
    # the tests hold open and never answer (tests/tcpip/resolv.test), and loopback ignores echo
    # requests.
    mount --bind "$root/tests/tcpip/nsswitch.test" /etc/nsswitch.conf
    mount --bind "$root/tests/tcpip/resolv.test" /etc/resolv.conf
    sysctl -qw net.ipv4.icmp_echo_ignore_all=1
    VIRELO_SILENT_NETWORK=1 ctest --test-dir "$build" --output-on-failure --timeout 300 -R Silent
    timed "tests under Wine" "$step"
}
export -f inside timed
export root build
if [ "$(id -u)" -eq 0 ]; then
    unshare -mnu --propagation private bash -c inside
else
    unshare -rmnu --propagation private bash -c inside
fi

cat <<'TEXT'
Not run under Wine, and why:
  - the window (virelo.exe): Debian has no Qt 6 for mingw-w64, so it is not built here;
  - the JDBC ping: there is no Windows Java in the Wine prefix (the Linux one cannot run
    Windows programs' children), so java.exe cannot be started;
  - the password prompt without echo: the tests have no console for standard input;
  - the ICMPv6 echo: Wine does not implement Icmp6CreateFile (its error 120).
TEXT
timed "whole run" "$begin"
