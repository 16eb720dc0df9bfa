#!/bin/sh
# Runs a test program in a private network and mount namespace (no root needed) that holds the
# networks a native ping meets: 10.9.9.0/24 unreachable (refused at once), 10.9.8.0/24 a blackhole
# (the connection fails at once for another reason), 10.9.7.0/24 silent (a TUN device that nobody
# reads), and a name service that cannot be reached (127.0.0.53, where nothing listens). Names
# come from netns/hosts, the rest goes to that name service; nothing can leave the namespace.
# Exits 77 (skipped), saying why, where such a namespace cannot be made.
here=$(dirname "$0")/netns
setup='
    set -e
    ip link set lo up
    ip route add unreachable 10.9.9.0/24
    ip route add blackhole 10.9.8.0/24
    ip tuntap add dev tun0 mode tun
    ip link set tun0 up
    ip route add 10.9.7.0/24 dev tun0
    for file in hosts nsswitch.conf resolv.conf; do mount --bind "$0/$file" "/etc/$file"; done
    VIRELO_NETNS=1 exec "$@"'
if ! unshare -rmn sh -c "$setup" "$here" true 2>/dev/null; then
    echo "[  SKIPPED ] this machine does not allow a private network and mount namespace with" \
         "a TUN device and its own hosts file"
    exit 77
fi
exec unshare -rmn sh -c "$setup" "$here" "$@"
