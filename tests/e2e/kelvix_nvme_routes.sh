#!/usr/bin/env bash
# KELVIX_SIM with an NVMe SSD behind each USB bridge family (JMicron, ASMedia, Realtek),
# one behind Intel RST and one behind a bridge that garbles the health log: tray balloon
# and digits, tempquery, the metrics page, and the monitor window, S.M.A.R.T. viewer (on
# the JMicron drive) and about dialog.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_nvme_routes
programs=$E2E_BUILD/monitor
tempquery=$E2E_BUILD/query/tempquery.exe
port=$(e2e_free_port)
metrics_port=$(e2e_free_tcp_port)
query() { KELVIX_QUERY_PORT=$port timeout 20 wine64 "$tempquery" 127.0.0.1 </dev/null; }
report_has() { [[ "$(query | tr -d '\r')" == *"$1"* ]]; }
metrics() { curl -s --max-time 10 "http://127.0.0.1:$metrics_port/metrics"; }

cp "$programs/KELVIX_SIM.exe" "$programs/HDDATA.CFG" "$programs/7SEG_G.KVX" .
programs=$E2E_WORK
nvme() { printf 'nvme\nmodel %s\nfirmware %s\nserial %s\ncapacity 1000204886016\ntemperature %s\nvia %s\n' "$@"; }
{
    echo "drive 0"; nvme "Samsung SSD 970 EVO Plus 1TB" 2B2QEXM7 S4EWNX0R111111 41 jmicron
    echo "health spare 98"
    echo "drive 1"; nvme "WD_BLACK SN770 1TB" 731100WD 22111K800222 43 asmedia
    echo "drive 2"; nvme "CT1000P3SSD8" P9CR30A 2233E6333333 39 realtek
    echo "drive 3"; nvme "INTEL SSDPEKNW512G8" 004C BTNH44444444512A 47 rst
    echo "health critical-warning 4"
    echo "drive 4"; nvme "KINGSTON SNV2S1000G" SBM02103 50026B7755555555 44 realtek-garbling
} > drives.txt
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Export]\r\nMetricsPort=%s\r\n' "$port" "$metrics_port" > "$E2E_INI"
export KELVIX_DRIVESET=$E2E_WORK/drives.txt

win_bg "$programs/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
expected="#0  41/41 : Samsung SSD 970 EVO Plus 1TB (2B2QEXM7 S4EWNX0R111111)
#1  43/43 : WD_BLACK SN770 1TB (731100WD 22111K800222)
#2  39/39 : CT1000P3SSD8 (P9CR30A 2233E6333333)
#3  47/47 : INTEL SSDPEKNW512G8 (004C BTNH44444444512A)
#4   0/ 0 : KINGSTON SNV2S1000G (SBM02103 50026B7755555555)"
check "tempquery reports every drive, the garbled one without a temperature" wait_until 60 report_has "$expected"
check_eq "report through tempquery" "$expected" "$(query | tr -d '\r')"

kvd tray-click 0x201
check "information balloon lists the readable drives" wait_until 15 balloon_has "#0  41℃ : Samsung SSD 970 EVO Plus 1TB
#1  43℃ : WD_BLACK SN770 1TB
#2  39℃ : CT1000P3SSD8
#3  47℃ : INTEL SSDPEKNW512G8"
check_eq "no temperature for the garbling bridge's drive in the balloon" "" \
    "$(kvd windows tooltips_class32 | from_sjis | grep -E '^#4 +[0-9]+℃')"
check "the balloon times out" wait_until 30 no_tooltips
shot tray_47

check "the metrics page answers" wait_until 20 metrics
metrics > metrics.txt
check "promtool accepts the page" promtool check metrics < metrics.txt
for d in 0:S4EWNX0R111111 1:22111K800222 2:2233E6333333 3:BTNH44444444512A 4:50026B7755555555; do
    check_contains "metrics: drive ${d%%:*} is an NVMe drive" "kelvix_drive_info{drive=\"${d%%:*}\",serial=\"${d#*:}\"" "$(cat metrics.txt)"
done
check_eq "metrics: every drive of kind NVMe" 5 "$(grep -c '^kelvix_drive_info{.*kind="NVMe"[,}].* 1$' metrics.txt)"
check_contains "metrics: the RST drive's temperature" \
    'kelvix_drive_temperature_celsius{drive="3",serial="BTNH44444444512A"} 47' "$(cat metrics.txt)"
check_contains "metrics: the RST drive's critical warning from its health log" \
    'kelvix_drive_nvme_critical_warning{drive="3",serial="BTNH44444444512A"} 4' "$(cat metrics.txt)"
check_contains "metrics: the JMicron drive's spare" \
    'kelvix_drive_nvme_available_spare_ratio{drive="0",serial="S4EWNX0R111111"} 0.98' "$(cat metrics.txt)"
check_contains "metrics: the garbled drive's read failed" \
    'kelvix_drive_read_success{drive="4",serial="50026B7755555555"} 0' "$(cat metrics.txt)"
check_eq "metrics: no temperature or health number for the garbled drive" "" \
    "$(grep -E '^kelvix_drive_(temperature|worst_temperature|nvme)_[a-z_]*\{drive="4"' metrics.txt)"

check_kelvix_windows_and_quit
e2e_end
