#!/usr/bin/env bash
# tempquery --check as a real Nagios runs it: a private Nagios 4 (its own configuration,
# status and check-result files in a scratch folder) checks a stand-in monitor on loopback
# through four services, and the states Nagios records in status.dat must be OK, WARNING,
# CRITICAL and UNKNOWN, with the performance data Nagios took from the plugin's output; a
# fifth service checks three hosts at once (one of them refusing) as one office.
#
#   nagios_check.sh TEMPQUERY REPORT_RESPONDER [NAGIOS]
set -euo pipefail

tempquery=$(realpath "$1")
responder=$(realpath "$2")
nagios=${3:-$(command -v nagios4 || echo /usr/sbin/nagios4)}
work=$(mktemp -d /tmp/kelvix-nagios.XXXXXX)
responder_pid=
nagios_pid=

# Nagios ends its workers when it is told to end.
finish() {
    set +e
    [ -n "$nagios_pid" ] && kill "$nagios_pid" 2>/dev/null && wait "$nagios_pid" 2>/dev/null
    [ -n "$responder_pid" ] && kill "$responder_pid" 2>/dev/null && wait "$responder_pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

fail() {
    echo "nagios_check: $*" >&2
    for f in nagios.log status.dat; do
        [ -f "$work/$f" ] && { echo "--- $f"; cat "$work/$f"; } >&2
    done
    exit 1
}

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
    local end=$((SECONDS + $1)); shift
    until "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.2
    done
}

[ -x "$nagios" ] || fail "no Nagios at $nagios (Debian package nagios4-core)"

"$responder" "$work/ports" "0:41:45:ST380011A" "1:52:58:WDC WD800JB" "3:0:0:It's=odd" &
responder_pid=$!
wait_for 20 test -s "$work/ports" || fail "the stand-in monitor did not start"
read -r port silent_port <"$work/ports"

