#!/usr/bin/env bash
# Installs from Debian's packages what building, running and testing Virelo needs (or, given
# package names, those), skipping the download when everything is there already.
set -euo pipefail

packages=(
    build-essential cmake qt6-base-dev libgtest-dev libgmock-dev
    openjdk-17-jdk-headless libh2-java libpostgresql-jdbc-java postgresql-15
    unixodbc-dev unixodbc odbcinst libsqliteodbc odbc-postgresql
    libnss-wrapper netbase iproute2 procps util-linux xauth xvfb
    unixodbc unixodbc-dev libsqliteodbc
    odbc-postgresql nlohmann-json3-dev fonts-dejavu-core fonts-dejavu-extra
    dpkg-dev lintian desktop-file-utils
    openssh-client openssh-server
)

if [ "$#" -gt 0 ]; then
    packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    # openssh-server is there for the tests, which start an sshd of their own on a loopback port;
    # the system's SSH service must not run because of it. Debian's maintainer scripts start the
    # service unless policy-rc.d forbids it, so it is forbidden for the length of the install.
    installs_sshd=false
    [[ " ${missing[*]} " == *" openssh-server "* ]] && installs_sshd=true
    own_policy=false
    if $installs_sshd && [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee /usr/sbin/policy-rc.d >/dev/null
        "${sudo_cmd[@]}" chmod 755 /usr/sbin/policy-rc.d
        own_policy=true
    fi
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    if $own_policy; then
        "${sudo_cmd[@]}" rm -f /usr/sbin/policy-rc.d
    fi
    if $installs_sshd; then
        # The package enables the service for the next boot (and systemd may have started it
        # regardless of policy-rc.d): disable and stop what this install brought in.
        if command -v systemctl >/dev/null; then
            "${sudo_cmd[@]}" systemctl disable --now ssh.service ssh.socket >/dev/null 2>&1 || true
        fi
        if [ -s /run/sshd.pid ] && "${sudo_cmd[@]}" kill -0 "$(cat /run/sshd.pid)" 2>/dev/null; then
            "${sudo_cmd[@]}" kill "$(cat /run/sshd.pid)"
        fi
    fi
fi
