#!/usr/bin/env bash
# A drive whose pending-sector count rises mid-run: exactly one health balloon with the
# reason in words, the metrics say caution with the count, PELITO pops its balloon with
# the health line; after a restart the steady count gives no new balloon, until the drive
# itself answers RETURN STATUS with "failing": bad, with its balloon; a drive added then
# whose newest self-test failed is bad from the start, with when and where; a short test
# started from the viewer fails and its drive turns bad, on an ATA and on an NVMe drive.
# The added drive keeps the extended log too: its failing LBA, beyond 28 bits, is told whole.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_health
monitor=$E2E_BUILD/monitor
pelito=$E2E_BUILD/trayclient/PELITO.exe
port=$(e2e_free_port)
metrics_port=$(e2e_free_tcp_port)
cp "$monitor/KELVIX_SIM.exe" "$monitor/HDDATA.CFG" "$monitor/7SEG_G.KVX" .
# Read 1 is enumeration's, which the start's measurement takes; each "measure now" reads again.
# write_drives PENDING [RETURN-STATUS [MORE]]: drive 0's pending counts and answers per
# read; MORE: further drives.
write_drives() {
    cat > drives.txt <<DRIVES
drive 0
model ST3500418AS
serial 5VM1ABCD
attribute 5 0x0033 100 100 00
attribute 197 0x0012 100 100 00
threshold 5 36
temperature 194 35
raw 197 $1
return-status ${2:-passed}
drive 1
nvme
model Samsung SSD 980 PRO 1TB
serial S5GXNF0R123456
temperature-limits 358 363
temperature 60
drive 2
model WDC WD10EZEX-08WN4A0
serial WCC6Y0ABCDEF
attribute 5 0x0033 030 030 00
threshold 5 140
temperature 194 30
${3:-}
DRIVES
}
write_drives "0 0 8"
# Drive 2 has been bad since an earlier run (its balloon was shown then): no balloon now,
# but the tray stays in its warning colours for it.
printf '[Timer]\r\nCurrent=3600\r\n[Threshold]\r\nUseBalloon=0\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\nReportsPerSecond=0\r\n[Export]\r\nMetricsPort=%s\r\n[Health]\r\nWDC WD10EZEX-08WN4A0:1.00:WCC6Y0ABCDEF=bad\r\n' \
    "$port" "$metrics_port" > "$E2E_INI"
export KELVIX_DRIVESET=$E2E_WORK/drives.txt
# KELVIX's health balloon (its lines read "#N  注意: ..."; PELITO's "健康状態   : ...").
health_balloon() { balloon_has "注意: "; }
# balloons_for SECONDS: how many times a health balloon appeared in that time.
balloons_for() {
    local end=$((SECONDS + $1)) shown=0 count=0
    while [ $SECONDS -lt $end ]; do
        if health_balloon; then
            [ $shown = 0 ] && count=$((count + 1))
            shown=1
        else
            shown=0
        fi
        sleep 0.5
    done
    echo $count
}
metrics() { curl -s --max-time 10 "http://127.0.0.1:$metrics_port/metrics"; }

win_bg "$E2E_WORK/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "the start-up balloon shows" wait_until 20 kvd windows tooltips_class32
check "it is no health balloon" test "$(balloons_for 1)" = 0
wait_until 30 no_tooltips
check_contains "healthy at start" 'kelvix_drive_health_state{drive="0",serial="5VM1ABCD",state="good"} 1' "$(metrics)"
check_contains "the NVMe drive warns at its own limit" \
    'kelvix_drive_warning_temperature_celsius{drive="1",serial="S5GXNF0R123456"} 80' "$(metrics)"

pelito_settings "[127.0.0.1]\r\nPort=$port\r\nTimeOut=2\r\nTimer=3\r\n"
win_bg "$pelito"
check "PELITO's main window appears" kvd wait-window ORVALD_TRAYICON_CLIENT "ORVALD TRAYICON_CLIENT" 20000
sleep 5  # PELITO's first poll has seen the drive good

