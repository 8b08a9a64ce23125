#!/usr/bin/env bash
# KELVIX_SIM with two ATA and two NVMe drives, the second NVMe drive's health reads
# failing from the third: tray balloon and digits, tempquery's report, the monitor window's
# bars by each drive's own warning temperature, the clipboard, the log line and the worst
# values of the NVMe drives.
#   kelvix_nvme.sh BUILD [HARNESS]   HARNESS: another harness's folder (the English one at
#                                    144 dpi), else BUILD's own
. "$(dirname "$0")/e2e_lib.sh"
E2E_HARNESS=${2:-}
e2e_begin "$1" "kelvix_nvme${2:+_foreign}"
if [ -n "$E2E_HARNESS" ]; then
    deg=" °C" E2E_TRAY_ICON=24x24+5+33  # English; at 144 dpi the tray icon is 24 pixels
else
    deg="℃"
fi
port=$(e2e_free_port)

install_kelvix_sim
drive_set <<'DRIVES'
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 35
drive 1
nvme
model Samsung SSD 980 PRO 1TB
firmware 5B2QGXA7
serial S5GXNF0R123456
capacity 1000204886016
temperature 318K 46 44
drive 2
model WDC WD800JB-00JJC0
serial WMAJ91234567
temperature 194 38
drive 3
nvme
model WD_BLACK SN850X 2000GB
firmware 620311WD
serial 22470M800123
temperature 42
fail health from 3
DRIVES
# The ATA drives warn above 40 °C; the NVMe drives at their own 65 (70 less 5).
printf '[Threshold]\r\nUseBalloon=1\r\nCurrent=40\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Common]\r\nUseLog=1\r\n' "$port" > "$E2E_INI"

start_kelvix_sim

# Read 1 at enumeration, read 2 at the first measurement: 45 (318 K) and 42.
wait_until 15 balloon_shown
balloon=$E2E_BALLOON
check_contains "information balloon lists every drive" \
"#0  35$deg : ST380011A
#1  45$deg : Samsung SSD 980 PRO 1TB
#2  38$deg : WDC WD800JB-00JJC0
#3  42$deg : WD_BLACK SN850X 2000GB" "$balloon"
check "the balloon times out before the tray picture" wait_until 30 no_tooltips
tray45=$(tray_picture tray_45)
check_eq "report through tempquery" \
"#0  35/35 : ST380011A (1.00 5JV3ABCD)
#1  45/45 : Samsung SSD 980 PRO 1TB (5B2QGXA7 S5GXNF0R123456)
#2  38/38 : WDC WD800JB-00JJC0 (1.00 WMAJ91234567)
#3  42/42 : WD_BLACK SN850X 2000GB (620311WD 22470M800123)" "$(query "$port" 20 | tr -d '\r')"

# The monitor window at 45 and 42: the NVMe drives' bars in the first colour (blue), far
# below their own limit, as the tray calls them; none in the colours near or past a limit
# (yellow, red), which 40 would have given drive 1.
monitor_class="#32770"
# monitor_pixels R G B: pixels of exactly that colour in the monitor window's client area,
# in the screenshot monitor_45.
monitor_pixels() {
    local x y w h
    read -r x y w h < <(kvd client-rect "$monitor_class" | tr -d '\r') || return 1
    convert "$E2E_BUILD/screenshots/${E2E_NAME}_monitor_45.png" -crop "${w}x$h+$x+$y" +repage txt:- |
        grep -c ": ($1,$2,$3) "
}
nvme_bars_blue() { shot monitor_45 && [ "$(monitor_pixels 0 0 255)" -ge 100 ]; }
shot before_monitor
before=$(dialogs)
check "monitor window opens" kvd command 32792
check "it is on the screen" wait_until 10 more_dialogs_than "$before"
check "the NVMe drives' bars are blue" wait_until 10 nvme_bars_blue
check_eq "no bar is yellow" 0 "$(monitor_pixels 255 255 0)"
check_eq "no bar is red" 0 "$(monitor_pixels 255 0 0)"
check "the ATA drive at 38 (2 below its 40) has its green bars" test "$(monitor_pixels 0 255 0)" -ge 100
kvd command 32792
monitor_closed() { ! more_dialogs_than "$before"; }
check "the monitor window closes" wait_until 10 monitor_closed

# Measure now: read 3 gives drive 1 46 and fails on drive 3, which keeps 42.
check "measure now handled" kvd command-times 32789 1
shows_other_than() { test "$(tray_picture "$2")" != "$1"; }
check "tray digits follow the hottest drive, the NVMe one (45, then 46)" wait_until 15 shows_other_than "$tray45" tray_46
check_contains "after a failed health read the report keeps the last temperature" \
"#1  46/46 : Samsung SSD 980 PRO 1TB (5B2QGXA7 S5GXNF0R123456)
#2  38/38 : WDC WD800JB-00JJC0 (1.00 WMAJ91234567)
#3  42/42 : WD_BLACK SN850X 2000GB (620311WD 22470M800123)" "$(query "$port" 20 | tr -d '\r')"
check "clipboard emptied and the copy handled" copy_temperatures
# The same lines in both languages, in UTF-16 for every program (the plain text Windows
# makes of them in its code page is foreign_windows_test's).
unicode=$(clipboard_unicode)
check_contains "the clipboard's UTF-16 carries the NVMe drive with its capacity and mode" \
    "46℃ : Samsung SSD 980 PRO 1TB (1.00TB NVMe)" "$unicode"
check_contains "and the ATA drive" "35℃ : ST380011A (" "$unicode"
kvd tray-click 0x201
check "a click shows the information balloon" wait_until 15 balloon_shown
shot tray_46_balloon
check_contains "the balloon shows the new NVMe reading" "#1  46$deg : Samsung SSD 980 PRO 1TB" "$E2E_BALLOON"

quit_kelvix "main window goes"
no_copies() { test "$(copies)" = 0; }
check "process has ended" wait_until 10 no_copies
log_pattern='^[0-9/]{10} [0-9:]{8}  35 (45|46) 38 42 (00 ){12}'$'\r''$'
check "log lines carry the NVMe temperatures" grep -Eq "$log_pattern" KELVIX.LOG
check_eq "every log line has the form" "$(wc -l < KELVIX.LOG)" "$(grep -Ec "$log_pattern" KELVIX.LOG)"
check "worst value of the NVMe drive saved as for ATA drives" \
    grep -q "^Samsung SSD 980 PRO 1TB:5B2QGXA7:S5GXNF0R123456=0x2e" "$E2E_INI"

e2e_end
