#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tolvane needs.
# Run as root on Debian 12; safe to run again.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev libcurl4-openssl-dev libpcre2-dev libcpp-httplib-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    python3 python3-xlrd libfreexl-dev
    xvfb xauth fonts-wqy-microhei
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
