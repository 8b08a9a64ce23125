#!/usr/bin/env bash
# KELVIX_SIM publishing to a real Mosquitto on loopback: Home Assistant's discovery and
# states retained, the settings dialog's Home Assistant dialog testing the connection
# without freezing (plain, TLS through Schannel refused without the test CA and accepted
# with it, a broker that never answers, the dialog closed mid-test), the publisher over
# TLS, the about dialog saying connected, and "offline" when KELVIX closes. The payloads
# themselves are checked against Home Assistant's keys by tests/kelvixd/kelvixd_mqtt.py:
# the same code makes them.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_mqtt
programs=$E2E_BUILD/monitor
broker_port=$(e2e_free_port)
tls_port=$(e2e_free_port "$broker_port")
retained() { mosquitto_sub -h 127.0.0.1 -p "$broker_port" --retained-only -W 1 -F '%t	%p' -t "$1" 2>/dev/null; }
mqtt_title="Home Assistant (MQTT)"
# Wine now and then drops a click posted to a dialog that has just appeared: clicked again.
open_mqtt_dialog() {
    local try
    for try in 1 2 3; do
        kvd dialog-click "$settings_title" 1036
        kvd wait-window "#32770" "$mqtt_title" 5000 && return 0
    done
    return 1
}
settings_title="設定画面"
about_title="バージョン情報"

# A test CA and a broker certificate made out for "localhost" only (so 127.0.0.1 is a
# name it does not carry), as kelvixd_mqtt.py makes them.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=kelvix test CA" -keyout ca.key -out ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout server.key -out server.csr 2>/dev/null
echo "subjectAltName=DNS:localhost" > san.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext \
    -out server.pem 2>/dev/null
printf 'user %s\npersistence false\nper_listener_settings false\nallow_anonymous true\nlistener %s 127.0.0.1\n' \
    "$(id -un)" "$broker_port" > mosquitto.conf
printf 'listener %s 127.0.0.1\ncafile %s/ca.pem\ncertfile %s/server.pem\nkeyfile %s/server.key\n' \
    "$tls_port" "$PWD" "$PWD" "$PWD" >> mosquitto.conf
mosquitto -c mosquitto.conf 2> mosquitto.log &
E2E_PIDS+=($!)
# The test CA leaves the prefix's trusted roots however the test ends.
trap 'kvd distrust-ca "$E2E_WORK/ca.pem"; e2e_cleanup' EXIT

cp "$programs/KELVIX_SIM.exe" "$programs/HDDATA.CFG" "$programs/7SEG_G.KVX" .
cp "$(dirname "$0")/export_drives.txt" drives.txt
printf '[Common]\r\nUseLog=0\r\n[Mqtt]\r\nHost=127.0.0.1\r\nPort=%s\r\n' "$broker_port" > "$E2E_INI"
export KELVIX_DRIVESET=$E2E_WORK/drives.txt

win_bg "$PWD/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
configs() { retained 'homeassistant/+/+/+/config' | grep -c '^homeassistant/[a-z_]*/kelvix_'; }
has_configs() { [ "$(configs)" -eq 24 ]; }
check "23 drive entities and the host's are announced" wait_until 20 has_configs
availability() { retained 'kelvix/+/availability' | cut -f2; }
check_eq "availability online" "online" "$(availability)"
check_contains "the ATA disk's state is retained" '"temperature":35,' "$(retained 'kelvix/+/5jv3abcd/state')"

# The settings dialog opens the Home Assistant dialog; its test connects.
kvd command 32791
check "settings dialog opens" kvd wait-window "#32770" "$settings_title" 10000
check "Home Assistant dialog opens" open_mqtt_dialog
shows_host() { [ "$(kvd dialog-get-text "$mqtt_title" 1101 | tr -d '\r')" = 127.0.0.1 ]; }
check "the dialog shows the broker" wait_until 10 shows_host
result() { kvd dialog-get-text "$mqtt_title" 1110 | from_sjis | tr -d '\r'; }
kvd dialog-click "$mqtt_title" 1109
tested() { [[ "$(result)" == 接続でき* ]]; }
wait_until 20 tested
check_contains "the test connects, said in Japanese" \
    "接続できました: 127.0.0.1:$broker_port に接続し、ブローカーが受け付けました" "$(result)"
shot test_connected

# TLS through Schannel: refused in words (Japanese, as the prefix's Windows is) while the
# prefix does not trust the test CA.
kvd dialog-set-text "$mqtt_title" 1101 localhost
kvd dialog-set-text "$mqtt_title" 1102 "$tls_port"
kvd dialog-click "$mqtt_title" 1105
test_once() {  # test_once NAME: click the test and wait for its own result
    kvd dialog-set-text "$mqtt_title" 1110 ""
    kvd dialog-click "$mqtt_title" 1109
    wait_until 20 tested
    shot "$1"
}
test_once tls_untrusted
check_contains "an untrusted CA is refused in Japanese words" \
    "接続できません: ブローカーの証明書を受け付けませんでした: この PC が信頼する CA の署名がありません" "$(result)"
kvd dialog-click "$mqtt_title" 1105
tls_off() { [ "$(kvd dialog-checked "$mqtt_title" 1105 | tr -d '\r')" = 0 ]; }
wait_until 5 tls_off

