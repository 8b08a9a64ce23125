#!/usr/bin/env bash
# KELVIX_SIM with two disks, the second spinning down for a stretch of ticks: no
# S.M.A.R.T. command reaches it while it sleeps (the bus's counts), the monitor window,
# the balloon and the log say it sleeps, tempquery keeps its last temperature, and after
# waking it is read again. Then the same drive with a force-read count of 2.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_sleeping_drive
port=$(e2e_free_port)

install_kelvix_sim
# Drive 1 is in standby from its 3rd power check to its 6th; one check per tick.
drive_set <<'DRIVES'
counts counts.txt
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 30 31 32 33 34 35 36 37 38 39
drive 1
model WDC WD800JB-00JJC0
serial WMAJ91234567
temperature 194 40 41 42 43 44 45 46 47 48 49
sleep 3 6
DRIVES

# count DRIVE FIELD: one number of the bus's counts file (complete files only).
count() {
    local text; text=$(cat counts.txt 2>/dev/null)
    [[ "$text" == *end ]] || return 1
    awk -v d="$1" -v f="$2" '$1 == "drive" && $2 == d { for (i = 3; i < NF; i += 2) if ($i == f) print $(i + 1) }' <<<"$text"
}
checks_reached() { [ "$(count 1 checks)" -ge "$1" ] 2>/dev/null; }
log_lines() { if [ -f KELVIX.LOG ]; then wc -l < KELVIX.LOG; else echo 0; fi; }
lines_reached() { [ "$(log_lines)" -ge "$1" ]; }
# tick: "measure now", then wait for the drive's next power check and the cycle's log
# line, its last step.
tick() {
    local checks lines; checks=$(count 1 checks); lines=$(log_lines)
    kvd command 32789
    wait_until 15 checks_reached $((checks + 1)) || fail "power check after check $checks"
    wait_until 15 lines_reached $((lines + 1)) || fail "log line after line $lines"
}
report_has() { [[ "$(query "$port" 20 | tr -d '\r')" == *"$1"* ]]; }
cell_name() { kvd dialog-get-text "" $((1100 + $1)) | from_sjis | tr -d '\r'; }
cell_is() { [ "$(cell_name "$1")" = "$2" ]; }

run_monitor() {  # WAKE_AFTER
    rm -f counts.txt KELVIX.LOG
    printf '[Timer]\r\nCurrent=3600\r\nWakeAfter=%s\r\n[Information]\r\nUseInformation=1\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Common]\r\nUseLog=1\r\n' \
        "$1" "$port" > "$E2E_INI"
    start_kelvix_sim
    # The first measurement at start-up is power check 1.
    check "first power check" wait_until 20 checks_reached 1
    check "first log line" wait_until 20 lines_reached 1
    # The first measurement runs inside the window's creation: the ticks below are posted
    # only once start-up has finished and posted commands are handled.
    check "start-up has finished" kelvix_settled
}

stop_monitor() {
    kvd command 32799
    check "main window goes" kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" 20000
    wait_until 10 running 0
}

section="never woken"
run_monitor 0
# Enumeration read 40, the first measurement 41; tick 2 reads 42.
tick
check "$section: awake drive read at check 2" wait_until 20 report_has "#1  42/42 : WDC WD800JB-00JJC0"
awake_commands=$(count 1 smart)
tick   # check 3: asleep
wait_until 10 cell_is 1 "(スリープ中) WDC WD800JB-00JJC0"
check_eq "$section: drive 1 marked in the monitor window" "(スリープ中) WDC WD800JB-00JJC0" "$(cell_name 1)"
check_eq "$section: drive 0 unmarked" "ST380011A" "$(cell_name 0)"
shot monitor_window_sleeping
# A click shows the information balloon; the start-up one may still be up, so wait for
# the new text.
kvd tray-click 0x201
wait_until 15 balloon_has "(スリープ中)"
balloon=$(tooltips)
check_contains "$section: balloon marks the sleeping drive with its last temperature" \
"#0  33℃ : ST380011A
#1  42℃ : WDC WD800JB-00JJC0 (スリープ中)" "$balloon"
shot balloon_sleeping
tick   # check 4
tick   # check 5
check_contains "$section: tempquery keeps the last temperature" \
"#0  35/35 : ST380011A (1.00 5JV3ABCD)
#1  42/42 : WDC WD800JB-00JJC0 (1.00 WMAJ91234567)" "$(query "$port" 20 | tr -d '\r')"
tick   # check 6: the last one asleep
check_eq "$section: no S.M.A.R.T. command while asleep" 0 "$(count 1 asleep)"
check_eq "$section: the command count stood still" "$awake_commands" "$(count 1 smart)"
check "$section: the awake drive was read at every tick" test "$(count 0 smart)" -ge $((awake_commands + 4))
tick   # check 7: awake again, read 43
check "$section: after waking the temperature moves again" wait_until 20 report_has "#1  43/43 : WDC WD800JB-00JJC0"
wait_until 10 cell_is 1 "WDC WD800JB-00JJC0"
check_eq "$section: mark gone" "WDC WD800JB-00JJC0" "$(cell_name 1)"
shot monitor_window_awake
stop_monitor
# Start, then checks 2 to 7: four of them asleep.
log_pattern='^[0-9/]{10} [0-9:]{8}  3[0-9] (4[0-9]|ZZ) 00 00 00 00 00 00 00 00 00 00 00 00 00 00 '$'\r''$'
check_eq "$section: every log line has the form" "$(wc -l < KELVIX.LOG)" "$(grep -Ec "$log_pattern" KELVIX.LOG)"
check_eq "$section: four sleeping lines" 4 "$(grep -c '  3[0-9] ZZ ' KELVIX.LOG)"
check_eq "$section: three read lines" 3 "$(grep -Ec '  3[0-9] 4[0-9] ' KELVIX.LOG)"

section="force read after 2"
run_monitor 2
for _ in 1 2 3 4 5 6; do tick; done   # checks 2 to 7: 3 and 4 skipped, 5 read, 6 skipped, 7 awake
check_eq "$section: one forced read while asleep" 1 "$(count 1 asleep)"
stop_monitor
check_eq "$section: log lines" "42 ZZ ZZ 43 ZZ 44" \
    "$(sed -n '2,7p' KELVIX.LOG | awk '{ print $4 }' | tr '\n' ' ' | sed 's/ $//')"

e2e_end