mkdir -p "$work/checkresults"
user=$(id -un)
group=$(id -gn)
cat >"$work/nagios.cfg" <<CFG
log_file=$work/nagios.log
cfg_file=$work/objects.cfg
object_cache_file=$work/objects.cache
precached_object_file=$work/objects.precache
resource_file=$work/resource.cfg
status_file=$work/status.dat
status_update_interval=1
nagios_user=$user
nagios_group=$group
check_external_commands=0
command_file=$work/nagios.cmd
lock_file=$work/nagios.lock
query_socket=$work/nagios.qh
debug_file=$work/nagios.debug
debug_level=0
illegal_macro_output_chars=\`~\$&|'"<>
temp_file=$work/nagios.tmp
temp_path=$work
check_result_path=$work/checkresults
check_result_reaper_frequency=1
retain_state_information=0
state_retention_file=$work/retention.dat
interval_length=1
service_inter_check_delay_method=n
host_inter_check_delay_method=n
max_service_check_spread=1
max_host_check_spread=1
use_syslog=0
enable_notifications=0
enable_flap_detection=0
execute_host_checks=0
check_service_freshness=0
check_host_freshness=0
process_performance_data=0
enable_environment_macros=0
CFG
: >"$work/resource.cfg"

service() {  # description, arguments of tempquery
    local name=$1; shift
    cat <<OBJ
define command {
    command_name    kelvix_$name
    command_line    $tempquery --check $*
}
define service {
    host_name               kelvix-host
    service_description     $name
    check_command           kelvix_$name
    check_period            always
    max_check_attempts      1
    check_interval          2
    retry_interval          2
    notification_period     always
    notifications_enabled   0
}
OBJ
}

{
    cat <<OBJ
define timeperiod {
    timeperiod_name always
    alias           always
    sunday          00:00-24:00
    monday          00:00-24:00
    tuesday         00:00-24:00
    wednesday       00:00-24:00
    thursday        00:00-24:00
    friday          00:00-24:00
    saturday        00:00-24:00
}
define contact {
    contact_name                    nobody
    host_notifications_enabled      0
    service_notifications_enabled   0
    host_notification_period        always
    service_notification_period     always
    host_notification_options       n
    service_notification_options    n
    host_notification_commands      kelvix_ok
    service_notification_commands   kelvix_ok
}
define host {
    host_name               kelvix-host
    address                 127.0.0.1
    max_check_attempts      1
    check_period            always
    notification_period     always
    notifications_enabled   0
    contacts                nobody
}
OBJ
    service ok -p "$port" -w 60 -c 70 '$HOSTADDRESS$'
    service warning -p "$port" -w 50 -c 60 localhost
    service critical -p "$port" -w 40 -c 50 '$HOSTADDRESS$'
    service unknown -p "$silent_port" -t 0.2 -r 2 -w 40 -c 50 '$HOSTADDRESS$'
    service office -p "$port" -t 0.2 -r 1 -w 50 -c 60 '$HOSTADDRESS$' localhost 127.0.0.2
} >"$work/objects.cfg"

"$nagios" -v "$work/nagios.cfg" >"$work/verify.log" 2>&1 || { cat "$work/verify.log" >&2; fail "Nagios refused the configuration"; }
"$nagios" "$work/nagios.cfg" >"$work/nagios.out" 2>&1 &
nagios_pid=$!

# service_field SERVICE FIELD: the field's value in the service's block of status.dat.
service_field() {
    awk -v svc="$1" -v field="$2" '
        /^servicestatus \{/ { inblock = 1; name = ""; value = ""; next }
        inblock && /^\t}/ { if (name == svc) { print value; found = 1 } inblock = 0; next }
        inblock {
            line = $0; sub(/^\t/, "", line)
            eq = index(line, "=")
            key = substr(line, 1, eq - 1)
            if (key == "service_description") name = substr(line, eq + 1)
            if (key == field) value = substr(line, eq + 1)
        }
        END { exit found ? 0 : 1 }' "$work/status.dat" 2>/dev/null
}

all_checked() {
    local s
    for s in ok warning critical unknown office; do
        [ "$(service_field "$s" has_been_checked)" = 1 ] || return 1
    done
}

wait_for 50 all_checked || fail "Nagios did not check all five services"

passed=0
expect() {  # service, state number, output prefix
    local state output
    state=$(service_field "$1" current_state)
    output=$(service_field "$1" plugin_output)
    if [ "$state" != "$2" ] || [ "${output#"$3"}" = "$output" ]; then
        fail "service $1: state $state, output \"$output\"; expected state $2, output \"$3...\""
    fi
    passed=$((passed + 1))
}
perfdata="'drive0 ST380011A'=41;50;60 'drive1 WDC WD800JB'=52;50;60 'drive3 It''s_odd'=U;50;60"
expect ok 0 "KELVIX OK - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives, warning above 60, critical above 70"
expect warning 1 "KELVIX WARNING - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives, warning above 50, critical above 60"
expect critical 2 "KELVIX CRITICAL - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives"
expect unknown 3 "KELVIX UNKNOWN - no answer from 127.0.0.1 port $silent_port after 2 tries of 0.2 s"
expect office 1 "KELVIX WARNING - 2 drives need attention: 127.0.0.1 drive 1 (WDC WD800JB) at 52 C, localhost drive 1 (WDC WD800JB) at 52 C, 1 host silent: 127.0.0.2, 6 drives (2 without temperature) on 2 of 3 hosts, warning above 50, critical above 60"
recorded=$(service_field warning performance_data)
[ "$recorded" = "$perfdata" ] || fail "performance data recorded: \"$recorded\"; expected \"$perfdata\""
office_perfdata="'hosts answered'=2 'hosts silent'=1 '127.0.0.1 drive0'=41;50;60 '127.0.0.1 drive1'=52;50;60 '127.0.0.1 drive3'=U;50;60 'localhost drive0'=41;50;60 'localhost drive1'=52;50;60 'localhost drive3'=U;50;60"
recorded=$(service_field office performance_data)
[ "$recorded" = "$office_perfdata" ] || fail "office performance data: \"$recorded\"; expected \"$office_perfdata\""
# The long output: every problem on a line of its own (Nagios keeps the lines as \n).
long=$(service_field office long_plugin_output)
case "$long" in
    *"127.0.0.1 drive 1 (WDC WD800JB): 52 C, above 50"*"\\n"*"127.0.0.2: "*) ;;
    *) fail "office long output: \"$long\"" ;;
esac
echo "nagios_check: $((passed + 3)) checks passed"