check "measure now (read 2)" kvd command-times 32789 1
check_eq "no balloon while the count stays 0" 0 "$(balloons_for 3)"
check "measure now (read 3: 8 pending sectors)" kvd command-times 32789 1
check "the health balloon shows" wait_until 10 health_balloon
check_contains "it names the count and its rise" "#0  注意: 代替処理待ちのセクタが 0 から 8 に増加" "$E2E_BALLOON"
check "only drive 0 changed" fails grep -q '#2' <<<"$E2E_BALLOON"
shot health_balloon
page=$(metrics)
check_contains "metrics: caution" 'kelvix_drive_health_state{drive="0",serial="5VM1ABCD",state="caution"} 1' "$page"
check_contains "metrics: the pending count" 'kelvix_drive_ata_pending_sectors{drive="0",serial="5VM1ABCD"} 8' "$page"
check_contains "metrics: the old failing drive is bad" \
    'kelvix_drive_health_state{drive="2",serial="WCC6Y0ABCDEF",state="bad"} 1' "$page"
pelito_told() { balloon_has "健康状態   : 注意 (代替処理待ちのセクタが 0 から 8 に増加)"; }
check "PELITO's balloon tells the health" wait_until 15 pelito_told
shot pelito_balloon
wait_until 30 no_tooltips
# The tray: KELVIX's 60 (the NVMe drive, cool for its own limit) in warning colours for
# the bad drive, PELITO's 60 for the same drive in normal ones, PELITO's 30 for the bad
# drive in warning colours.
icon_at() { convert "$E2E_BUILD/screenshots/${E2E_NAME}_$2.png" -crop 16x16+"$1"+24 +repage txt:- | tail -n +2 | md5sum; }
# red_pixels X NAME: pixels of the icon at X whose red is strong and green weak.
red_pixels() {
    convert "$E2E_BUILD/screenshots/${E2E_NAME}_$2.png" -crop 16x16+"$1"+24 +repage txt:- | tail -n +2 \
        | sed -n 's/^[^(]*(\([0-9]*\),\([0-9]*\),.*/\1 \2/p' | awk '$1 > 150 && $2 < 100' | wc -l
}
shot tray_bad_drive
check "KELVIX's tray is in warning colours for the bad drive" test "$(red_pixels 5 tray_bad_drive)" -gt 10
check "PELITO shows the NVMe drive's 60 in normal colours" test "$(red_pixels 45 tray_bad_drive)" -eq 0
check "PELITO shows the bad drive in warning colours" test "$(red_pixels 65 tray_bad_drive)" -gt 10
check "KELVIX's 60 differs from PELITO's 60" test "$(icon_at 5 tray_bad_drive)" != "$(icon_at 45 tray_bad_drive)"
check "measure now (read 4: still 8)" kvd command-times 32789 1
check_eq "no second balloon for the same count" 0 "$(balloons_for 6)"
check "the baseline is kept" grep -q '^ST3500418AS:1.00:5VM1ABCD=caution 5:0 197:8<0' "$E2E_INI"

quit_kelvix "main window goes"
# A restart with the count steady at 8: caution still, and no balloon for it.
write_drives 8 "passed failing" "drive 3
model SIM SELFTEST
serial SIM3SELF
temperature 194 33
self-test-extended 1
self-test short passed 100
self-test extended read 250 4660000000
drive 4
model SIM VIEWERTEST
serial SIM4VIEW
temperature 194 31
attribute 9 0x0032 100 100 2C 01
self-test short passed 100
self-test-runs 2 read 4660
drive 5
nvme
model SIM NVME SELFTEST
serial SIM5NVME
temperature 34
health power-on-hours 300
nvme-self-test 1 0 100
nvme-self-test-runs 2 7 4660"
win_bg "$E2E_WORK/KELVIX_SIM.exe"
check "main window appears again" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "the new drive's balloon names its failed self-test" \
    wait_until 15 balloon_has "#3  危険: ドライブの自己診断で異常 (電源投入 250 時間, 最初の不良 LBA 4660000000)"
