#!/usr/bin/env bash
# KELVIX_SIM with a direct ATA drive and the same kind of drive behind each USB bridge
# (16-byte, 12-byte and status-dropping SCSI ATA PASS-THROUGH), one a model the database
# does not know: tray balloon, tempquery, clipboard, monitor window, S.M.A.R.T. viewer and
# about dialog.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_usb_bridge
port=$(e2e_free_port)
report_has() { [[ "$(query "$port" 20 | tr -d '\r')" == *"$1"* ]]; }

install_kelvix_sim
common='attribute 1 0x002f 200 200 00 00
attribute 9 0x0032 090 090 10 27
threshold 1 51'
# The viewer opens on the first drive: the one behind the 16-byte bridge.
drive_set <<DRIVES
drive 0
bridge sat16
model WDC WD20EZRZ-00Z5HB0
firmware 80.00A80
serial WD-WCC4M1234567
$common
temperature 194 38
drive 1
model ST380011A
serial 5JV3ABCD
temperature 194 35
drive 2
bridge sat12
model ST2000DM008-2FR102
firmware 0001
serial ZFL1ABCD
$common
temperature 194 41
drive 3
bridge sat16-no-status
model 512GB SSD
firmware SBFM61.3
serial AA000000000000001234
$common
temperature 194 33
DRIVES
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\n' "$port" > "$E2E_INI"

start_kelvix_sim
expected="#0  38/38 : WDC WD20EZRZ-00Z5HB0 (80.00A80 WD-WCC4M1234567)
#1  35/35 : ST380011A (1.00 5JV3ABCD)
#2  41/41 : ST2000DM008-2FR102 (0001 ZFL1ABCD)
#3  33/33 : 512GB SSD (SBFM61.3 AA000000000000001234)"
check "tempquery reports every drive, bridged or not" wait_until 60 report_has "$expected"
check_eq "report through tempquery" "$expected" "$(query "$port" 20 | tr -d '\r')"

kvd tray-click 0x201
check "information balloon lists every drive" wait_until 15 balloon_has "#0  38℃ : WDC WD20EZRZ-00Z5HB0
#1  35℃ : ST380011A
#2  41℃ : ST2000DM008-2FR102
#3  33℃ : 512GB SSD"

check "clipboard emptied and the copy handled" copy_temperatures
clip=$(clipboard_text)
check_contains "clipboard carries the bridged drives" "33℃ : 512GB SSD" "$clip"
check_contains "clipboard: the 12-byte bridge drive" "41℃ : ST2000DM008-2FR102" "$clip"

check_kelvix_windows_and_quit
e2e_end
