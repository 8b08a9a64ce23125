#!/usr/bin/env bash
# KELVIX_SIM driven from outside: start-up with a hot drive, a second start, the tray
# commands, the settings dialog moving the server to another port, "TaskbarCreated",
# shut-down, and the files it leaves behind.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_hot_drive
port1=$(e2e_free_port)
port2=$(e2e_free_port "$port1")

install_kelvix_sim
drive_set <<'DRIVES'
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 35
drive 1
model WDC WD800JB-00JJC0
serial WMAJ91234567
mwdma 2
temperature 194 52 55
drive 2
model NOT IN THE DATABASE
DRIVES
printf '[Timer]\r\nCurrent=3600\r\n[Threshold]\r\nUseBalloon=1\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Common]\r\nUseLog=1\r\n' "$port1" > "$E2E_INI"

start_kelvix_sim

# Information balloon, then the warning balloon, which replaces it and lists the hot drive only.
wait_until 15 balloon_shown
balloon=$E2E_BALLOON
check_contains "warning balloon lists the hot drive" "#1  52℃ : WDC WD800JB-00JJC0" "$balloon"
if [[ "$balloon" == *ST380011A* ]]; then fail "warning balloon leaves out the cool drive" "$balloon"; else pass "warning balloon leaves out the cool drive"; fi
shot startup_warning_balloon

report=$(query $port1 20 -t 0)
check_eq "server answers on the configured port" \
"#0  35/35 : ST380011A (1.00 5JV3ABCD)
#1  52/52 : WDC WD800JB-00JJC0 (1.00 WMAJ91234567)
#2   0/ 0 : NOT IN THE DATABASE (1.00 SIM00000002)" "$report"

# A second copy makes the first show its information balloon, and exits.
check "the warning balloon times out" wait_until 30 no_tooltips
hot_picture=$(tray_picture hot_52)
timeout 30 wine64 "$programs/KELVIX_SIM.exe" </dev/null
check_eq "second copy exits with 0" 0 "$?"
check_eq "one copy keeps running" 1 "$(copies)"
check "the information balloon shows" wait_until 15 balloon_shown
balloon=$E2E_BALLOON
check_contains "information balloon lists every drive with a temperature" \
"#0  35℃ : ST380011A
#1  52℃ : WDC WD800JB-00JJC0" "$balloon"
shot second_start_info_balloon

# Measure now: drive 1 reads 55; the clipboard carries every drive with a temperature.
check "clipboard emptied" kvd clear-clipboard
check "measure now handled" kvd command-times 32789 1
check "copy handled" kvd command-times 32790 1
clip=$(kvd clipboard | from_sjis | od -An -c | tr -s ' ')
expected=$(printf '35℃ : ST380011A (78.15GB UltraDMA-5)\r\n55℃ : WDC WD800JB-00JJC0 (78.15GB MultiWordDMA-2)\r\n' | od -An -c | tr -s ' ')
check_eq "clipboard text after measuring now" "$expected" "$clip"

check "command 32788 is handled" kvd command-times 32788 1
check_eq "command 32788 is ignored" 1 "$(copies)"
check_eq "no message box" "" "$(boxes)"

# Stop and resume: the tray shows the stopped picture, then the hot reading again.
check "the balloon has gone before the tray is compared" wait_until 30 no_tooltips
hot55=$(tray_picture hot_55)
check "stop handled" kvd command-times 32787 1
shows_other_than() { test "$(tray_picture "$2")" != "$1"; }
shows() { test "$(tray_picture "$2")" = "$1"; }
check "stopped: the tray shows another picture" wait_until 15 shows_other_than "$hot55" measurement_stopped
stopped_picture=$(tray_picture measurement_stopped)
check "resume handled" kvd command-times 32786 1
check "resumed: the tray shows the hot reading again" wait_until 15 shows "$hot55" measurement_resumed
check "the hot pictures 52 and 55 differ" test "$hot_picture" != "$hot55"

# The tray menu (right click), then Escape.
menu_open() { kvd windows '#32768'; }
menu_closed() { ! kvd windows '#32768'; }
kvd tray-click 0x204
check "the tray menu opens" wait_until 15 menu_open
shot tray_menu
kvd key 27
check "Escape closes the tray menu" wait_until 15 menu_closed

# Settings: the server stops while the dialog is open and comes back on the new port.
kvd command 32791
check "settings dialog opens" kvd wait-window "#32770" "設定画面" 10000
report=$(query $port1 5 -t 0)
check_eq "no answer while the dialog is open" 124 "$?"
check "new port typed" kvd dialog-set-text "設定画面" 1020 "$port2"
check_eq "the dialog holds the new port" "$port2" "$(kvd dialog-get-text "設定画面" 1020 | tr -d '\r')"
shot settings_dialog
kvd dialog-click "設定画面" 1
check "settings dialog closes" kvd wait-gone "#32770" "設定画面" 10000
report=$(query $port2 20 -t 0)
check_contains "server answers on the new port" "#1  55/55 : WDC WD800JB-00JJC0" "$report"
query $port1 5 -t 0 >/dev/null
check_eq "old port is silent" 124 "$?"
check "new port saved" grep -q "^Port=$port2" "$E2E_INI"

# The shell's notification area is re-created: "TaskbarCreated" is handled and the icon
# shows the current picture. (That a lost icon comes back is checked by TrayScreen in the
# Windows tests, where the test removes it first; this shell keeps it.)
check "TaskbarCreated posted" kvd taskbar-created
check "TaskbarCreated handled" kelvix_settled
check "the tray shows the current reading after TaskbarCreated" wait_until 30 shows "$hot55" taskbar_recreated

# Shut-down: the server stops with the program.
quit_kelvix "main window goes"
wait_until 10 running 0
check_eq "process has ended" 0 "$(copies)"
query $port2 5 -t 0 >/dev/null
check_eq "no answer after shut-down" 124 "$?"

# The log: one line per measurement with every probed drive number, CR LF line ends.
log_pattern='^[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}  35 (52|55) 00 00 00 00 00 00 00 00 00 00 00 00 00 00 '$'\r''$'
check "log lines have the expected form" grep -Eq "$log_pattern" KELVIX.LOG
check_eq "every log line has the form" "$(wc -l < KELVIX.LOG)" "$(grep -Ec "$log_pattern" KELVIX.LOG)"
check "log has a line per measurement" test "$(wc -l < KELVIX.LOG)" -ge 2
check "worst value of the hot drive saved" grep -q "^WDC WD800JB-00JJC0:1.00:WMAJ91234567=0x37" "$E2E_INI"
check "worst value of the cool drive saved" grep -q "^ST380011A:1.00:5JV3ABCD=0x23" "$E2E_INI"

e2e_end
