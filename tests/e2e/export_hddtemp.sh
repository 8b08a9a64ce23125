#!/usr/bin/env bash
# KELVIX_SIM's hddtemp-compatible service read by a real client: netdata's hddtemp
# module (python.d, run from the command line without the daemon) sees every simulated
# drive with its temperature; the raw answer has hddtemp's form, ERR for the failing
# drive; and turning the service off in the settings dialog closes the port.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" export_hddtemp
install_kelvix_sim
drive_set < "$(dirname "$0")/export_drives.txt"
port=$(e2e_free_tcp_port)
printf '[Network]\r\nReportsPerSecond=0\r\n[Export]\r\nHddtempPort=%s\r\nListenAddress=127.0.0.1\r\n' "$port" > "$E2E_INI"

# hddtemp_answer: what one connection to the service gives (the service closes it).
hddtemp_answer() { timeout 10 bash -c 'exec 3<>/dev/tcp/127.0.0.1/'"$port"' && cat <&3'; }
listening() { ss -Htln "sport = :$port" | grep -q .; }
# Each try connects again: the failing drive reads ERR once its reads have failed.
answer_has_err() { hddtemp_answer | grep -q ERR; }

win_bg "$E2E_WORK/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "the service listens" wait_until 20 listening
# Drive 3 fails from its second read on: the measurement at start took enumeration's
# first, so one more makes it fail.
kvd command 32789
check "the failing drive's record reads ERR" wait_until 20 answer_has_err
check_eq "raw answer in hddtemp's form, one record per drive" \
"|/dev/PhysicalDrive0|ST380011A|35|C||/dev/PhysicalDrive1|Samsung SSD 980 PRO 1TB|44|C||/dev/PhysicalDrive2|WDC WD800JB-00JJC0|38|C||/dev/PhysicalDrive3|Maxtor 6Y080L0|ERR|*|" \
    "$(hddtemp_answer)"

# netdata's python.d plugin with only the hddtemp module and a private configuration.
mkdir -p netdata/python.d netdata/lib
printf 'enabled: yes\ndefault_run: no\nhddtemp: yes\n' > netdata/python.d.conf
printf 'kelvix:\n  name: kelvix\n  host: 127.0.0.1\n  port: %s\n  update_every: 1\n' "$port" > netdata/python.d/hddtemp.conf
NETDATA_USER_CONFIG_DIR=$E2E_WORK/netdata NETDATA_LIB_DIR=$E2E_WORK/netdata/lib \
    python3 /usr/lib/netdata/plugins.d/python.d.plugin 1 hddtemp nolock > netdata.out 2> netdata.err &
E2E_PIDS+=($!)
netdata_pid=$!
# Two collections in a row: the first chart update carries every drive.
collected_twice() { test "$(grep -c '^END' netdata.out)" -ge 2; }
wait_until 30 collected_twice
kill "$netdata_pid" 2>/dev/null
for expected in "PhysicalDrive0 = 35" "PhysicalDrive1 = 44" "PhysicalDrive2 = 38"; do
    check "netdata reads $expected" grep -q "^SET '\?${expected%% *}'\? = ${expected##* }\$" netdata.out
done
check "netdata made a chart line for each readable drive" \
    test "$(grep -c "^DIMENSION 'PhysicalDrive[0-2]'" netdata.out)" -eq 3
check "the failing drive gives netdata no number" bash -c "! grep -q \"^SET 'PhysicalDrive3' = [0-9]\" netdata.out"

# The settings dialog turns the service off: the port closes.
kvd command 32791
check "settings dialog opens" kvd wait-window "#32770" "設定画面" 10000
check "the service stops while the dialog is open" wait_until 10 bash -c "! ss -Htln 'sport = :$port' | grep -q ."
# The dialog window exists a moment before its fields are filled.
shows_port() { test "$(kvd dialog-get-text "設定画面" 1026 | tr -d '\r')" = "$port"; }
check "dialog shows the port" wait_until 10 shows_port
kvd dialog-set-text "設定画面" 1026 0
shot settings_dialog
kvd dialog-click "設定画面" 1
check "settings dialog closes" kvd wait-gone "#32770" "設定画面" 10000
# The dialog's end has restarted what is on; the UDP service is off here, so the main
# window answering a command proves the restart has run.
kvd command-times 0 1
check "after the dialog the port stays closed" bash -c "! ss -Htln 'sport = :$port' | grep -q ."
check_eq "the new setting is saved" "HddtempPort=0" "$(grep -a HddtempPort "$E2E_INI" | tr -d '\r')"

quit_kelvix "main window goes"
e2e_end
