#!/usr/bin/env bash
# The Windows programs under Wine against minimal Windows programs built the same way (a
# hidden window with one tray icon; a Winsock responder with a fixed 1920-byte reply), in
# a Wine harness of its own (build/bench-win64) so that test runs are not disturbed.
# Prints start-up, resident memory, report queries per second and round trip p99 with
# ratios, each the median of ROUNDS rounds in which the program and its yardstick take
# turns, so both see the same machine load; last the history chart's draw time with a
# year of data against filling and polylines of the same points.
#
#   bash scripts/bench-windows.sh [ROUNDS] [MEASUREMENTS]
#
# MEASUREMENTS (default 3600): measure-now commands sent to KELVIX_SIM one after another
# to show its memory after that many cycles (an hour at one a second).
set -eu
cd "$(dirname "$0")/.."
root=$PWD
rounds=${1:-5}
cycles=${2:-3600}
tree=$root/build/win64
harness=$root/build/bench-win64
queries=5000  # per round and server

if [ ! -f "$tree/build.ninja" ]; then
    cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
fi
cmake --build "$tree" -j2 --target KELVIX_SIM PELITO kvdriver \
    bench_tray_minimal bench_responder_minimal bench_start_probe bench_history_draw >/dev/null
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target bench_query_rate >/dev/null

mkdir -p "$harness"
bash scripts/wine-harness.sh start "$harness" $$
trap 'bash "$root/scripts/wine-harness.sh" stop "$harness"' EXIT
# shellcheck disable=SC1091
. "$harness/wine/env"

work=$harness/work
rm -rf "$work"
mkdir -p "$work"
cd "$work"
cp "$tree/monitor/HDDATA.CFG" "$tree/monitor/7SEG_G.KVX" .
cat > drives.txt <<'DRIVES'
drive 0
model ST380011A
temperature 194 35 36 37
drive 1
model WDC WD800JB-00JJC0
temperature 194 50 52 55
drive 2
model SAMSUNG SP1614N
temperature 194 41
drive 3
model Maxtor 6Y080L0
temperature 194 38 39
DRIVES
export KELVIX_DRIVESET=$work/drives.txt

free_port() {
    local port
    for _ in $(seq 200); do
        port=$((20000 + RANDOM % 20000))
        [ "$port" = "${1:-}" ] && continue
        ss -Hunl "sport = :$port" 2>/dev/null | grep -q . || { echo "$port"; return 0; }
    done
    return 1
}
kelvix_port=$(free_port)
responder_port=$(free_port "$kelvix_port")
windows=$WINEPREFIX/drive_c/windows
printf '[Threshold]\r\nUseBalloon=1\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\nReportsPerSecond=0\r\n' "$kelvix_port" > "$windows/KELVIX.INI"
pelito_folder=$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/PELITO
mkdir -p "$pelito_folder"
printf '[127.0.0.1]\r\nPort=%s\r\n' "$kelvix_port" > "$pelito_folder/PELITO.INI"

