#!/usr/bin/env bash
# The metrics endpoint of KELVIX_SIM under Wine against a minimal Winsock HTTP responder
# built the same way that answers every request with a fixed body of the same size, in a
# Wine harness of its own (build/bench-export-win64). Prints scrapes per second and the
# scrape p99 with their ratios (medians of ROUNDS rounds, the two taking turns), KELVIX's
# resident memory over SCRAPES scrapes, and the UDP report service's figures alone and
# while scrapes run.
#
#   bash scripts/bench-export.sh [ROUNDS] [SCRAPES]
set -eu
cd "$(dirname "$0")/.."
root=$PWD
rounds=${1:-5}
memory_scrapes=${2:-10000}
tree=$root/build/win64
harness=$root/build/bench-export-win64
scrapes=500    # per round and endpoint
queries=3000   # UDP queries per round

if [ ! -f "$tree/build.ninja" ]; then
    cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
fi
cmake --build "$tree" -j2 --target KELVIX_SIM kvdriver bench_http_responder_minimal >/dev/null
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target bench_query_rate bench_scrape_rate >/dev/null

mkdir -p "$harness"
bash scripts/wine-harness.sh start "$harness" $$
responder_pid=
kelvix_pid=
cleanup() {
    [ -n "$responder_pid" ] && kill "$responder_pid" 2>/dev/null
    [ -n "$kelvix_pid" ] && kill "$kelvix_pid" 2>/dev/null
    bash "$root/scripts/wine-harness.sh" stop "$harness"
}
trap cleanup EXIT
# shellcheck disable=SC1091
. "$harness/wine/env"

work=$harness/work
rm -rf "$work"
mkdir -p "$work"
cd "$work"
cp "$tree/monitor/HDDATA.CFG" "$tree/monitor/7SEG_G.KVX" .
cp "$root/tests/e2e/export_drives.txt" drives.txt
export KELVIX_DRIVESET=$work/drives.txt

# free_port PROTOCOL(t|u) EXCEPT...: a loopback port nothing uses now.
free_port() {
    local kind=$1 port; shift
    for _ in $(seq 200); do
        port=$((20000 + RANDOM % 20000))
        [[ " $* " == *" $port "* ]] && continue
        ss -H"$kind"ln "sport = :$port" 2>/dev/null | grep -q . || { echo "$port"; return 0; }
    done
    return 1
}
udp_port=$(free_port u)
metrics_port=$(free_port t "$udp_port")
responder_port=$(free_port t "$udp_port" "$metrics_port")
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\nReportsPerSecond=0\r\n[Export]\r\nMetricsPort=%s\r\nWebPage=1\r\nListenAddress=127.0.0.1\r\n' \
    "$udp_port" "$metrics_port" > "$WINEPREFIX/drive_c/windows/KELVIX.INI"

