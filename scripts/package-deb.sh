#!/usr/bin/env bash
# Builds the Debian package of kelvixd: dist/kelvixd_<version>_amd64.deb with kelvixd,
# its systemd unit, the example configuration, the drive database, the man page and the
# Linux tempquery.
#   bash scripts/package-deb.sh [BUILD_DIR]     (default build/native, configured if new)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build/native}
version=$(sed -n 's/^project(kelvix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package-deb: no version in CMakeLists.txt" >&2; exit 1; }

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "${KV_JOBS:-2}" --target kelvixd tempquery

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
pkg=$stage/kelvixd
install -d "$pkg/DEBIAN" "$pkg/usr/sbin" "$pkg/usr/bin" "$pkg/lib/systemd/system" "$pkg/etc/kelvix" \
    "$pkg/usr/share/kelvix" "$pkg/usr/share/man/man8" "$pkg/usr/share/doc/kelvixd" "$pkg/var/lib/kelvix"
install -m 0755 -s "$build/kelvixd/kelvixd" "$pkg/usr/sbin/kelvixd"
install -m 0755 -s "$build/query/tempquery" "$pkg/usr/bin/tempquery"
install -m 0644 packaging/linux/kelvixd.service "$pkg/lib/systemd/system/kelvixd.service"
install -m 0644 packaging/linux/kelvixd.conf "$pkg/etc/kelvix/kelvixd.conf"
install -m 0644 monitor/HDDATA.CFG "$pkg/usr/share/kelvix/HDDATA.CFG"
gzip -9n < packaging/linux/kelvixd.8 > "$pkg/usr/share/man/man8/kelvixd.8.gz"
install -m 0644 LICENSE "$pkg/usr/share/doc/kelvixd/copyright"

installed_size=$(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
cat > "$pkg/DEBIAN/control" <<CONTROL
Package: kelvixd
Version: $version
Architecture: amd64
Maintainer: KELVIX developers <kelvix@localhost>
Installed-Size: $installed_size
Depends: libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1, libssl3 (>= 3.0.0)
Recommends: systemd
Section: admin
Priority: optional
Description: drive temperature service for PELITO and tempquery
 kelvixd reads the temperatures of the SATA and NVMe drives of a Linux machine
 through the kernel's pass-through interfaces, keeps worst values and an optional
 log, and answers KELVIX's UDP query protocol, so that the PELITO tray client
 and tempquery (included) watch Linux machines as they watch Windows PCs.
CONTROL
echo /etc/kelvix/kelvixd.conf > "$pkg/DEBIAN/conffiles"
cat > "$pkg/DEBIAN/postinst" <<'SCRIPT'
#!/bin/sh
set -e
if [ "$1" = configure ] && [ -d /run/systemd/system ]; then
    systemctl daemon-reload || true
    systemctl enable kelvixd.service || true
    systemctl restart kelvixd.service || true
fi
SCRIPT
cat > "$pkg/DEBIAN/prerm" <<'SCRIPT'
#!/bin/sh
set -e
if [ "$1" = remove ] && [ -d /run/systemd/system ]; then
    systemctl disable --now kelvixd.service || true
fi
SCRIPT
cat > "$pkg/DEBIAN/postrm" <<'SCRIPT'
#!/bin/sh
set -e
if [ "$1" = purge ]; then
    rm -rf /var/lib/kelvix
fi
if [ -d /run/systemd/system ]; then
    systemctl daemon-reload || true
fi
SCRIPT
chmod 0755 "$pkg/DEBIAN/postinst" "$pkg/DEBIAN/prerm" "$pkg/DEBIAN/postrm"

mkdir -p dist
out=dist/kelvixd_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$out" >/dev/null
echo "$root/$out"
