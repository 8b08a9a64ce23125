#!/usr/bin/env bash
# KELVIX_SIM's notifications to a receiver on loopback: the events of a scripted run each
# once with their facts, the command with its environment, the test button's result in
# the notifications dialog (screenshots), and a receiver that hangs leaving measurement
# and report answers on time.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_notify
programs=$E2E_BUILD/monitor
tempquery=$E2E_BUILD/query/tempquery.exe
cp "$programs/KELVIX_SIM.exe" "$programs/HDDATA.CFG" "$programs/7SEG_G.KVX" .
programs=$E2E_WORK

# receiver FILE [MODE]: starts notify_receiver.py; its port in $receiver_port.
receiver() {
    python3 "$(dirname "$0")/notify_receiver.py" "$@" > "$1.port" &
    E2E_PIDS+=($!)
    wait_until 10 test -s "$1.port"
    receiver_port=$(head -1 "$1.port")
}
events() { jq -r '.body | fromjson | "\(.event) \(.drive) \(.serial)"' requests.jsonl 2>/dev/null; }
has_events() { [ "$(events | wc -l)" -ge "$1" ]; }

# The scripted run (warning temperature 40 °C): drive 1 heats and cools, drive 2's
# pending count rises, drive 3 stops reading; lists stop early and stay.
cat > drives.txt <<'DRIVES'
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 35
drive 1
model WDC WD800JB-00JJC0
serial WMAJ91234567
temperature 194 35 35 45 45 45 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34 34
drive 2
model ST4000DM004-2CV104
serial ZFN1ABCD
temperature 194 33
attribute 197 0x0012 100 100 00
raw 197 0 0 0 8
drive 3
model Maxtor 6Y080L0
serial Y2ABCDEF
temperature 194 36
fail attributes from 5
DRIVES
export KELVIX_DRIVESET=$E2E_WORK/drives.txt
receiver requests.jsonl
command_out=$(winepath -w "$E2E_WORK/command.txt")
printf '[Timer]\r\nCurrent=3600\r\n[Notify]\r\nUrl=http://127.0.0.1:%s/kelvix/topic-secret\r\nHeader1=Authorization: Bearer s3cr3t\r\nCommand=set KELVIX_>> "%s"\r\nRetryWait=1\r\n' \
    "$receiver_port" "$command_out" > "$E2E_INI"

win_bg "$programs/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "KELVIX has started" kelvix_settled
for _ in $(seq 12); do  # one measurement at a time until the four events are in
    kvd command-times 32789 1
    has_events 4 && break
done
check "KELVIX_SIM settled" kelvix_settled
sleep 2  # anything more would come now
check_eq "exactly the events of the run, each once" "cooled 1 WMAJ91234567
health_worse 2 ZFN1ABCD
hot 1 WMAJ91234567
lost 3 Y2ABCDEF" "$(events | sort)"
fact() { jq -r ".body | fromjson | select(.event == \"$1\") | $2" requests.jsonl; }
check_eq "the hot event's facts" "45 40 hot WDC WD800JB-00JJC0" "$(fact hot '"\(.temperature) \(.warning_temperature) \(.temperature_state) \(.model)"')"
check_eq "the cooled event's facts" "34 normal" "$(fact cooled '"\(.temperature) \(.temperature_state)"')"
check_eq "the lost event has no temperature" "null not_answering" "$(fact lost '"\(.temperature) \(.temperature_state)"')"
# The drive that stopped answering as a person sees it in the balloon: since when (the
# lost event's time at this machine's local time), never its old 36.
since="$(date -d "$(fact lost .time)" +%H:%M) から応答なし"
check "a click shows the balloon" click_for_balloon "から応答なし"
check_contains "the balloon says since when instead of its old value" "#3  --℃ : Maxtor 6Y080L0 ($since)" "$E2E_BALLOON"
shot balloon_not_answering
check_eq "the health event's facts" "caution good attribute 197 (current pending sectors) rose from 0 to 8" \
    "$(fact health_worse '"\(.health) \(.previous_health) \(.reasons[0])"')"
check_eq "the token header reached the receiver" "Bearer s3cr3t" "$(jq -r '.headers.Authorization' requests.jsonl | head -1)"
commands_done() { [ "$(grep -c 'command (try 1 of 4): delivered' NOTIFY.LOG)" -ge 4 ]; }
check "the command ran for each event" wait_until 20 commands_done
check "the command got the event in its environment" grep -q '^KELVIX_EVENT=lost' command.txt
check "the command got the serial" grep -q '^KELVIX_SERIAL=Y2ABCDEF' command.txt
check "the log tells the delivery" grep -q "notify: lost (drive 3) to http://127.0.0.1:$receiver_port/kelvix/\*\*\*\* (try 1 of 4): delivered: HTTP status 200" NOTIFY.LOG
check "the log tells the command's status" grep -q 'notify: lost (drive 3) command (try 1 of 4): delivered: exit status 0' NOTIFY.LOG
if grep -q -e s3cr3t -e topic-secret NOTIFY.LOG; then fail "no token in the log" "$(cat NOTIFY.LOG)"; else pass "no token in the log"; fi

