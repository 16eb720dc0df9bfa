#!/bin/sh
# Runs a test program in a private network namespace (no root needed) whose loopback ignores echo
# requests, whose ICMP datagram sockets are open to the mapped group, and where a route prohibits
# 10.9.9.0/24. Exits 77 (skipped), saying why, where namespaces are not allowed.
if ! unshare -rn true 2>/dev/null; then
    echo "[  SKIPPED ] this machine does not allow private network namespaces (unshare -rn)"
    exit 77
fi
exec unshare -rn sh -c '
    set -e
    ip link set lo up
    sysctl -qw net.ipv4.icmp_echo_ignore_all=1
    # Only the group mapped into the namespace can be allowed; a wider range is refused.
    echo "0 0" > /proc/sys/net/ipv4/ping_group_range
    [ "$(cat /proc/sys/net/ipv4/ping_group_range)" = "$(printf "0\t0")" ]
    ip route add prohibit 10.9.9.0/24
    VIRELO_NETNS=1 exec "$@"' sh "$@"
