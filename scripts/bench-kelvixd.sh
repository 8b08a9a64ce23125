#!/usr/bin/env bash
# kelvixd's figures: the peak resident memory of kelvixd_sim serving 16 simulated drives
# (8 ATA, 8 NVMe) after 20,000 report queries and many measurement cycles, with nothing
# configured (limit 3 MB; also once more, started on the history file it left), with
# notifications on, and with MQTT over TLS to a loopback Mosquitto as well (limit 6 MB), each also as a ratio to a bare C++ UDP responder asked the
# same queries in the same run (the yardstick: what any C++ program here costs), then the
# cycle's CPU time and the report server's rate against yardsticks (bench_kelvixd).
#   bash scripts/bench-kelvixd.sh [BUILD_DIR]    (default build/native)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/native}
cmake --build "$build" --target kelvixd kelvixd_sim bench_kelvixd bench_query_rate bench_responder_minimal >/dev/null
work=$(mktemp -d)
pid=""
broker=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$broker" ] && kill "$broker" 2>/dev/null; rm -rf "$work"' EXIT
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
free_port() { python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_'"$1"'); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# peak NAME WAIT_FOR EXTRA: kelvixd_sim with EXTRA added to its configuration, once the
# journal shows WAIT_FOR, asked 20,000 times; prints its peak resident kB.
peak() {
    local port conf=$work/$1.conf log=$work/$1.log
    port=$(free_port DGRAM)
    printf '[Timer]\nCurrent=1\n[Network]\nPort=%s\nReportsPerSecond=0\n[Common]\nCfgFile=%s\n[Daemon]\nStateDirectory=%s\n%b' \
        "$port" "$work/HDDATA.CFG" "$work" "$3" > "$conf"
    : > "$log"
    KELVIXD_DRIVESET=$work/sixteen.driveset "$build/kelvixd/kelvixd_sim" -c "$conf" 2>"$log" &
    pid=$!
    until grep -q "serving on UDP port" "$log" && grep -q "$2" "$log"; do
        kill -0 "$pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
        sleep 0.1
    done
    grep -q "16 drives read" "$log" || { echo "bench: not 16 drives" >&2; cat "$log" >&2; exit 1; }
    "$build/tests/bench/bench_query_rate" 4 5000 "$port" >/dev/null
    awk '/^VmHWM/ {print $2}' "/proc/$pid/status"
    grep -q "libcurl\|libssl" "/proc/$pid/maps" && echo "bench: $1 maps $(grep -o 'lib\(curl\|ssl\)[^ ]*' "/proc/$pid/maps" | sort -u | tr '\n' ' ')" >&2
    kill -TERM "$pid"
    wait "$pid" || true
    pid=""
}

# A loopback broker with TLS only, its certificate from a test CA, as kelvixd_mqtt does.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=kelvix bench CA" -keyout "$work/ca.key" \
    -out "$work/ca.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout "$work/server.key" -out "$work/server.csr" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\n' > "$work/san.ext"
openssl x509 -req -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial -days 2 \
    -extfile "$work/san.ext" -out "$work/server.pem" 2>/dev/null
broker_port=$(free_port STREAM)
printf 'user %s\npersistence false\nallow_anonymous true\nlistener %s 127.0.0.1\ncafile %s\ncertfile %s\nkeyfile %s\n' \
    "$(id -un)" "$broker_port" "$work/ca.pem" "$work/server.pem" "$work/server.key" > "$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" 2>"$work/mosquitto.log" &
broker=$!
receiver_port=$(free_port STREAM)  # nothing listens: deliveries fail, which costs the same

# The yardstick, asked as often.
yard_port=$(free_port DGRAM)
"$build/tests/bench/bench_responder_minimal" "$yard_port" &
yard_pid=$!
sleep 0.2
"$build/tests/bench/bench_query_rate" 4 5000 "$yard_port" >/dev/null
yardstick=$(awk '/^VmHWM/ {print $2}' "/proc/$yard_pid/status")
printf '\x10' > /dev/udp/127.0.0.1/"$yard_port"
wait "$yard_pid" 2>/dev/null || true

bare=$(peak bare "serving on UDP port" "")
# As a daemon mostly starts: on the history file its last run left.
again=$(peak again "serving on UDP port" "")
notify=$(peak notify "serving on UDP port" "[Notify]\nUrl=http://127.0.0.1:$receiver_port/disks\n")
both=$(peak both "(TLS): connected as" "[Notify]\nUrl=http://127.0.0.1:$receiver_port/disks\n[Mqtt]\nHost=127.0.0.1\nPort=$broker_port\nTls=1\nCaFile=$work/ca.pem\n")
kill "$broker" 2>/dev/null || true
wait "$broker" 2>/dev/null || true

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { printf '| %-40s | %9s | %9s | %5s | %-7s | %9s |\n' "$@"; }
echo "=== kelvixd peak resident memory, 16 drives, after 20,000 queries"
row configured "peak" "limit" "ratio" "" "yardstick"
row "----------------------------------------" "---------" "---------" "-----" "-------" "---------"
verdict() { [ "$1" -le "$2" ] && echo within || echo OVER; }
row "nothing" "$bare kB" "3072 kB" "$(ratio "$bare" 3072)" "$(verdict "$bare" 3072)" "$(ratio "$bare" "$yardstick")"
row "nothing, started again on its history" "$again kB" "3072 kB" "$(ratio "$again" 3072)" "$(verdict "$again" 3072)" "$(ratio "$again" "$yardstick")"
row "notifications (web request)" "$notify kB" "6144 kB" "$(ratio "$notify" 6144)" "$(verdict "$notify" 6144)" "$(ratio "$notify" "$yardstick")"
row "notifications and MQTT over TLS" "$both kB" "6144 kB" "$(ratio "$both" 6144)" "$(verdict "$both" 6144)" "$(ratio "$both" "$yardstick")"
row "yardstick: a bare C++ UDP responder" "$yardstick kB" "" "" "" "1.00"
printf '  against nothing configured: notifications %s, with MQTT over TLS %s\n' "$(ratio "$notify" "$bare")" \
    "$(ratio "$both" "$bare")"
echo "=== kelvixd against yardsticks"
"$build/tests/bench/bench_kelvixd" "${KV_ROUNDS:-9}"
