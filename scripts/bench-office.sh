#!/usr/bin/env bash
# tempquery over an office: fifty stand-in monitors on 127.0.0.2-51 (one port; ten of them
# silent), asked at once (the default) and one after the other (-P 1, as tempquery did
# before) in the same run. Prints each sweep's median time, the ratio and the bound the
# sweep must keep (one time-out and its retries plus a second).
#   bash scripts/bench-office.sh [BUILD_DIR] [ROUNDS]    (defaults build/native, 3)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/native}
rounds=${2:-3}
wait_s=0.5
tries=2
cmake --build "$build" --target tempquery >/dev/null
tempquery=$build/query/tempquery
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

# The stand-in: every host answers a fixed two-drive report, every fifth keeps silent.
python3 - "$work/port" <<'PY' &
import os, select, socket, sys
report = bytearray(1920)
for slot, model in ((0, b"BENCH SYSTEM"), (1, b"BENCH DATA")):
    record = slot * 120
    report[record:record + 3] = bytes((1, 35 + slot, 45))
    report[record + 8:record + 8 + len(model)] = model
sockets, port = [], 0
for i in range(50):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.%d" % (i + 2), port))
    port = s.getsockname()[1]
    sockets.append((s, i % 5 == 4))
with open(sys.argv[1] + ".part", "w") as f:
    f.write("%d\n" % port)
os.rename(sys.argv[1] + ".part", sys.argv[1])
while True:
    for s in select.select([s for s, silent in sockets if not silent], [], [])[0]:
        data, sender = s.recvfrom(64)
        if data == b"\x01":
            s.sendto(report, sender)
PY
pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
for i in $(seq 2 51); do echo "127.0.0.$i"; done >"$work/hosts"
grep -v -E '\.(6|11|16|21|26|31|36|41|46|51)$' "$work/hosts" >"$work/answering"

# sweep FILE ARGS...: seconds of one run, checked to have printed all forty answering hosts.
sweep() {
    local file=$1; shift
    local start end
    start=$(date +%s.%N)
    "$tempquery" -p "$port" -t "$wait_s" -r "$tries" "$@" -f "$file" >"$work/out" 2>/dev/null || true
    end=$(date +%s.%N)
    [ "$(grep -c '^#1 ' "$work/out")" = 40 ] || { echo "bench-office: not every answering host printed" >&2; exit 1; }
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for list in hosts answering; do
    : >"$work/at-once"; : >"$work/in-turn"
    for _ in $(seq "$rounds"); do
        sweep "$work/$list" >>"$work/at-once"
        sweep "$work/$list" -P 1 >>"$work/in-turn"
    done
    at_once=$(median <"$work/at-once")
    in_turn=$(median <"$work/in-turn")
    label=$([ "$list" = hosts ] && echo "50 hosts, 10 silent" || echo "40 hosts, all answering")
    printf '%-24s at once %6.2f s   one after the other %6.2f s   ratio %5.1f\n' \
        "$label" "$at_once" "$in_turn" "$(awk -v a="$at_once" -v b="$in_turn" 'BEGIN { print b / a }')"
done
printf 'bound for one sweep: %s x %s s + 1 s = %s s (median of %s rounds, -t %s -r %s)\n' \
    "$tries" "$wait_s" "$(awk -v r="$tries" -v t="$wait_s" 'BEGIN { print r * t + 1 }')" "$rounds" "$wait_s" "$tries"
