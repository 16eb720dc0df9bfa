#!/usr/bin/env bash
# ODBC ping of a SQLite data source through the window's handler beside `isql -b` running one
# statement on the same data source (medians; see odbc_bench.cpp). The data source lives in
# private ini files; the machine's own ODBC configuration is not read.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVIRELO_TESTS=OFF -DVIRELO_BENCH=ON >/dev/null
cmake --build build-bench --target odbc_bench -j"$(nproc)" >/dev/null
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
mkdir "$temp/logs"
cat >"$temp/odbc.ini" <<INI
[bench-lite]
Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
Database=$temp/bench.db
INI
: >"$temp/odbcinst.ini"
: >"$temp/user-odbc.ini"
echo "SELECT 1;" >"$temp/statement.sql"
ODBCSYSINI="$temp" ODBCINI="$temp/user-odbc.ini" TEMP="$temp/logs" QT_QPA_PLATFORM=offscreen \
    build-bench/bench/odbc_bench "$temp/statement.sql" 2>/dev/null
