#!/usr/bin/env bash
# KELVIX_SIM's metrics endpoint read by the real Prometheus tools: promtool accepts the
# page, and a Prometheus server (private data folder, loopback, 1 s scrapes) stores every
# drive's temperature and the NVMe health, asked through its query API. The shipped alert
# rules pass promtool's check and fire on the simulated NVMe drive's critical warning.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" export_prometheus
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
install_kelvix_sim
drive_set < "$(dirname "$0")/export_drives.txt"
metrics_port=$(e2e_free_tcp_port)
prometheus_port=$(e2e_free_tcp_port "$metrics_port")
printf '[Threshold]\r\nCurrent=50\r\n[Network]\r\nReportsPerSecond=0\r\n[Export]\r\nMetricsPort=%s\r\nWebPage=1\r\n' "$metrics_port" > "$E2E_INI"

scrape() { curl -s --max-time 10 "http://127.0.0.1:$metrics_port$1" "${@:2}"; }
status_of() { curl -s --max-time 10 -o /dev/null -w '%{http_code}' "http://127.0.0.1:$metrics_port$1" "${@:2}"; }

win_bg "$E2E_WORK/KELVIX_SIM.exe"
check "main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "the endpoint answers" wait_until 20 scrape /metrics
# Drive 3 fails from its second read on: the measurement at start took enumeration's
# first, so one more makes it fail.
kvd command 32789
scrape /metrics > metrics.txt
check "promtool accepts the page" promtool check metrics < metrics.txt
check_eq "content type of the text format 0.0.4" "text/plain; version=0.0.4; charset=utf-8" \
    "$(curl -s --max-time 10 -o /dev/null -w '%{content_type}' "http://127.0.0.1:$metrics_port/metrics")"
check_eq "other path" 404 "$(status_of /nothing)"
check_eq "other method" 405 "$(status_of /metrics -X POST)"
# Bad clients against the Windows socket calls: one that sends nothing stays connected
# while others are answered; a megabyte request line and binary junk are refused.
exec 5<>"/dev/tcp/127.0.0.1/$metrics_port"
check "a silent client does not hold up a scrape" scrape /metrics -o /dev/null
{ printf 'GET /'; head -c 1048576 /dev/zero | tr '\0' a; } 2>/dev/null > "/dev/tcp/127.0.0.1/$metrics_port" || true
head -c 4096 /dev/urandom 2>/dev/null > "/dev/tcp/127.0.0.1/$metrics_port" || true
check_eq "scrapes still answered after a megabyte line and junk" 200 "$(status_of /metrics)"
exec 5>&-
# The web page on the same port, in a real browser: each card shows what the API shows.
check_eq "web page" 200 "$(status_of /)"
check_eq "an unknown drive's history" 404 "$(status_of '/api/v1/history?drive=9&range=day')"
check_contains "told as JSON" '{"error":{"status":404,' "$(scrape '/api/v1/history?drive=9&range=day')"
check_eq "a bad range" 400 "$(status_of '/api/v1/history?drive=0&range=decade')"
browser() {
    local profile; profile=$(mktemp -d "$E2E_WORK/profile.XXXX")
    timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync --hide-scrollbars \
        --user-data-dir="$profile" --virtual-time-budget=2000 "$@" "http://127.0.0.1:$metrics_port/" 2>/dev/null
}
browser --screenshot="$E2E_BUILD/screenshots/${E2E_NAME}_web_phone.png" --window-size=360,740 > /dev/null
check "the page's screenshot" test -s "$E2E_BUILD/screenshots/${E2E_NAME}_web_phone.png"
browser --dump-dom > dom.html
scrape /api/v1/drives > drives.json
check "every drive has its card with the API's temperature" python3 - dom.html drives.json <<'PY'
import json, re, sys
dom = open(sys.argv[1], encoding="utf-8").read()
drives = json.load(open(sys.argv[2]))["drives"]
assert drives, "no drives"
for d in drives:
    card = re.search(r'<article class="card" id="drive-%d".*?</article>' % d["drive"], dom, re.S).group(0)
    if d["temperature"] and not d["asleep"]:
        assert '<span class="value">%d</span>' % d["temperature"] in card, (d, card[:300])
    assert 'class="health %s"' % d["health"] in card, (d, card[:300])
PY
check_contains "drive 1 carries its identity" \
    'kelvix_drive_info{drive="1",serial="S5GXNF0R123456",model="Samsung SSD 980 PRO 1TB",firmware="5B2QGXA7",kind="NVMe",media="ssd"} 1' \
    "$(cat metrics.txt)"

