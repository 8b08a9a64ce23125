#!/usr/bin/env bash
# KELVIX_SIM with a drive only the storage temperature property reaches, beside a direct
# ATA drive: tray balloon, tempquery, clipboard, monitor window, S.M.A.R.T. viewer (which
# opens on the property drive) and about dialog.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_property_drive
port=$(e2e_free_port)
report_has() { [[ "$(query "$port" 20 | tr -d '\r')" == *"$1"* ]]; }

install_kelvix_sim
# Drive 0 answers nothing but the temperature property and is the hottest: 47 °C at
# enumeration and the first measurement, 48 °C from the third read on. The viewer opens
# on it.
drive_set <<DRIVES
drive 0
model Portable SSD T7
firmware 0
serial S5SXNG0R123456
sectors 1953525168
temperature-property 70 80 47 48 48 48 48 48 48 48 48
drive 1
model ST380011A
serial 5JV3ABCD
temperature 194 35
DRIVES
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\n' "$port" > "$E2E_INI"

start_kelvix_sim
expected="#0  47/47 : Portable SSD T7 (0 S5SXNG0R123456)
#1  35/35 : ST380011A (1.00 5JV3ABCD)"
check "tempquery reports the property drive" wait_until 60 report_has "$expected"
check_eq "report through tempquery" "$expected" "$(query "$port" 20 | tr -d '\r')"

check "the start-up balloon is gone" wait_until 30 no_tooltips
tray47=$(tray_picture tray_47)
check "measure now handled" kvd command-times 32789 1
shows_other_than() { test "$(tray_picture "$2")" != "$1"; }
check "tray digits follow the hottest drive, the property one (47, then 48)" \
    wait_until 15 shows_other_than "$tray47" tray_48
check "tempquery follows" wait_until 15 report_has "#0  48/48 : Portable SSD T7"

kvd tray-click 0x201
check "information balloon lists both drives" wait_until 15 balloon_has "#0  48℃ : Portable SSD T7
#1  35℃ : ST380011A"

check "clipboard emptied and the copy handled" copy_temperatures
clip=$(clipboard_text)
check_contains "clipboard carries the property drive, its capacity and bus" "48℃ : Portable SSD T7 (1.00TB USB)" "$clip"
check_contains "clipboard: the direct drive too" "35℃ : ST380011A" "$clip"

check_kelvix_windows_and_quit
e2e_end