winpath() { local p=${1//\//\\}; echo "Z:$p"; }
kvd() { wine64 "$tree/tests/e2e/kvdriver.exe" "$@" </dev/null; }
monitor_class=ORVALD_MONITOR; monitor_title="ORVALD MONITOR"
client_class=ORVALD_TRAYICON_CLIENT; client_title="ORVALD TRAYICON_CLIENT"
tray_class=KV_BENCH_TRAY; tray_title="KV BENCH TRAY"

# rss_kb EXE: resident kB of the Wine process running EXE in this harness's prefix.
rss_kb() {
    local pid
    for pid in $(pgrep -f "$1"); do
        { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null && return 0
    done
    echo 0
}

# start CLASS TITLE PORT EXE: prints "window_ms ready_ms"; the program keeps running.
# (Into a file: the started program inherits the probe's output and would hold a pipe open.)
start() {
    wine64 "$tree/tests/bench/bench_start_probe.exe" "$1" "$2" "$3" "$(winpath "$4")" \
        </dev/null >"$work/probe.out" 2>"$work/probe.err" || {
        echo "bench-windows: $4 did not start: $(cat "$work/probe.err")" >&2; exit 1; }
    tr -d '\r' < "$work/probe.out" | awk '{ print $2, $3 }'
}

# stop CLASS TITLE EXE: closes the program's window and waits until its process is gone,
# and a second more: the shell and Wine's server finish with an ended program after it is
# gone, and that work would fall into the next start.
stop() {
    kvd post "$1" "$2" 16 0 0 >/dev/null || true
    for _ in $(seq 200); do
        [ "$(rss_kb "$3")" = 0 ] && { sleep 1; return 0; }
        sleep 0.1
    done
    echo "bench-windows: $3 did not end" >&2
    exit 1
}

# run_start NAME CLASS TITLE PORT EXE: one start; appends "ms kB" to $work/NAME.
run_start() {
    local times ready
    times=$(start "$2" "$3" "$4" "$5")
    ready=${times#* }
    sleep 1  # let the start settle before reading its memory
    echo "$ready $(rss_kb "$(basename "$5")")" >> "$work/$1"
    stop "$2" "$3" "$(basename "$5")"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
column_median() { awk -v c="$2" '{ print $c }' "$work/$1" | median; }

# The measured programs and their yardsticks alike run as they ship: stripped (the
# debug sections of an unstripped program are read into memory at load).
shipped() {
    x86_64-w64-mingw32-objcopy --strip-all "$1" "$work/$(basename "$1")"
    echo "$work/$(basename "$1")"
}
kelvix=$(shipped "$tree/monitor/KELVIX_SIM.exe")
pelito=$(shipped "$tree/trayclient/PELITO.exe")
minimal_tray=$(shipped "$tree/tests/bench/bench_tray_minimal.exe")
minimal_responder=$(shipped "$tree/tests/bench/bench_responder_minimal.exe")

echo "=== start-up and memory, $rounds rounds (load before: $(cut -d' ' -f1-3 /proc/loadavg))" >&2
run_start warmup "$tray_class" "$tray_title" 0 "$minimal_tray"
for round in $(seq "$rounds"); do
    echo "  round $round" >&2
    run_start kelvix "$monitor_class" "$monitor_title" "$kelvix_port" "$kelvix"
    run_start tray "$tray_class" "$tray_title" 0 "$minimal_tray"
done

# KELVIX_SIM stays up from here on: PELITO watches it and the native client asks it.
start "$monitor_class" "$monitor_title" "$kelvix_port" "$kelvix" >/dev/null
for round in $(seq "$rounds"); do
    run_start pelito "$client_class" "$client_title" 0 "$pelito"
    run_start tray_p "$tray_class" "$tray_title" 0 "$minimal_tray"
done

echo "=== report queries, $rounds rounds of $queries" >&2
wine64 "$minimal_responder" "$responder_port" </dev/null >/dev/null 2>&1 &
responder_pid=$!
sleep 2
"$root/build/bench/tests/bench/bench_query_rate" "$rounds" "$queries" "$kelvix_port" "$responder_port" > "$work/queries"

echo "=== memory over $cycles measurements" >&2
memory_start=$(rss_kb KELVIX_SIM.exe)
kvd command-times 32789 "$((cycles / 2))"
memory_half=$(rss_kb KELVIX_SIM.exe)
kvd command-times 32789 "$((cycles - cycles / 2))"
memory_end=$(rss_kb KELVIX_SIM.exe)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

printf '\x10' > /dev/udp/127.0.0.1/"$responder_port"
wait "$responder_pid" 2>/dev/null || true
stop "$monitor_class" "$monitor_title" KELVIX_SIM.exe

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { printf '| %-44s | %12s | %12s | %6s | %-6s |\n' "$@"; }
k_start=$(column_median kelvix 1); t_start=$(column_median tray 1)
k_mem=$(column_median kelvix 2); t_mem=$(column_median tray 2)
p_start=$(column_median pelito 1); tp_start=$(column_median tray_p 1)
p_mem=$(column_median pelito 2); tp_mem=$(column_median tray_p 2)
read -r _ k_qps _ k_p99 k_lost < <(sed -n 1p "$work/queries")
read -r _ r_qps _ r_p99 r_lost < <(sed -n 2p "$work/queries")

echo
echo "Windows programs under Wine, median of $rounds rounds ($(nproc) cores; load $load_after)"
row figure "program" "minimal" ratio target
row "--------------------------------------------" "------------" "------------" "------" "------"
row "KELVIX_SIM start (window up, report answered)" "$k_start ms" "$t_start ms" "$(ratio "$k_start" "$t_start")" "<= 1.5"
row "KELVIX_SIM resident memory after start" "$((k_mem / 1024)) MB" "$((t_mem / 1024)) MB" "$(ratio "$k_mem" "$t_mem")" "<= 1.5"
row "report queries/s (one in flight, native)" "$k_qps" "$r_qps" "$(ratio "$k_qps" "$r_qps")" ">= 0.9"
row "report round trip p99" "$k_p99 us" "$r_p99 us" "$(ratio "$k_p99" "$r_p99")" "<= 1.2"
row "PELITO start (window up, first poll)" "$p_start ms" "$tp_start ms" "$(ratio "$p_start" "$tp_start")" ""
row "PELITO resident memory after start" "$((p_mem / 1024)) MB" "$((tp_mem / 1024)) MB" "$(ratio "$p_mem" "$tp_mem")" ""
echo
echo "KELVIX_SIM resident memory: ${memory_start} kB before $cycles measurements," \
    "${memory_half} kB after $((cycles / 2)), ${memory_end} kB after $cycles (the last $((cycles - cycles / 2)) added $((memory_end - memory_half)) kB)"
echo "lost answers: KELVIX_SIM $k_lost, minimal responder $r_lost"
# The history window's chart with a year of data, against filling the same picture and
# drawing the same points as one polyline per drive, both in this run.
wine64 "$tree/tests/bench/bench_history_draw.exe" 30 8 </dev/null | tr -d '\r'
