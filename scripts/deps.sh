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
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
