#!/usr/bin/env bash
# kelvixd's figures: the resident memory of kelvixd_sim serving 16 simulated drives (8 ATA,
# 8 NVMe) after 20,000 report queries and many measurement cycles (limit 3 MB), then the
# cycle's CPU time and the report server's rate against yardsticks (bench_kelvixd).
#   bash scripts/bench-kelvixd.sh [BUILD_DIR]    (default build/native)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/native}
cmake --build "$build" --target kelvixd kelvixd_sim bench_kelvixd bench_query_rate >/dev/null
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
{
    for i in $(seq 0 15); do
        if [ $((i % 2)) = 0 ]; then
            printf 'drive %s\nmodel KVX BENCH %s\nserial KVX%08d\ntemperature 194 %s\n' "$i" "$i" "$i" $((30 + i))
        else
            printf 'drive %s\nnvme\nmodel KVX NVME %s\nserial NV%08d\ntemperature %sK\n' "$i" "$i" "$i" $((303 + i))
        fi
    done
} > "$work/sixteen.driveset"
echo "KVX = 194" > "$work/HDDATA.CFG"
port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '[Timer]\nCurrent=1\n[Network]\nPort=%s\nReportsPerSecond=0\n[Common]\nCfgFile=%s\n[Daemon]\nStateDirectory=%s\n' \
    "$port" "$work/HDDATA.CFG" "$work" > "$work/kelvixd.conf"
KELVIXD_DRIVESET=$work/sixteen.driveset "$build/kelvixd/kelvixd_sim" -c "$work/kelvixd.conf" 2>"$work/log" &
pid=$!
until grep -q "serving on UDP port" "$work/log"; do
    kill -0 "$pid" 2>/dev/null || { cat "$work/log"; exit 1; }
    sleep 0.1
done
grep -q "16 drives read" "$work/log" || { echo "bench: not 16 drives"; cat "$work/log"; exit 1; }
"$build/tests/bench/bench_query_rate" 4 5000 "$port" >/dev/null
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
echo "=== kelvixd resident memory, 16 drives, after 20,000 queries"
printf '  VmRSS %s kB, peak %s kB (limit 3072 kB): %s\n' "$rss" "$hwm" "$([ "$hwm" -le 3072 ] && echo within || echo OVER)"
kill -TERM "$pid"
wait "$pid" || true
pid=""
echo "=== kelvixd against yardsticks"
"$build/tests/bench/bench_kelvixd" "${KV_ROUNDS:-9}"