# A "broker" that takes the connection and never answers: the dialog stays responsive
# while the test waits, and closing it ends the test (its connection closes before the
# 5 s the test would wait for an answer; Wine itself takes 2 s to take a dialog down).
python3 -c '
import socket, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(1)
print(s.getsockname()[1], flush=True)
c, _ = s.accept(); opened = time.monotonic()
while c.recv(4096): pass
print("closed after %.1f s" % (time.monotonic() - opened), flush=True)
' > silent.log &
E2E_PIDS+=($!)
silent_port() { head -1 silent.log | grep -q '^[0-9]'; }
wait_until 10 silent_port
kvd dialog-set-text "$mqtt_title" 1102 "$(head -1 silent.log)"
kvd dialog-click "$mqtt_title" 1109
check_eq "the dialog answers while the test waits" "接続しています..." "$(result)"
shot test_waiting
kvd dialog-click "$mqtt_title" 2
check "the dialog closes while testing" kvd wait-gone "#32770" "$mqtt_title" 5000
silent_closed() { grep -q closed silent.log; }
check "closing ended the test's connection" wait_until 6 silent_closed
ended_after=$(sed -n 's/closed after \([0-9.]*\) s/\1/p' silent.log)
check "...before the test's own 5 s time-out (after ${ended_after} s)" \
    awk -v s="$ended_after" 'BEGIN { exit !(s != "" && s < 4.5) }'
check "KELVIX still runs" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 2000

kvd dialog-click "$settings_title" 2
check "settings dialog closes" kvd wait-gone "#32770" "$settings_title" 10000

# The about dialog tells the connection, and in words why there is none: the publisher
# started again over TLS to a broker whose CA the prefix does not trust.
about_line() { kvd dialog-get-text "$about_title" 1007 | from_sjis | tr -d '\r'; }
about_matches() { [[ "$(about_line)" == *"$1"* ]]; }
about() {  # about NAME WHAT TEXT: the about dialog's last line comes to hold TEXT; a screenshot NAME
    kvd command 32798
    wait_until 20 kvd dialog-get-text "$about_title" 1007
    wait_until 15 about_matches "$3"
    check_contains "$2" "$3" "$(about_line)"
    shot "$1"
    kvd dialog-click "$about_title" 1
    kvd wait-gone "#32770" "$about_title" 5000
}
about about "the about dialog says connected" "127.0.0.1:$broker_port に接続中"
kvd command 32791
check "settings dialog opens again" kvd wait-window "#32770" "$settings_title" 10000
check "Home Assistant dialog opens again" open_mqtt_dialog
wait_until 10 shows_host
kvd dialog-set-text "$mqtt_title" 1101 localhost
kvd dialog-set-text "$mqtt_title" 1102 "$tls_port"
kvd dialog-click "$mqtt_title" 1105
kvd dialog-click "$mqtt_title" 1
kvd dialog-click "$settings_title" 2
check "settings dialog closes" kvd wait-gone "#32770" "$settings_title" 10000
about about_untrusted "the about dialog says why TLS failed" \
    "localhost:$tls_port に未接続 - ブローカーの証明書を受け付けませんでした: この PC が信頼する CA の署名がありません"
quit_kelvix "KELVIX closes"

# Over TLS, with the test CA trusted before KELVIX starts (Wine reads the trusted roots
# once per process): the publisher connects to the TLS listener, the test accepts the
# certificate for "localhost" and refuses it for 127.0.0.1, a name it does not carry.
check "the test CA is added to the prefix's trusted roots" kvd trust-ca "$E2E_WORK/ca.pem"
printf '[Common]\r\nUseLog=0\r\n[Mqtt]\r\nHost=localhost\r\nPort=%s\r\nTls=1\r\n' "$tls_port" > "$E2E_INI"
win_bg "$PWD/KELVIX_SIM.exe"
check "KELVIX starts again" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
tls_client() { grep -A1 "on port $tls_port" mosquitto.log | grep -q "as kelvix-"; }
check "KELVIX publishes through the TLS listener" wait_until 20 tls_client
is_online() { [ "$(availability)" = online ]; }
check "availability online over TLS" wait_until 10 is_online
kvd command 32791
check "settings dialog opens" kvd wait-window "#32770" "$settings_title" 10000
check "Home Assistant dialog opens" open_mqtt_dialog
test_once tls_trusted
check_contains "TLS with the trusted CA connects" \
    "接続できました: localhost:$tls_port に TLS で接続し (証明書は有効)、ブローカーが受け付けました" "$(result)"
kvd dialog-set-text "$mqtt_title" 1101 127.0.0.1
test_once tls_wrong_name
check_contains "a name the certificate does not carry is refused" \
    "接続できません: ブローカーの証明書を受け付けませんでした: 127.0.0.1 用の証明書ではありません" "$(result)"
kvd dialog-click "$mqtt_title" 2
kvd dialog-click "$settings_title" 2
check "settings dialog closes" kvd wait-gone "#32770" "$settings_title" 10000

# Closing says offline; the broker keeps it for Home Assistant.
quit_kelvix "KELVIX closes"
is_offline() { [ "$(availability)" = offline ]; }
check "availability offline after KELVIX closed" wait_until 10 is_offline
e2e_end
