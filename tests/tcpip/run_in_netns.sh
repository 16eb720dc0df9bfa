#!/bin/sh
# Runs a test program in a private network and mount namespace (no root needed) whose loopback
# ignores IPv4 echo requests, carries the IPv6 address fd00::5 of its own, and whose ICMP
# datagram sockets are open to the mapped group; a route prohibits 10.9.9.0/24; and whose name
# service is a name server on 127.0.0.53 that the test itself holds silent (nsswitch.test,
# resolv.test). Exits 77 (skipped), saying why, where namespaces are not allowed.
if ! unshare -rmn true 2>/dev/null; then
    echo "[  SKIPPED ] this machine does not allow private namespaces (unshare -rmn)"
    exit 77
fi
exec unshare -rmn sh -c '
    set -e
    here=$1
    shift
    ip link set lo up
    ip -6 addr add fd00::5/128 dev lo nodad
    sysctl -qw net.ipv4.icmp_echo_ignore_all=1
    # Only the group mapped into the namespace can be allowed; a wider range is refused.
    echo "0 0" > /proc/sys/net/ipv4/ping_group_range
    [ "$(cat /proc/sys/net/ipv4/ping_group_range)" = "$(printf "0\t0")" ]
    ip route add prohibit 10.9.9.0/24
    mount --bind "$here/nsswitch.test" /etc/nsswitch.conf
    mount --bind "$here/resolv.test" /etc/resolv.conf
    VIRELO_NETNS=1 exec "$@"' sh "$(dirname "$0")" "$@"