# A Prometheus server of this test's own.
cat > prometheus.yml <<YAML
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - $source_dir/packaging/prometheus/kelvix-alerts.yml
scrape_configs:
  - job_name: kelvix
    static_configs:
      - targets: ['127.0.0.1:$metrics_port']
YAML
check "promtool accepts the shipped alert rules" promtool check rules "$source_dir/packaging/prometheus/kelvix-alerts.yml"
prometheus --config.file=prometheus.yml --storage.tsdb.path="$E2E_WORK/tsdb" \
    --web.listen-address="127.0.0.1:$prometheus_port" > prometheus.log 2>&1 &
E2E_PIDS+=($!)
prometheus_pid=$!
# query PROMQL: the result vector as "labels value" lines, sorted.
query() {
    curl -s --max-time 10 "http://127.0.0.1:$prometheus_port/api/v1/query" --data-urlencode "query=$1" \
        | jq -r '.data.result[] | "\(.metric.drive) \(.metric.serial) \(.value[1])"' | sort
}
# Drive 3's reads fail after enumeration's: it is not readable and has no temperature
# (its last one is old; Prometheus marks the series stale once a scrape lacks it).
stored() {
    test "$(query kelvix_drive_temperature_celsius | wc -l)" -eq 3 &&
        test "$(query 'kelvix_drive_readable == 0')" = "3 Y2ABCDEF 0"
}
check "Prometheus stores the temperatures" wait_until 60 stored
check_eq "every answering drive's temperature, by drive and serial" \
"0 5JV3ABCD 35
1 S5GXNF0R123456 44
2 WMAJ91234567 38" "$(query kelvix_drive_temperature_celsius)"
check_eq "the drives that answer are readable" "0 1 2" \
    "$(query 'kelvix_drive_readable == 1' | cut -d' ' -f1 | tr '\n' ' ' | sed 's/ $//')"
check_eq "the failing drive's reads are reported" "3 Y2ABCDEF 0" "$(query 'kelvix_drive_read_success == 0')"
check_eq "NVMe health: critical warning" "1 S5GXNF0R123456 4" "$(query kelvix_drive_nvme_critical_warning)"
check_eq "NVMe health: spare" "1 S5GXNF0R123456 0.97" "$(query kelvix_drive_nvme_available_spare_ratio)"
check_eq "NVMe health: media errors" "1 S5GXNF0R123456 2" "$(query kelvix_drive_nvme_media_errors_total)"
# Every query of the shipped Grafana dashboard is valid PromQL and finds data.
dashboard_queries() {
    jq -r '.panels[].targets[].expr' "$source_dir/packaging/prometheus/kelvix-dashboard.json" | sed 's/\$instance/.*/g'
}
while IFS= read -r expr; do
    answer=$(curl -s --max-time 10 "http://127.0.0.1:$prometheus_port/api/v1/query" --data-urlencode "query=$expr")
    check_eq "dashboard query finds data: $expr" "success yes" \
        "$(jq -r '"\(.status) \(if (.data.result | length) > 0 then "yes" else "no" end)"' <<<"$answer")"
done < <(dashboard_queries)
alerts() {
    curl -s --max-time 10 "http://127.0.0.1:$prometheus_port/api/v1/alerts" \
        | jq -r '.data.alerts[] | "\(.labels.alertname) \(.labels.drive) \(.state)"' | sort
}
alert_seen() { alerts | grep -q "$1"; }
check "the alert rules see the NVMe critical warning" wait_until 30 alert_seen '^KelvixNvmeCriticalWarning 1 firing$'
check "the alert rules see the failing reads (pending for its 10 minutes)" wait_until 30 alert_seen '^KelvixDriveReadsFailing 3 pending$'
# The same answer that lists the firing alert must lack the hot one: an empty answer from
# a failed probe cannot pass.
firing=$(alerts)
check_contains "the alert list answers" "KelvixNvmeCriticalWarning 1 firing" "$firing"
check "no drive is too hot" bash -c '! grep -q KelvixDriveHot <<<"$1"' _ "$firing"
kill "$prometheus_pid" 2>/dev/null

# The about dialog tells where to open the page.
shot before_about
kvd command 32798
check "about dialog opens" kvd wait-window "#32770" "バージョン情報" 10000
check "about dialog painted" wait_until 10 screen_changed_from "$(screen before_about)" about_web_address
kvd dismiss-boxes >/dev/null 2>&1
kvd key 27
check "the endpoint answers while the program runs" curl -sf --max-time 10 -o /dev/null "http://127.0.0.1:$metrics_port/metrics"
quit_kelvix "main window goes"
check "the endpoint closes with the program" wait_until 10 bash -c "! curl -s --max-time 2 http://127.0.0.1:$metrics_port/metrics"
e2e_end
