#!/usr/bin/env bash
# KELVIX_SIM's door: a sender outside AllowedHosts gets no answer and opens no notice (the
# about dialog counts it), the default list answers this machine as before, and a flood
# of report requests from one address gets only its few answers while tempquery's polls
# from another address keep being answered. Sources 127.0.0.2 and 127.0.0.3 are other
# addresses of this machine, used by a native sender (udp_flood.py); tempquery under
# Wine asks from 127.0.0.1.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_access
port_bound() { ss -Hunl "sport = :$1" | grep -q .; }
flood() { python3 "$(dirname "$0")/udp_flood.py" "$@"; }
about_title="バージョン情報"
# refused_line: the about dialog's line on unanswered requests; the dialog is closed again.
refused_line() {
    kvd command 32798
    wait_until 20 kvd dialog-get-text "$about_title" 1005 >/dev/null
    kvd dialog-get-text "$about_title" 1005 | from_sjis | tr -d '\r'
}
close_about() {
    kvd dialog-click "$about_title" 1
    wait_until 20 no_boxes
}

install_kelvix_sim
drive_set <<'DRIVES'
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 45
DRIVES
expected_report="#0  45/45 : ST380011A (1.00 5JV3ABCD)"

start() {
    start_kelvix_sim "$1"
    check "$1: server listens" wait_until 30 port_bound "$port"
}
# stop SECTION: the exit stops the worker with a datagram from 127.0.0.1, which has to
# work whatever the list says: the program ends only once its worker has.
stop() {
    quit_kelvix "$1: main window goes"
    wait_until 20 running 0
    check_eq "$1: process has ended" 0 "$(copies)"
}

# ---- 1. A list without 127.0.0.1 --------------------------------------------------
section="127.0.0.1 not allowed"
port=$(e2e_free_port)
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\nAllowedHosts=127.0.0.2, 127.0.0.3/32\r\n' "$port" > "$E2E_INI"
start "$section"
# Each flood call ends with an echo from 127.0.0.3 answered: the server has seen the rest.
check_eq "$section: report requests get nothing" 0 "$(flood 127.0.0.1 127.0.0.3 "$port" 3 01 | tr -d '\r')"
check_eq "$section: echoes get nothing" 0 "$(flood 127.0.0.1 127.0.0.3 "$port" 2 00 | tr -d '\r')"
check_eq "$section: unknown commands get nothing" 0 "$(flood 127.0.0.1 127.0.0.3 "$port" 2 02 | tr -d '\r')"
check_eq "$section: an allowed address is answered" 1 "$(flood 127.0.0.2 127.0.0.3 "$port" 1 01 | tr -d '\r')"
# Counted as refused, so the worker decided on them: no notice is on its way.
check_eq "$section: no notice" "" "$(boxes)"
line=$(refused_line)
shot about_refused
close_about
check_eq "$section: the about dialog counts them" "応答しなかった要求: 許可外 7 件 / 回数制限 0 件" "$line"
check_eq "$section: still no notice" "" "$(boxes)"
stop "$section"

# ---- 2. The default list: this machine is answered as before -----------------------
section="default list"
port=$(e2e_free_port)
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\n' "$port" > "$E2E_INI"
start "$section"
check_eq "$section: tempquery is answered" "$expected_report" "$(query "$port" 20 | tr -d '\r')"
check_eq "$section: 127.0.0.2 is answered" 3 "$(flood 127.0.0.2 127.0.0.3 "$port" 3 01 | tr -d '\r')"

# ---- 3. A flood from one address beside ordinary polls from another -----------------
section="flood"
# The default: 5 answers a second to one address, 10 at once after a quiet time.
answered=0
begin=$(date +%s%N)
for slice in $(seq 10); do
    got=$(flood 127.0.0.2 127.0.0.3 "$port" 1000 01 | tr -d '\r')
    [[ $got =~ ^[0-9]+$ ]] || { fail "$section: slice $slice ran" "$got"; got=0; }
    answered=$((answered + got))
    check_eq "$section: tempquery's poll $slice is answered" "$expected_report" "$(query "$port" 20 | tr -d '\r')"
done
end=$(date +%s%N)
# 127.0.0.2 had asked 3 times a moment before: its bucket counts from then on.
bound=$(( 10 + (5 * (end - begin) + 999999999) / 1000000000 ))
check "$section: 10,000 requests got $answered answers, at most $bound" test "$answered" -le "$bound"
check "$section: the burst was answered" test "$answered" -ge 7
line=$(refused_line)
close_about
check_contains "$section: the about dialog counts the refused ones" "回数制限" "$line"
limited=$(sed -E 's/.*回数制限 ([0-9]+) 件.*/\1/' <<<"$line")
# Many of the 10,000 never reach the worker (its queue overflows under Wine), but it
# refused more than the limit could ever have let through: the limit did the work.
check "$section: the worker refused $limited, more than $bound" test "$limited" -gt "$bound"
check_eq "$section: no message box" "" "$(boxes)"
stop "$section"

e2e_end
