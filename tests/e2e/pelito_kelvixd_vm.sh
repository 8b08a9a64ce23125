#!/usr/bin/env bash
# PELITO under Wine watching kelvixd in a QEMU machine with real kernel drivers (two SATA
# disks, one NVMe drive): one tray icon per drive, and each drive's balloon and tooltip
# show the model, serial, firmware and temperature smartctl read inside that machine.
# kelvixd comes from the native tree (KV_NATIVE_BUILD, default build/native), which
# scripts/test.sh builds first.
. "$(dirname "$0")/e2e_lib.sh"
. "$(dirname "$0")/../vm/vm_lib.sh"
e2e_begin "$1" pelito_kelvixd_vm
native=${KV_NATIVE_BUILD:-$VM_ROOT/build/native}
pelito=$E2E_BUILD/trayclient/PELITO.exe
client_class=ORVALD_TRAYICON_CLIENT
client_title="ORVALD TRAYICON_CLIENT"
client() { kvd post "$client_class" "$client_title" "$@"; }

if [ ! -x "$native/kelvixd/kelvixd_static" ] || [ ! -x "$native/query/tempquery" ]; then
    echo "FAIL - no kelvixd_static in $native: build the native tree first"
    exit 1
fi
vm_begin "$E2E_WORK/vm" "$native/kelvixd/kelvixd_static" "$VM_ROOT/monitor/HDDATA.CFG"
trap 'vm_end; e2e_cleanup' EXIT
vm_boot || { echo "FAIL - the VM's network namespace could not be made"; exit 1; }
check "kelvixd serves in the VM" vm_wait_console 90 "serving on UDP port"
check "the loopback relay starts" vm_relay

smart_section() { vm_smart_section "$1"; }
smart_field() { smart_section "$1" | sed -n "s/^$2: *//p" | head -n 1; }
# The report's slot order is kelvixd's, checked against smartctl by the native VM test;
# here each slot's drive is found by the serial tempquery reports for it.
answer=$(vm_in_ns env KELVIX_QUERY_PORT="$VM_PORT" timeout 10 "$native/query/tempquery" "$VM_GUEST")
echo "$answer"

pelito_settings "[127.0.0.1]\r\nPort=$VM_RELAY_PORT\r\nTimeOut=3\r\nTimer=30\r\n"
win_bg "$pelito"
check "PELITO's main window appears" kvd wait-window "$client_class" "$client_title" 20000
check_eq "no settings dialog: kelvixd answers" "" "$(boxes)"
# The first poll follows the 16 icon ids, 100 ms apart.
has_three_icons() {
    shot tray_icons
    local empty; empty=$(icon_at 145 tray_icons)  # inside the tray, past any icon
    [ "$(icon_at 45 tray_icons)" != "$empty" ] && [ "$(icon_at 65 tray_icons)" = "$empty" ]
}
check "one tray icon for each of the three drives" wait_until 30 has_three_icons
shot tray_icons
# Both SATA disks report 31 degrees, the NVMe drive 50 (above PELITO's 45: warning colours).
check_eq "the two SATA disks show the same picture" "$(icon_at 5 tray_icons)" "$(icon_at 25 tray_icons)"
check "the NVMe drive shows another" test "$(icon_at 5 tray_icons)" != "$(icon_at 45 tray_icons)"

for slot in 0 1 2; do
    x=$((5 + 20 * slot))
    line=$(echo "$answer" | grep "^#$slot ")
    serial=$(echo "$line" | sed -n 's/.* \([^ ]*\))$/\1/p')
    drive=""
    for name in sda sdb nvme0n1; do
        [ "$(smart_field "$name" "Serial Number")" = "$serial" ] && drive=$name
    done
    if [ -z "$drive" ]; then
        fail "slot $slot's serial $serial is one smartctl read" "$line"
        continue
    fi
    if [ "$drive" = nvme0n1 ]; then
        model=$(smart_field "$drive" "Model Number")
        temperature=$(smart_section "$drive" | sed -n 's/^Temperature: *\([0-9]*\) Celsius/\1/p')
    else
        model=$(smart_field "$drive" "Device Model")
        temperature=$(smart_section "$drive" | awk '$1 == 190 {print $10}')
    fi
    firmware=$(smart_field "$drive" "Firmware Version")
    client $((0x8001 + slot)) 0 0x201
    wait_until 15 balloon_has "デバイス   : $slot"
    balloon=$E2E_BALLOON
    check_contains "slot $slot ($drive) balloon: firmware, serial, temperature as smartctl read them" \
        "アドレス   : 127.0.0.1:$VM_RELAY_PORT
デバイス   : $slot
バージョン : $firmware
シリアル   : $serial
現在の温度 : $temperature℃" "$balloon"
    shot "balloon_slot$slot"
    wait_until 20 no_tooltips
    check "slot $slot ($drive) tooltip: the model smartctl read" hover "$x" "$slot:$model" 15
    kvd mouse-move 600 400
    wait_until 20 no_tooltips
done

client 0x111 0x8022 0
check "PELITO exits" kvd wait-gone "$client_class" "$client_title" 20000
wait_until 10 pelito_gone
pelito_settings ""
rm -f "$E2E_PELITO_OLD_INI"
vm_end
e2e_end
