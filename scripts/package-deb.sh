#!/usr/bin/env bash
# Builds the Debian package of kelvixd: dist/kelvixd_<version>_amd64.deb with kelvixd,
# its systemd unit, the example configuration, a logrotate rule, the drive database, the
# man pages and the Linux tempquery.
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
cmake --build "$build" -j "${KV_JOBS:-2}" --target kelvixd kelvixd-notify tempquery

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
pkg=$stage/kelvixd
doc=$pkg/usr/share/doc/kelvixd
install -d "$pkg/DEBIAN" "$pkg/usr/sbin" "$pkg/usr/bin" "$pkg/lib/systemd/system" "$pkg/etc/kelvix" \
    "$pkg/etc/logrotate.d" "$pkg/usr/share/kelvix" "$pkg/usr/share/man/man1" "$pkg/usr/share/man/man8" "$doc" \
    "$pkg/var/lib/kelvix" "$pkg/usr/libexec/kelvixd"
install -m 0755 "$build/kelvixd/kelvixd" "$pkg/usr/sbin/kelvixd"
# The web request helper, started by kelvixd per delivery: libcurl is its alone.
install -m 0755 "$build/kelvixd/kelvixd-notify" "$pkg/usr/libexec/kelvixd/kelvixd-notify"
install -m 0755 "$build/query/tempquery" "$pkg/usr/bin/tempquery"
# As dh_strip strips programs.
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$pkg/usr/sbin/kelvixd" \
    "$pkg/usr/libexec/kelvixd/kelvixd-notify" "$pkg/usr/bin/tempquery"
install -m 0644 packaging/linux/kelvixd.service "$pkg/lib/systemd/system/kelvixd.service"
install -m 0644 packaging/linux/kelvixd.conf "$pkg/etc/kelvix/kelvixd.conf"
install -m 0644 packaging/linux/kelvixd.logrotate "$pkg/etc/logrotate.d/kelvixd"
install -m 0644 monitor/HDDATA.CFG "$pkg/usr/share/kelvix/HDDATA.CFG"
# The guides the man page and kelvixd.conf point to.
for guide in notifications home-assistant; do
    gzip -9n < "docs/$guide.md" > "$doc/$guide.md.gz"
    chmod 0644 "$doc/$guide.md.gz"
done
gzip -9n < packaging/linux/kelvixd.8 > "$pkg/usr/share/man/man8/kelvixd.8.gz"
gzip -9n < packaging/linux/tempquery.1 > "$pkg/usr/share/man/man1/tempquery.1.gz"
chmod 0644 "$pkg/usr/share/man/man8/kelvixd.8.gz" "$pkg/usr/share/man/man1/tempquery.1.gz"
# The copyright file in Debian's machine-readable form, the licence text from LICENSE.
{
    echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
    echo "Upstream-Name: kelvix"
    echo
    echo "Files: *"
    echo "Copyright: 2026 KELVIX developers"
    echo "License: Expat"
    echo
    echo "License: Expat"
    sed -n '/^Permission is hereby granted/,$p' LICENSE | sed -e 's/^$/./' -e 's/^/ /'
} > "$doc/copyright"
date=$(date -R -u -d "@${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}")
printf 'kelvixd (%s) unstable; urgency=medium\n\n  * Built from the kelvix sources.\n\n -- %s  %s\n' \
    "$version" "KELVIX developers <kelvix@kelvix.example.org>" "$date" | gzip -9n > "$doc/changelog.gz"
chmod 0644 "$doc/copyright" "$doc/changelog.gz"

# The libraries the programs link, as dh_shlibdeps finds them; libssl is loaded by kelvixd
# only for MQTT over TLS, so it is recommended rather than found.
depends=$(cd "$stage" && mkdir -p debian && printf 'Source: kelvix\n\nPackage: kelvixd\nArchitecture: any\n' > debian/control \
    && dpkg-shlibdeps -O "$pkg/usr/sbin/kelvixd" "$pkg/usr/libexec/kelvixd/kelvixd-notify" "$pkg/usr/bin/tempquery" 2>/dev/null \
    | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "package-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
rm -rf "$stage/debian"
installed_size=$(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
cat > "$pkg/DEBIAN/control" <<CONTROL
Package: kelvixd
Version: $version
Architecture: amd64
Maintainer: KELVIX developers <kelvix@kelvix.example.org>
Installed-Size: $installed_size
Depends: $depends
Recommends: libssl3 (>= 3.0.0), systemd
Section: admin
Priority: optional
Description: drive temperature service for PELITO and tempquery
 kelvixd reads the temperatures of the SATA and NVMe drives of a Linux
 machine through the kernel's pass-through interfaces, keeps worst values
 and an optional log, and answers KELVIX's UDP query protocol, so that the
 PELITO tray client and tempquery (included) watch Linux machines as they
 watch Windows PCs.
CONTROL
printf '%s\n' /etc/kelvix/kelvixd.conf /etc/logrotate.d/kelvixd > "$pkg/DEBIAN/conffiles"

# The maintainer scripts are what dh_installsystemd writes: debhelper's own snippets for
# the unit (enable on install, restart on upgrade, stop on removal, forget on purge).
snippets=/usr/share/debhelper/autoscripts
[ -f "$snippets/postinst-systemd-enable" ] || { echo "package-deb: debhelper is not installed" >&2; exit 1; }
snippet() {
    sed -e "s/#UNITFILE#/'kelvixd.service'/g" -e "s/#UNITFILES#/'kelvixd.service'/g" \
        -e 's/#RESTART_ACTION#/restart/g' "$snippets/$1"
}
script() {
    local name=$1
    shift
    {
        printf '#!/bin/sh\nset -e\n'
        for part in "$@"; do
            if [ -f "$snippets/$part" ]; then
                printf '# Automatically added by dh_installsystemd\n'
                snippet "$part"
                printf '# End automatically added section\n'
            else
                printf '%s\n' "$part"
            fi
        done
    } > "$pkg/DEBIAN/$name"
    chmod 0755 "$pkg/DEBIAN/$name"
}
script postinst postinst-systemd-enable postinst-systemd-restart
script prerm prerm-systemd-restart
script postrm postrm-systemd-reload-only postrm-systemd \
    'if [ "$1" = purge ]; then
	rm -rf /var/lib/kelvix
fi'

(cd "$pkg" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z | xargs -0 md5sum) \
    > "$pkg/DEBIAN/md5sums"

mkdir -p dist
out=dist/kelvixd_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$out" >/dev/null
echo "$root/$out"
