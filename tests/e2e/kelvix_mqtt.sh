#!/usr/bin/env bash
# KELVIX_SIM publishing to a real Mosquitto on loopback: Home Assistant's discovery and
# states retained, the settings dialog's Home Assistant dialog testing the connection
# (and refusing TLS, which the Windows build does not have yet), the about dialog saying
# connected, and "offline" when KELVIX closes. The payloads themselves are checked
# against Home Assistant's keys by tests/kelvixd/kelvixd_mqtt.py: the same code makes them.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_mqtt
programs=$E2E_BUILD/monitor
broker_port=$(e2e_free_port)
retained() { mosquitto_sub -h 127.0.0.1 -p "$broker_port" --retained-only -W 1 -F '%t	%p' -t "$1" 2>/dev/null; }
mqtt_title="Home Assistant (MQTT)"
settings_title="設定画面"
about_title="バージョン情報"

printf 'user %s\npersistence false\nlistener %s 127.0.0.1\nallow_anonymous true\n' "$(id -un)" "$broker_port" \
    > mosquitto.conf
mosquitto -c mosquitto.conf 2> mosquitto.log &
E2E_PIDS+=($!)

cp "$programs/KELVIX_SIM.exe" "$programs/HDDATA.CFG" "$programs/7SEG_G.KVX" .
cp "$(dirname "$0")/export_drives.txt" drives.txt
printf '[Common]\r\nUseLog=0\r\n[Mqtt]\r\nHost=127.0.0.1\r\nPort=%s\r\n' "$broker_port" > "$E2E_INI"
export KELVIX_DRIVESET=$E2E_WORK/drives.txt

win_bg "$PWD/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
configs() { retained 'homeassistant/+/+/+/config' | grep -c '^homeassistant/[a-z_]*/kelvix_'; }
has_configs() { [ "$(configs)" -eq 14 ]; }
check "13 drive entities and the host's are announced" wait_until 20 has_configs
availability() { retained 'kelvix/+/availability' | cut -f2; }
check_eq "availability online" "online" "$(availability)"
check_contains "the ATA disk's state is retained" '"temperature":35,' "$(retained 'kelvix/+/5jv3abcd/state')"

# The settings dialog opens the Home Assistant dialog; its test connects.
kvd command 32791
check "settings dialog opens" kvd wait-window "#32770" "$settings_title" 10000
kvd dialog-click "$settings_title" 1036
check "Home Assistant dialog opens" kvd wait-window "#32770" "$mqtt_title" 10000
shows_host() { [ "$(kvd dialog-get-text "$mqtt_title" 1101 | tr -d '\r')" = 127.0.0.1 ]; }
check "the dialog shows the broker" wait_until 10 shows_host
result() { kvd dialog-get-text "$mqtt_title" 1110 | from_sjis | tr -d '\r'; }
kvd dialog-click "$mqtt_title" 1109
tested() { [[ "$(result)" == 接続でき* ]]; }
wait_until 20 tested
check_contains "the test connects" "接続できました: connected to 127.0.0.1:$broker_port" "$(result)"
shot test_connected
kvd dialog-click "$mqtt_title" 1105
kvd dialog-click "$mqtt_title" 1109
refused() { [[ "$(result)" == *TLS* ]]; }
wait_until 20 refused
check_contains "TLS is refused in words" "接続できません: TLS is not available in the Windows build" "$(result)"
shot test_tls
kvd dialog-click "$mqtt_title" 2
check "Home Assistant dialog closes" kvd wait-gone "#32770" "$mqtt_title" 10000
kvd dialog-click "$settings_title" 2
check "settings dialog closes" kvd wait-gone "#32770" "$settings_title" 10000

# The about dialog tells the connection.
kvd command 32798
wait_until 20 kvd dialog-get-text "$about_title" 1007 >/dev/null
about_connected() { [[ "$(kvd dialog-get-text "$about_title" 1007 | from_sjis)" == *に接続中* ]]; }
check "the about dialog says connected" wait_until 10 about_connected
shot about
kvd dialog-click "$about_title" 1

# Closing says offline; the broker keeps it for Home Assistant.
kvd command 32799
check "KELVIX closes" kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" 20000
is_offline() { [ "$(availability)" = offline ]; }
check "availability offline after KELVIX closed" wait_until 10 is_offline
e2e_end
