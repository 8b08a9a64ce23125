#!/usr/bin/env bash
# Without a readable temperature KELVIX starts stopped and shows the no-temperature
# picture; the real KELVIX.exe (Wine has no S.M.A.R.T. drives) does the same.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_no_temperature
# Installed as a user would: the programs and their files in one folder.
install_kelvix_sim KELVIX.exe
# A one-second timer (the dialog would not allow it, the file does): were measuring
# started, the log would grow every second.
printf '[Common]\r\nUseLog=1\r\n[Timer]\r\nCurrent=1\r\n' > "$E2E_INI"

# tray_colours NAME: how many colours the tray icon's square has now.
tray_colours() {
    shot "$1"
    convert "$E2E_BUILD/screenshots/${E2E_NAME}_$1.png" -crop 16x16+5+24 +repage -format %k info:
}
tray_has_picture() { test "$(tray_colours "$1")" -ge 2; }
log_lines() { if [ -f KELVIX.LOG ]; then wc -l < KELVIX.LOG; else echo 0; fi; }
log_grew_from() { test "$(log_lines)" -gt "$1"; }

drive_set <<'DRIVES'
drive 0
model ST380011A
fail attributes from 1
drive 1
model NOT IN THE DATABASE
drive 2
model WDC WD800JB-00JJC0
fail thresholds
DRIVES
# Started as the task scheduler starts it at logon: in System32. The drive database,
# glyph file and log are still the ones beside the program.
system32=$WINEPREFIX/drive_c/windows/system32
cd "$system32" || exit 1
win_bg "$programs/KELVIX_SIM.exe"
cd "$E2E_WORK" || exit 1
check "simulated monitor starts from System32" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "start-up has finished" kelvix_settled
check "the tray shows a picture, not an empty square" wait_until 20 tray_has_picture simulated_no_temperature
sim_picture=$(tray_picture simulated_no_temperature)
check "no balloon without a temperature" no_tooltips
kvd tray-click 0x201
check "the click has been handled" kelvix_settled
# The click timer shows the balloon after the double-click time: watched for the whole
# time it could come, re-read every 0.2 s (a probe that fails counts as a balloon).
check "a click shows nothing without a temperature" fails wait_until 3 fails no_tooltips
# Stopped with no temperature: the double click may not start measuring. The picture is
# the same stopped or measuring, so the one-second timer's log lines tell.
lines=$(log_lines)
kvd tray-click 0x203
check "the double click has been handled" kelvix_settled
# Measuring at the one-second timer would add a line within a second or two.
check "double click cannot start measuring: the log does not grow" fails wait_until 3 log_grew_from "$lines"
check_eq "the tray picture stays" "$sim_picture" "$(tray_picture after_double_click)"
quit_kelvix "simulated monitor ends"
# The log still gets a line per measurement, every drive at 00.
log_pattern='^[0-9/]{10} [0-9:]{8}  (00 ){16}'$'\r''$'
check "no log in System32" test ! -e "$system32/KELVIX.LOG"
check "start-up measurement logged" test "$(wc -l < KELVIX.LOG)" -ge 1
check_eq "every log line shows no temperature" "$(wc -l < KELVIX.LOG)" "$(grep -Ec "$log_pattern" KELVIX.LOG)"

unset KELVIX_DRIVESET
win_bg "$programs/KELVIX.exe"
check "real monitor starts under Wine" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "real monitor's start-up has finished" kelvix_settled
check_eq "no message box" "" "$(boxes)"
real_shows_sim_picture() { test "$(tray_picture real_no_drives)" = "$sim_picture"; }
check "real monitor shows the same no-temperature picture" wait_until 20 real_shows_sim_picture
kvd command 32799
# On a loaded machine the first close can arrive while start-up still runs: ask again.
kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" 20000 || kvd command 32799
check "real monitor ends" kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" 40000

e2e_end
