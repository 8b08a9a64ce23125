#!/usr/bin/env bash
# The Debian package of kelvixd: built by scripts/package-deb.sh from this build tree,
# lintian without a tag, its files where Debian expects them, its unit accepted by
# systemd-analyze, its logrotate rule by logrotate, and its kelvixd and tempquery, unpacked
# into a private root, talking to each other.
#   kelvixd_deb.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok   - $1"; }
fail() { failed=$((failed + 1)); echo "FAIL - $1"; [ $# -gt 1 ] && printf '       %s\n' "${@:2}"; }
work=$build/deb_test
rm -rf "$work"
mkdir -p "$work/root" "$work/state"
pid=""
receiver=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$receiver" ] && kill "$receiver" 2>/dev/null' EXIT

deb=$(bash "$root/scripts/package-deb.sh" "$build" | tail -n 1)
if [ -f "$deb" ]; then pass "package built: $(basename "$deb")"; else fail "package built"; exit 1; fi
# Every tag lintian finds is a failure, but the two the README explains.
tags=$(lintian --fail-on error,warning,info,pedantic --display-info --pedantic \
    --suppress-tags hardening-no-fortify-functions,package-supports-alternative-init-but-no-init.d-script "$deb" 2>&1 |
    grep -v 'running with root privileges')
if [ -z "$tags" ]; then pass "lintian finds nothing"; else fail "lintian finds nothing" "$tags"; fi
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/sbin/kelvixd ./usr/libexec/kelvixd/kelvixd-notify ./usr/bin/tempquery ./lib/systemd/system/kelvixd.service ./etc/kelvix/kelvixd.conf \
    ./usr/share/kelvix/HDDATA.CFG ./usr/share/man/man8/kelvixd.8.gz ./usr/share/man/man1/tempquery.1.gz \
    ./etc/logrotate.d/kelvixd ./usr/share/doc/kelvixd/copyright ./var/lib/kelvix/; do
    if grep -qxF "$file" <<<"$listing"; then pass "ships $file"; else fail "ships $file"; fi
done
# Every document the man page and the shipped configuration point to is in the package.
pointed=$(grep -ohE '/usr/share/doc/kelvixd/[A-Za-z0-9._-]*[A-Za-z0-9]' "$root/packaging/linux/kelvixd.8" \
    "$root/packaging/linux/kelvixd.conf" | sort -u)
if [ -z "$pointed" ]; then fail "the man page points to its guides"; fi
for file in $pointed; do
    if grep -qxF ".$file" <<<"$listing"; then pass "ships $file"; else fail "ships $file (pointed to)"; fi
done
if [ "$(dpkg-deb -f "$deb" Package Architecture | tr '\n' ' ')" = "Package: kelvixd Architecture: amd64 " ]; then
    pass "control names kelvixd for amd64"
else
    fail "control names kelvixd for amd64" "$(dpkg-deb -f "$deb")"
fi
# libcurl is the request helper's (found in it); libssl, loaded for MQTT over TLS, recommended.
if dpkg-deb -f "$deb" Depends | grep -q 'libcurl4' && dpkg-deb -f "$deb" Recommends | grep -q 'libssl3'; then
    pass "depends on libcurl4, recommends libssl3"
else
    fail "depends on libcurl4, recommends libssl3" "$(dpkg-deb -f "$deb" Depends Recommends)"
fi
if [ "$(dpkg-deb -I "$deb" conffiles)" = "$(printf '/etc/kelvix/kelvixd.conf\n/etc/logrotate.d/kelvixd')" ]; then
    pass "the configuration and the logrotate rule are conffiles"
else
    fail "the configuration and the logrotate rule are conffiles" "$(dpkg-deb -I "$deb" conffiles)"
fi
# The maintainer scripts go through Debian's helpers, never systemctl enable/start/stop.
scripts=$(for s in postinst prerm postrm; do dpkg-deb -I "$deb" "$s"; done)
if grep -q "deb-systemd-helper enable 'kelvixd.service'" <<<"$scripts" &&
    grep -q "deb-systemd-invoke \$_dh_action 'kelvixd.service'" <<<"$scripts" &&
    ! grep -E 'systemctl +(enable|disable|start|stop|restart)' <<<"$scripts"; then
    pass "maintainer scripts use deb-systemd-helper and deb-systemd-invoke"
else
    fail "maintainer scripts use deb-systemd-helper and deb-systemd-invoke" "$scripts"
fi

dpkg-deb -x "$deb" "$work/root"
# The rule as logrotate reads it (a dry run that touches nothing).
if out=$(logrotate --debug --state "$work/logrotate.state" "$work/root/etc/logrotate.d/kelvixd" 2>&1) &&
    ! grep -qi error <<<"$out"; then
    pass "logrotate accepts the rule"
else
    fail "logrotate accepts the rule" "$out"
fi
# The unit as shipped, its program looked up where it was unpacked.
sed "s|/usr/sbin/kelvixd|$work/root/usr/sbin/kelvixd|" "$work/root/lib/systemd/system/kelvixd.service" \
    > "$work/kelvixd.service"
if out=$(systemd-analyze verify --man=no "$work/kelvixd.service" 2>&1); then
    pass "systemd-analyze verify accepts the unit"
else
    fail "systemd-analyze verify accepts the unit" "$out"
fi
for key in "CapabilityBoundingSet=CAP_SYS_RAWIO CAP_SYS_ADMIN" "StateDirectory=kelvix" "Type=notify" \
    'ExecReload=/bin/kill -HUP $MAINPID' "RestartPreventExitStatus=78" "After=network-online.target"; do
    if grep -qxF "$key" "$work/kelvixd.service"; then pass "unit: $key"; else fail "unit: $key"; fi
done

# The shipped configuration, on a free port, the state in a private folder.
port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
sed -e "s|^Port=.*|Port=$port|" -e "s|^CfgFile=.*|CfgFile=$work/root/usr/share/kelvix/HDDATA.CFG|" \
    -e "s|^StateDirectory=.*|StateDirectory=$work/state|" "$work/root/etc/kelvix/kelvixd.conf" > "$work/kelvixd.conf"
"$work/root/usr/sbin/kelvixd" -c "$work/kelvixd.conf" 2>"$work/kelvixd.log" &
pid=$!
end=$((SECONDS + 10))
until grep -q "serving on UDP port $port" "$work/kelvixd.log" || [ $SECONDS -ge $end ]; do sleep 0.1; done
# tempquery waits for ever without an answer: only an answer ends it with 0 in time.
KELVIX_QUERY_PORT=$port timeout 10 "$work/root/usr/bin/tempquery" 127.0.0.1 >"$work/tempquery.out"
rc=$?
if [ "$rc" = 0 ]; then pass "the package's tempquery gets its kelvixd's report"; else fail "tempquery answered" "exit $rc"; fi
kill -TERM "$pid"
wait "$pid"
rc=$?
pid=""
if [ "$rc" = 0 ] && grep -qx "<6>stopped" "$work/kelvixd.log"; then
    pass "kelvixd stops cleanly on SIGTERM"
else
    fail "kelvixd stops cleanly on SIGTERM" "exit $rc" "$(cat "$work/kelvixd.log")"
fi

# The package on a root holding only what it declares (and what that declares in turn):
# a library it links but does not declare is missing there, and the program using it
# does not start.
small=$work/declared
if taken=$(bash "$root/tests/vm/declared_root.sh" "$deb" "$small" 2>&1); then
    pass "a root of the declared packages: $(tr '\n' ' ' <<<"$taken" | wc -w) packages"
else
    fail "a root of the declared packages" "$taken"
fi
# A user namespace makes the change of root work without root rights.
inside() { timeout 10 unshare -r --root="$small" "$@"; }
if [ "$(inside /usr/sbin/kelvixd --version 2>&1)" = "kelvixd $(dpkg-deb -f "$deb" Version)" ]; then
    pass "kelvixd --version in the declared root"
else
    fail "kelvixd --version in the declared root" "$(inside /usr/sbin/kelvixd --version 2>&1)"
fi
# The test event through the request helper (libcurl's user) to a receiver on loopback.
python3 -u "$root/tests/e2e/notify_receiver.py" "$work/received.jsonl" >"$work/receiver.port" 2>/dev/null &
receiver=$!
end=$((SECONDS + 10))
until [ -s "$work/receiver.port" ] || [ $SECONDS -ge $end ]; do sleep 0.1; done
printf '[Notify]\nUrl=http://127.0.0.1:%s/deb\n' "$(head -n 1 "$work/receiver.port")" > "$small/etc/kelvix/notify.conf"
out=$(inside /usr/sbin/kelvixd -c /etc/kelvix/notify.conf --test-notify 2>&1)
kill "$receiver"
receiver=""
if grep -q '"path": "/deb"' "$work/received.jsonl" 2>/dev/null; then
    pass "the request helper delivers the test event from the declared root"
else
    fail "the request helper delivers the test event from the declared root" "$out"
fi
# A short run over a simulated drive (the package's kelvixd built with the simulated drive
# source), asked once on loopback by the package's tempquery, both in the declared root.
cmake --build "$build" -j "${KV_JOBS:-2}" --target kelvixd_sim >/dev/null
install -m 0755 "$build/kelvixd/kelvixd_sim" "$small/usr/sbin/kelvixd_sim"
printf 'drive 0\nmodel ST380011A\nserial 5JV3DEB0\ntemperature 194 37\n' > "$small/etc/kelvix/drives.txt"
port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$small/var/lib/kelvix"
sed -e "s|^Port=.*|Port=$port|" "$small/etc/kelvix/kelvixd.conf" > "$small/etc/kelvix/test.conf"
KELVIXD_DRIVESET=/etc/kelvix/drives.txt unshare -r --root="$small" /usr/sbin/kelvixd_sim -c /etc/kelvix/test.conf \
    2>"$work/declared.log" &
pid=$!
end=$((SECONDS + 10))
until grep -qs "serving on UDP port $port" "$work/declared.log" || [ $SECONDS -ge $end ]; do sleep 0.1; done
answer=$(KELVIX_QUERY_PORT=$port inside /usr/bin/tempquery 127.0.0.1 2>&1)
if grep -q '^#0  37/37 : ST380011A ' <<<"$answer"; then
    pass "tempquery gets the simulated drive from kelvixd in the declared root"
else
    fail "tempquery gets the simulated drive from kelvixd in the declared root" "$answer" "$(cat "$work/declared.log")"
fi
kill -TERM "$pid"
wait "$pid"
pid=""

echo "kelvixd_deb: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
