#!/bin/sh
# Runs a test program in a private mount namespace (no root needed) in which the ODBC driver
# manager's library is an empty file, as on a workstation where it is damaged. Exits 77 (skipped),
# saying why, where the library is not installed or mount namespaces are not allowed.
PATH="$PATH:/sbin:/usr/sbin"
library=$(ldconfig -p | awk '$1 == "libodbc.so.2" { print $NF; exit }')
if [ -z "$library" ] || ! unshare -rm true 2>/dev/null; then
    echo "[  SKIPPED ] needs libodbc.so.2 and private mount namespaces (unshare -rm)"
    exit 77
fi
exec unshare -rm sh -c 'mount --bind /dev/null "$0" && VIRELO_NO_DRIVER_MANAGER=1 exec "$@"' \
    "$(readlink -f "$library")" "$@"
