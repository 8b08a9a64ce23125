#!/usr/bin/env bash
# tempquery against the real kelvixd (its simulated-drive build) on loopback: the verdict
# request is answered, so --summary, --json and --check (over two names of the one host)
# name the drive the server judges hot by its own limit and the one it judges failing.
#
#   tempquery_kelvixd.sh TEMPQUERY KELVIXD_SIM
set -euo pipefail

tempquery=$(realpath "$1")
kelvixd=$(realpath "$2")
work=$(mktemp -d /tmp/kelvix-tqd.XXXXXX)
pid=
finish() {
    set +e
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
fail() { echo "tempquery_kelvixd: $*" >&2; cat "$work/log" >&2 2>/dev/null; exit 1; }

cat >"$work/office.driveset" <<'SET'
drive 0
model KVX WARM DISK
attribute 194 0x0022 100 100 2D
temperature 194 45
drive 1
nvme
model KVX FAILING NVME
temperature-limits 318 358
temperature 50
health critical-warning 4
SET
echo "KVX = 194" >"$work/HDDATA.CFG"
port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '[Timer]\nCurrent=1\n[Network]\nPort=%s\n[Common]\nCfgFile=%s\n[Daemon]\nStateDirectory=%s\n' \
    "$port" "$work/HDDATA.CFG" "$work" >"$work/kelvixd.conf"
KELVIXD_DRIVESET=$work/office.driveset "$kelvixd" -c "$work/kelvixd.conf" 2>"$work/log" &
pid=$!
for _ in $(seq 100); do grep -q "serving on UDP port" "$work/log" && break; sleep 0.1; done
grep -q "serving on UDP port" "$work/log" || fail "kelvixd did not start"

run() { "$tempquery" -p "$port" -t 0.5 -r 2 "$@" 2>/dev/null; }
summary=$(run --summary 127.0.0.1 || true)
expected="127.0.0.1 drive 0 (KVX WARM DISK): 45 C, above 40
127.0.0.1 drive 1 (KVX FAILING NVME): health bad: critical warning 0x04"
[ "$summary" = "$expected" ] || fail "summary:
$summary
expected:
$expected"
json=$(run --json 127.0.0.1 || true)
drives=$(jq -r '.state, (.drives[] | "\(.drive) \(.temperature_state) \(.warning_temperature) \(.health) \(.health_reason)")' <<<"$json")
[ "$drives" = "answered
0 hot 40 good null
1 normal 70 bad critical warning 0x04" ] || fail "json: $json"
check=$(run --check 127.0.0.1 localhost || true)
[ "${check%%|*}" = "KELVIX CRITICAL - 4 drives need attention: 127.0.0.1 drive 1 (KVX FAILING NVME) health bad: critical warning 0x04, localhost drive 1 (KVX FAILING NVME) health bad: critical warning 0x04, 127.0.0.1 drive 0 (KVX WARM DISK) at 45 C and 1 more (--summary lists all), 4 drives on 2 hosts" ] \
    || fail "check: $check"
# Its long output: each of the four drives on a line of its own.
[ "$(printf '%s\n' "$check" | tail -n +2 | grep -c ': ')" = 4 ] || fail "check's long output: $check"
echo "tempquery_kelvixd: summary, JSON and check agree with kelvixd's verdicts"