shot self_test_balloon
check_eq "no health balloon after the restart" 0 "$(balloons_for 8)"
check_contains "still caution after the restart" \
    'kelvix_drive_health_state{drive="0",serial="5VM1ABCD",state="caution"} 1' "$(metrics)"
check_contains "metrics: bad by its own self-test" \
    'kelvix_drive_health_state{drive="3",serial="SIM3SELF",state="bad"} 1' "$(metrics)"
check "measure now (read 2: the drive says it fails)" kvd command-times 32789 1
check "its balloon names the drive's own verdict" wait_until 10 balloon_has "#0  危険: ドライブ自身が故障の恐れを報告"
check_contains "metrics: bad by the drive's own verdict" \
    'kelvix_drive_health_state{drive="0",serial="5VM1ABCD",state="bad"} 1' "$(metrics)"

# The viewer starts short tests, on an ATA and on an NVMe drive.
viewer=S.M.A.R.T.
viewer_status() { kvd dialog-get-text "$viewer" 1007 | from_sjis | tr -d '\r'; }
status_has() { [[ "$(viewer_status)" == *"$1"* ]]; }
# The line is read and empty (a failed read is no empty line).
status_empty() { local line; line=$(kvd dialog-get-text "$viewer" 1007) && [ -z "$(tr -d '\r\n' <<<"$line")" ]; }
short_button_enabled() { test "$(kvd dialog-enabled "$viewer" 1005)" = "$1"; }
# One short test from the viewer on drive $1 (serial $2, shots named $3): the
# confirmation (its words are the native tables'), the progress over the drive's two readings,
# then the failed result in the balloon, the viewer and the metrics.
viewer_short_test() {
    local drive=$1 serial=$2 name=$3
    check "drive $drive chosen" kvd dialog-select "$viewer" 1004 "$drive"
    check "drive $drive: its Short self-test button can be pressed" short_button_enabled 1
    shot "${name}_before"
    check "drive $drive: Short self-test pressed" kvd dialog-click "$viewer" 1005
    check "drive $drive: a confirmation comes" kvd wait-box "自己診断" 10000
    shot "${name}_confirmation"
    kvd dismiss-boxes
    check "drive $drive: the viewer says the test runs" wait_until 15 status_has "自己診断を実行中、残り 90 %"
    check "drive $drive: the buttons are greyed meanwhile" short_button_enabled 0
    shot "${name}_running"
    check "measure now (drive $drive's last test reading)" kvd command-times 32789 1
    check "drive $drive: the viewer says less is left" status_has "自己診断を実行中、残り 40 %"
    check "measure now (drive $drive's test has ended)" kvd command-times 32789 1
    check "drive $drive: the balloon names the failed test" \
        wait_until 15 balloon_has "#$drive  危険: ドライブの自己診断で異常 (電源投入 300 時間, 最初の不良 LBA 4660)"
    check "drive $drive: the viewer no longer says it runs" wait_until 10 status_empty
    check "drive $drive: the buttons can be pressed again" short_button_enabled 1
    shot "${name}_after"
    check_contains "metrics: drive $drive bad by the test started from the viewer" \
        "kelvix_drive_health_state{drive=\"$drive\",serial=\"$serial\",state=\"bad\"} 1" "$(metrics)"
}
kvd command 32794
check "the S.M.A.R.T. viewer opens" kvd wait-window "#32770" "$viewer" 10000
viewer_short_test 4 SIM4VIEW self_test_viewer
# Drive 5, an NVMe drive, takes Device Self-test the same way: its self-test page tells the
# progress, then the failed segment's result.
viewer_short_test 5 SIM5NVME nvme_self_test
quit_kelvix "main window goes again"
e2e_end
