#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12 (run as root).
# Idempotent: when every package is already there it only checks and returns.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine64 xvfb x11-utils imagemagick
    locales fonts-ipafont-gothic fonts-ipafont-mincho
    procps psmisc iproute2 zip unzip python3
    jq nagios4-core prometheus netdata-plugins-python curl
    qemu-system-x86 busybox-static cpio smartmontools systemd
    libcurl4-openssl-dev libssl-dev openssl mosquitto mosquitto-clients python3-jinja2
    chromium python3-jsonschema
    lintian debhelper e2fsprogs logrotate
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "setup: missing packages (${missing[*]}); run this script as root" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    if [ "$(id -u)" != 0 ]; then
        echo "setup: locale ja_JP.UTF-8 missing; run this script as root" >&2
        exit 1
    fi
    sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    locale-gen >/dev/null
fi
echo "setup: all packages present"
