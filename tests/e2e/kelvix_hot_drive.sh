#!/usr/bin/env bash
# KELVIX_SIM driven from outside: start-up with a hot drive, a second start, the tray
# commands, the settings dialog moving the server to another port, "TaskbarCreated",
# shut-down, and the files it leaves behind.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_hot_drive
programs=$E2E_BUILD/monitor
tempquery=$E2E_BUILD/query/tempquery.exe
# query PORT SECONDS: tempquery against this machine, waiting without its own limit (-t 0);
# exit 124 when nothing answered in time.
query() { KELVIX_QUERY_PORT=$1 timeout "$2" wine64 "$tempquery" -t 0 127.0.0.1 </dev/null; }
port1=$(e2e_free_port)
port2=$(e2e_free_port "$port1")

# Installed as a user would: the program and its files in one folder.
cp "$programs/KELVIX_SIM.exe" "$programs/HDDATA.CFG" "$programs/7SEG_G.KVX" .
programs=$E2E_WORK
cat > drives.txt <<'DRIVES'
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 35
drive 1
model WDC WD800JB-00JJC0
serial WMAJ91234567
mwdma 2
temperature 194 50 52 55
drive 2
model NOT IN THE DATABASE
DRIVES
printf '[Threshold]\r\nUseBalloon=1\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Common]\r\nUseLog=1\r\n' "$port1" > "$E2E_INI"
export KELVIX_DRIVESET=$E2E_WORK/drives.txt

win_bg "$programs/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000

# Information balloon, then the warning balloon, which replaces it and lists the hot drive only.
wait_until 15 kvd windows tooltips_class32
balloon=$(kvd windows tooltips_class32 | from_sjis)
check_contains "warning balloon lists the hot drive" "#1  52℃ : WDC WD800JB-00JJC0" "$balloon"
if [[ "$balloon" == *ST380011A* ]]; then fail "warning balloon leaves out the cool drive" "$balloon"; else pass "warning balloon leaves out the cool drive"; fi
shot startup_warning_balloon

report=$(query $port1 20)
check_eq "server answers on the configured port" \
"#0  35/35 : ST380011A (1.00 5JV3ABCD)
#1  52/52 : WDC WD800JB-00JJC0 (1.00 WMAJ91234567)
#2   0/ 0 : NOT IN THE DATABASE (1.00 SIM00000002)" "$report"

# A second copy makes the first show its information balloon, and exits.
sleep 11  # let the warning balloon time out
timeout 30 wine64 "$programs/KELVIX_SIM.exe" </dev/null
check_eq "second copy exits with 0" 0 "$?"
check_eq "one copy keeps running" 1 "$(kvd process-count KELVIX_SIM.exe | tr -d '\r')"
wait_until 15 kvd windows tooltips_class32
balloon=$(kvd windows tooltips_class32 | from_sjis)
check_contains "information balloon lists every drive with a temperature" \
"#0  35℃ : ST380011A
#1  52℃ : WDC WD800JB-00JJC0" "$balloon"
shot second_start_info_balloon

# Measure now: drive 1 reads 55; the clipboard carries every drive with a temperature.
kvd command 32789
sleep 1
kvd command 32790
sleep 1
clip=$(kvd clipboard | from_sjis | od -An -c | tr -s ' ')
expected=$(printf '35℃ : ST380011A (78.15GB UltraDMA-5)\r\n55℃ : WDC WD800JB-00JJC0 (78.15GB MultiWordDMA-2)\r\n' | od -An -c | tr -s ' ')
check_eq "clipboard text after measuring now" "$expected" "$clip"

kvd command 32788
sleep 1
check_eq "command 32788 is ignored" 1 "$(kvd process-count KELVIX_SIM.exe | tr -d '\r')"
check_eq "no message box" "" "$(kvd boxes)"

kvd command 32787
sleep 2
shot measurement_stopped
kvd command 32786
sleep 2
shot measurement_resumed

# The tray menu (right click), then Escape.
kvd tray-click 0x204
sleep 2
shot tray_menu
kvd key 27
sleep 1

# Settings: the server stops while the dialog is open and comes back on the new port.
kvd command 32791
check "settings dialog opens" kvd wait-window "#32770" "設定画面" 10000
report=$(query $port1 5)
check_eq "no answer while the dialog is open" 124 "$?"
kvd dialog-set-text "設定画面" 1020 "$port2"
sleep 1
shot settings_dialog
kvd dialog-click "設定画面" 1
check "settings dialog closes" kvd wait-gone "#32770" "設定画面" 10000
report=$(query $port2 20)
check_contains "server answers on the new port" "#1  55/55 : WDC WD800JB-00JJC0" "$report"
query $port1 5 >/dev/null
check_eq "old port is silent" 124 "$?"
check "new port saved" grep -q "^Port=$port2" "$E2E_INI"

# The shell's notification area is re-created: the icon comes back.
kvd taskbar-created
sleep 2
shot taskbar_recreated

# Shut-down: the server stops with the program.
kvd command 32799
check "main window goes" kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" 20000
wait_until 10 test "$(kvd process-count KELVIX_SIM.exe | tr -d '\r')" = 0
check_eq "process has ended" 0 "$(kvd process-count KELVIX_SIM.exe | tr -d '\r')"
query $port2 5 >/dev/null
check_eq "no answer after shut-down" 124 "$?"

# The log: one line per measurement with every probed drive number, CR LF line ends.
log_pattern='^[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}  35 (52|55) 00 00 00 00 00 00 00 00 00 00 00 00 00 00 '$'\r''$'
check "log lines have the expected form" grep -Eq "$log_pattern" KELVIX.LOG
check_eq "every log line has the form" "$(wc -l < KELVIX.LOG)" "$(grep -Ec "$log_pattern" KELVIX.LOG)"
check "log has a line per measurement" test "$(wc -l < KELVIX.LOG)" -ge 2
check "worst value of the hot drive saved" grep -q "^WDC WD800JB-00JJC0:1.00:WMAJ91234567=0x37" "$E2E_INI"
check "worst value of the cool drive saved" grep -q "^ST380011A:1.00:5JV3ABCD=0x23" "$E2E_INI"

e2e_end
