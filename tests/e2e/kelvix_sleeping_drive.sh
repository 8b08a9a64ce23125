#!/usr/bin/env bash
# KELVIX_SIM with two disks, the second spinning down for a stretch of ticks: no
# S.M.A.R.T. command reaches it while it sleeps (the bus's counts), the monitor window,
# the balloon and the log say it sleeps, tempquery keeps its last temperature, and after
# waking it is read again. Then the same drive with a force-read count of 2. Last, two
# drives asleep when KELVIX starts (one behind a USB bridge): only the power question
# reaches them until they wake, they are shown by the early identity Windows gives, then
# by their own, and the worst values keep one entry per drive.
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

run_monitor() {  # WAKE_AFTER [MORE_INI_LINES]
    rm -f counts.txt KELVIX.LOG
    printf '[Timer]\r\nCurrent=3600\r\nWakeAfter=%s\r\n[Information]\r\nUseInformation=1\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Common]\r\nUseLog=1\r\n%s' \
        "$1" "$port" "${2:-}" > "$E2E_INI"
    start_kelvix_sim
    # Enumeration's power question is check 1; the first measurement asks nothing more.
    check "first power check" wait_until 20 checks_reached 1
    check "first log line" wait_until 20 lines_reached 1
    # The first measurement runs inside the window's creation: the ticks below are posted
    # only once start-up has finished and posted commands are handled.
    check "start-up has finished" kelvix_settled
}

stop_monitor() {
    quit_kelvix "main window goes"
    wait_until 10 running 0
}

section="never woken"
run_monitor 0
# Enumeration read 40, which the first measurement takes; tick 2 reads 41.
tick
check "$section: awake drive read at check 2" wait_until 20 report_has "#1  41/41 : WDC WD800JB-00JJC0"
awake_commands=$(count 1 smart)
tick   # check 3: asleep
wait_until 10 cell_is 1 "(スリープ中) WDC WD800JB-00JJC0"
check_eq "$section: drive 1 marked in the monitor window" "(スリープ中) WDC WD800JB-00JJC0" "$(cell_name 1)"
check_eq "$section: drive 0 unmarked" "ST380011A" "$(cell_name 0)"
shot monitor_window_sleeping
# A click shows the information balloon; the start-up one may still be up, so wait for
# the new text.
click_for_balloon "(スリープ中)"
check_contains "$section: balloon marks the sleeping drive with its last temperature" \
"#0  32℃ : ST380011A
#1  41℃ : WDC WD800JB-00JJC0 (スリープ中)" "$E2E_BALLOON"
shot balloon_sleeping
tick   # check 4
tick   # check 5
check_contains "$section: tempquery keeps the last temperature" \
"#0  34/34 : ST380011A (1.00 5JV3ABCD)
#1  41/41 : WDC WD800JB-00JJC0 (1.00 WMAJ91234567)" "$(query "$port" 20 | tr -d '\r')"
tick   # check 6: the last one asleep
check_eq "$section: no S.M.A.R.T. command while asleep" 0 "$(count 1 asleep)"
check_eq "$section: the command count stood still" "$awake_commands" "$(count 1 smart)"
check "$section: the awake drive was read at every tick" test "$(count 0 smart)" -ge $((awake_commands + 4))
tick   # check 7: awake again, read 42
check "$section: after waking the temperature moves again" wait_until 20 report_has "#1  42/42 : WDC WD800JB-00JJC0"
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
check_eq "$section: one forced read while asleep, with its RETURN STATUS" 2 "$(count 1 asleep)"
stop_monitor
check_eq "$section: log lines" "41 ZZ ZZ 42 ZZ 43" \
    "$(sed -n '2,7p' KELVIX.LOG | awk '{ print $4 }' | tr '\n' ' ' | sed 's/ $//')"