# The about dialog counts them.
kvd command 32798
check "about dialog opens" kvd wait-window "#32770" "バージョン情報" 10000
about_counts() { kvd dialog-get-text "バージョン情報" 1006 | from_sjis | tr -d '\r'; }
about_shown() { [ -n "$(about_counts)" ]; }
wait_until 10 about_shown
check_eq "about dialog counts" "通知: 届いた 8 件、届かなかった 0 件" "$(about_counts)"
kvd dialog-click "バージョン情報" 1
kvd wait-gone "#32770" "バージョン情報" 10000

# The test button, from the settings dialog's "通知..." button.
kvd command 32791
check "settings dialog opens" kvd wait-window "#32770" "設定画面" 10000
kvd dialog-click "設定画面" 1035
check "notifications dialog opens" kvd wait-window "#32770" "通知の設定" 10000
check_eq "the URL is shown masked" "http://127.0.0.1:$receiver_port/kelvix/****" "$(kvd dialog-get-text "通知の設定" 1101 | tr -d '\r')"
check_eq "the token header is shown masked" "Authorization: ****" "$(kvd dialog-get-text "通知の設定" 1104 | tr -d '\r')"
result() { kvd dialog-get-text "通知の設定" 1109 | from_sjis | tr -d '\r'; }
result_is() { [[ "$(result)" == "$1"* ]]; }
kvd dialog-click "通知の設定" 1108
check "the test result is shown" wait_until 20 result_is "届きました"
check_eq "the test result in words" "届きました: web request: HTTP status 200; command: exit status 0" "$(result)"
check "the receiver got the test event" wait_until 10 grep -q '\\"event\\":\\"test\\"' requests.jsonl
shot test_delivered
closed_port=$(e2e_free_port)
kvd dialog-set-text "通知の設定" 1101 "http://127.0.0.1:$closed_port/x"
kvd dialog-set-text "通知の設定" 1107 ""
kvd dialog-click "通知の設定" 1108
check "the failure is shown" wait_until 30 result_is "届きませんでした"
check_contains "the failure in words" "届きませんでした: web request: no answer (WinHTTP error 12029: could not connect)" "$(result)"
shot test_failed
kvd dialog-click "通知の設定" 2
kvd wait-gone "#32770" "通知の設定" 10000
kvd dialog-click "設定画面" 2
check "settings dialog closes" kvd wait-gone "#32770" "設定画面" 10000
check "cancel keeps the saved URL" grep -q "^Url=http://127.0.0.1:$receiver_port/kelvix/topic-secret" "$E2E_INI"
quit_kelvix "KELVIX ends"

# Never in the way: five measurements and a report answer timed before the receiver
# hangs (30 s on every request) and while it hangs, in one run; then quitting.
printf 'drive 0\nmodel ST380011A\ntemperature 194 35\ndrive 1\nmodel Maxtor 6Y080L0\nserial Y2ABCDEF\ntemperature 194 36\nfail attributes from 8\n' > drives.txt
receiver hang.jsonl hang
report_port=$(e2e_free_port)
printf '[Timer]\r\nCurrent=3600\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Notify]\r\nUrl=http://127.0.0.1:%s/t\r\nRequestTimeout=30\r\n' \
    "$report_port" "$receiver_port" > "$E2E_INI"
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# timed: "<ms for five measurements> <ms for a report>"
timed() {
    local start measured
    start=$(now_ms)
    kvd command-times 32789 5
    measured=$(( $(now_ms) - start ))
    start=$(now_ms)
    KELVIX_QUERY_PORT=$report_port timeout 20 wine64 "$tempquery" -t 0 127.0.0.1 </dev/null >/dev/null
    echo "$measured $(( $(now_ms) - start ))"
}
win_bg "$programs/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "KELVIX has started" kelvix_settled
read -r quick_measure quick_answer < <(timed)  # reads 2 to 6: nothing to send
kvd command-times 32789 4                      # read 8 fails: the event goes out and hangs
check "the hanging receiver got the event" wait_until 20 test -s hang.jsonl
read -r hung_measure hung_answer < <(timed)
start=$(now_ms)
quit_kelvix "KELVIX ends"
stopped=$(( $(now_ms) - start ))
echo "idle sender:      5 measurements ${quick_measure} ms, report ${quick_answer} ms"
echo "receiver hanging: 5 measurements ${hung_measure} ms, report ${hung_answer} ms, quit ${stopped} ms"
check "measurements are not held up by a hanging receiver" test "$hung_measure" -lt $((quick_measure + 1000))
check "report answers are not held up by a hanging receiver" test "$hung_answer" -lt $((quick_answer + 1000))
check "quitting waits at most the sender's 2 s (and Wine's own time to end)" test "$stopped" -lt 10000

e2e_end