# rss_kb: resident kB of KELVIX_SIM in this harness's prefix.
rss_kb() {
    local pid
    for pid in $(pgrep -f KELVIX_SIM.exe); do
        { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null && return 0
    done
    echo 0
}
wait_until() { local end=$((SECONDS + $1)); shift; until "$@" >/dev/null 2>&1; do [ $SECONDS -ge $end ] && return 1; sleep 0.2; done; }
scrape_rate=$root/build/bench/tests/bench/bench_scrape_rate
query_rate=$root/build/bench/tests/bench/bench_query_rate

# Both stripped, as they ship.
x86_64-w64-mingw32-objcopy --strip-all "$tree/monitor/KELVIX_SIM.exe" KELVIX_SIM.exe
x86_64-w64-mingw32-objcopy --strip-all "$tree/tests/bench/bench_http_responder_minimal.exe" responder.exe

wine64 KELVIX_SIM.exe </dev/null >/dev/null 2>&1 &
kelvix_pid=$!
wait_until 60 "$scrape_rate" 0 1 "$metrics_port" || { echo "bench-export: no metrics answer" >&2; exit 1; }
body=$(curl -s "http://127.0.0.1:$metrics_port/metrics" | wc -c)
wine64 responder.exe "$responder_port" "$body" </dev/null >/dev/null 2>&1 &
responder_pid=$!
wait_until 60 "$scrape_rate" 0 1 "$responder_port" || { echo "bench-export: no responder answer" >&2; exit 1; }

echo "=== scrapes, $rounds rounds of $scrapes (body $body bytes; load before: $(cut -d' ' -f1-3 /proc/loadavg))" >&2
"$scrape_rate" "$rounds" "$scrapes" "$metrics_port" "$responder_port" > scrapes

echo "=== the web page and its API, $rounds rounds of $scrapes" >&2
"$scrape_rate" "$rounds" "$scrapes" "$metrics_port/" "$metrics_port/api/v1/drives" "$responder_port" > web
page_load=0
for path in / /app.css /app.js; do
    page_load=$((page_load + $(curl -s -o /dev/null -w '%{size_download}' "http://127.0.0.1:$metrics_port$path")))
done

echo "=== UDP report queries alone and while scrapes run" >&2
"$query_rate" "$rounds" "$queries" "$udp_port" > udp_alone
# Ten scrapes a second: far more than any Prometheus asks (every 15 s by default).
"$scrape_rate" 0 1000000 "$metrics_port" 100 >/dev/null 2>&1 &
loader=$!
"$query_rate" "$rounds" "$queries" "$udp_port" > udp_loaded
kill "$loader" 2>/dev/null; wait "$loader" 2>/dev/null || true

echo "=== memory over $memory_scrapes scrapes" >&2
memory_start=$(rss_kb)
"$scrape_rate" 0 "$((memory_scrapes / 2))" "$metrics_port"
memory_half=$(rss_kb)
"$scrape_rate" 0 "$((memory_scrapes - memory_scrapes / 2))" "$metrics_port"
memory_end=$(rss_kb)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { printf '| %-40s | %12s | %12s | %6s | %-6s |\n' "$@"; }
read -r _ k_rate _ k_p99 k_failed k_body < <(sed -n 1p scrapes)
read -r _ m_rate _ m_p99 m_failed m_body < <(sed -n 2p scrapes)
read -r _ a_qps _ a_p99 a_lost < udp_alone
read -r _ l_qps _ l_p99 l_lost < udp_loaded

echo
echo "Metrics endpoint under Wine, median of $rounds rounds ($(nproc) cores; load $load_after)"
row figure "KELVIX_SIM" "minimal" ratio target
row "----------------------------------------" "------------" "------------" "------" "------"
row "scrapes/s (one in flight, native client)" "$k_rate" "$m_rate" "$(ratio "$k_rate" "$m_rate")" ">= 0.9"
row "scrape p99" "$k_p99 us" "$m_p99 us" "$(ratio "$k_p99" "$m_p99")" "<= 1.2"
read -r _ p_rate _ p_p99 p_failed p_body < <(sed -n 1p web)
read -r _ j_rate _ j_p99 j_failed j_body < <(sed -n 2p web)
read -r _ w_rate _ w_p99 _ _ < <(sed -n 3p web)
echo
row figure "KELVIX_SIM" "minimal" ratio ""
row "----------------------------------------" "------------" "------------" "------" "------"
row "web page / loads/s" "$p_rate" "$w_rate" "$(ratio "$p_rate" "$w_rate")" ""
row "web page / p99" "$p_p99 us" "$w_p99 us" "$(ratio "$p_p99" "$w_p99")" ""
row "/api/v1/drives answers/s" "$j_rate" "$w_rate" "$(ratio "$j_rate" "$w_rate")" ""
row "/api/v1/drives p99" "$j_p99 us" "$w_p99 us" "$(ratio "$j_p99" "$w_p99")" ""
echo "web: page $p_body bytes, drives JSON $j_body bytes, $page_load bytes per page load (page, style, script); failed: $p_failed, $j_failed"
echo
row figure "scraped 10/s" "alone" ratio ""
row "----------------------------------------" "------------" "------------" "------" "------"
row "UDP report queries/s" "$l_qps" "$a_qps" "$(ratio "$l_qps" "$a_qps")" ""
row "UDP report round trip p99" "$l_p99 us" "$a_p99 us" "$(ratio "$l_p99" "$a_p99")" ""
echo
echo "bodies: KELVIX_SIM $k_body bytes, minimal $m_body bytes; failed scrapes: $k_failed, $m_failed; lost UDP answers: $a_lost alone, $l_lost while scraped"
echo "KELVIX_SIM resident memory: ${memory_start} kB before $memory_scrapes scrapes, ${memory_half} kB after $((memory_scrapes / 2))," \
    "${memory_end} kB after $memory_scrapes (the last $((memory_scrapes - memory_scrapes / 2)) added $((memory_end - memory_half)) kB)"