section="asleep at start"
# Drives 1 and 2 are in standby before anything reaches them, through their 3rd power
# check; drive 2 sits behind a USB bridge. Drive 1 kept a worst value of 47 before.
drive_set asleep.txt <<'DRIVES'
counts counts.txt
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 30 31 32 33 34 35 36 37 38 39
drive 1
model WDC WD800JB-00JJC0
serial WMAJ91234567
temperature 194 40 41 42 43 44 45 46 47 48 49
sleep start 3
drive 2
model HGST HTS721010A9E630
serial JR1000D3ABCDEF
bridge sat16
temperature 194 36 37 38 39
sleep start 3
DRIVES
run_monitor 0 $'[Worst]\r\nWDC WD800JB-00JJC0:1.00:WMAJ91234567=0x2F\r\n'
for drive in 1 2; do
    check_eq "$section: drive $drive got only the power question at start" "0 0 1 1" \
        "$(count $drive smart) $(count $drive asleep) $(count $drive checks) $(count $drive sleeping)"
done
# Windows' device descriptor of an ATA disk: vendor ATA, the model cut to 16 characters.
wait_until 10 cell_is 2 "(スリープ中) ATA HGST HTS721010A9"
check_eq "$section: drive 1 shown by its early identity" "(スリープ中) ATA WDC WD800JB-00JJ" "$(cell_name 1)"
check_eq "$section: drive 2 too" "(スリープ中) ATA HGST HTS721010A9" "$(cell_name 2)"
check_eq "$section: drive 0 read as usual" "ST380011A" "$(cell_name 0)"
shot monitor_window_asleep_at_start
click_for_balloon "--℃"
check_contains "$section: the balloon lists them without a temperature" \
"#0  30℃ : ST380011A
#1  --℃ : ATA WDC WD800JB-00JJ (スリープ中)
#2  --℃ : ATA HGST HTS721010A9 (スリープ中)" "$E2E_BALLOON"
shot balloon_asleep_at_start
check_contains "$section: the report keeps its layout, no temperature yet" \
"#0  30/30 : ST380011A (1.00 5JV3ABCD)
#1   0/ 0 : ATA WDC WD800JB-00JJ (1.00 WMAJ91234567)
#2   0/ 0 : ATA HGST HTS721010A9 (1.00 JR1000D3ABCDEF)" "$(query "$port" 20 | tr -d '\r')"
tick   # check 2
tick   # check 3: the last one asleep
for drive in 1 2; do
    check_eq "$section: drive $drive still got no other command" "0 0" "$(count $drive smart) $(count $drive asleep)"
done
tick   # check 4: awake, identity and first read
check "$section: after waking, their own identity and first reading" wait_until 20 report_has \
"#1  40/47 : WDC WD800JB-00JJC0 (1.00 WMAJ91234567)
#2  36/36 : HGST HTS721010A9E630 (1.00 JR1000D3ABCDEF)"
wait_until 10 cell_is 1 "WDC WD800JB-00JJC0"
check_eq "$section: the monitor window names drive 1 in full" "WDC WD800JB-00JJC0" "$(cell_name 1)"
shot monitor_window_woken_at_start
for drive in 1 2; do
    check_eq "$section: drive $drive: nothing reached it asleep" 0 "$(count $drive asleep)"
done
stop_monitor
worst=$(sed -n '/^\[Worst\]/,/^\[/p' "$E2E_INI" | tr -d '\r' | grep '=')
check_eq "$section: one worst entry per drive, under its own identity" \
"WDC WD800JB-00JJC0:1.00:WMAJ91234567=0x2F
ST380011A:1.00:5JV3ABCD=0x21
HGST HTS721010A9E630:1.00:JR1000D3ABCDEF=0x24" "$worst"
check_eq "$section: log lines" "30 ZZ ZZ|31 ZZ ZZ|32 ZZ ZZ|33 40 36" \
    "$(awk '{ print $3, $4, $5 }' KELVIX.LOG | tr '\n' '|' | sed 's/|$//')"

e2e_end
