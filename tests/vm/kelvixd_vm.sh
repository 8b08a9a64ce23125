#!/usr/bin/env bash
# kelvixd against real kernel drivers: a QEMU machine with two SATA disks (libata, ahci)
# and one NVMe drive runs kelvixd; from the host, tempquery must report for every drive
# the model, serial, firmware and temperature smartctl reads inside the same machine.
#   kelvixd_vm.sh NATIVE_BUILD_DIR
. "$(dirname "$0")/vm_lib.sh"
build=$(cd "$1" && pwd)
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok   - $1"; }
fail() { failed=$((failed + 1)); echo "FAIL - $1"; [ $# -gt 1 ] && printf '       %s\n' "${@:2}"; }
check_eq() { if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "expected: $2" "actual:   $3"; fi; }

vm_begin "$build/vm/kelvixd_vm" "$build/kelvixd/kelvixd_static" "$VM_ROOT/monitor/HDDATA.CFG"
vm_boot || { echo "FAIL - the VM's network namespace could not be made"; exit 1; }
if ! vm_wait_console 90 "kelvixd: serving on UDP port"; then
    vm_console | tail -n 40
    echo "FAIL - kelvixd did not start serving in the VM"
    exit 1
fi
pass "kelvixd serves in the VM"

smart_section() { vm_smart_section "$1"; }
# smart_field DRIVE LABEL: the value after "LABEL:" in that section.
smart_field() { smart_section "$1" | sed -n "s/^$2: *//p" | head -n 1; }
# The temperature: attribute 190's raw value for the SATA disks, the health log's for NVMe.
smart_temperature() {
    if [ "$1" = nvme0n1 ]; then
        smart_section "$1" | sed -n 's/^Temperature: *\([0-9]*\) Celsius/\1/p'
    else
        smart_section "$1" | awk '$1 == 190 {print $10}'
    fi
}

query() { vm_in_ns env KELVIX_QUERY_PORT="$VM_PORT" timeout 10 "$build/query/tempquery" "$VM_GUEST"; }
answer=$(query)
echo "$answer"
slot=0
for drive in sda sdb nvme0n1; do
    if [ "$drive" = nvme0n1 ]; then model_label="Model Number"; else model_label="Device Model"; fi
    model=$(smart_field "$drive" "$model_label")
    serial=$(smart_field "$drive" "Serial Number")
    firmware=$(smart_field "$drive" "Firmware Version")
    temperature=$(smart_temperature "$drive")
    if [ -z "$model" ] || [ -z "$serial" ] || [ -z "$firmware" ] || [ -z "$temperature" ]; then
        fail "smartctl reads /dev/$drive" "$(smart_section "$drive" | head -n 30)"
        continue
    fi
    # tempquery's line: "#%-2u %2u/%2u : model (firmware serial)"; worst = current here.
    expected=$(printf '#%-2u %2u/%2u : %s (%s %s)' "$slot" "$temperature" "$temperature" "$model" "$firmware" "$serial")
    check_eq "slot $slot is /dev/$drive as smartctl reads it" "$expected" "$(echo "$answer" | grep "^#$slot ")"
    slot=$((slot + 1))
done
check_eq "three drives reported" 3 "$(echo "$answer" | grep -c '^#')"
# The kernel names the two SATA disks in the order their ports answer; either way the
# serials the machine was given are the ones reported.
check_eq "the serials the machine was given reached the report" \
    "$(printf '%s\n' "${VM_DISK0[1]}" "${VM_DISK1[1]}" "$VM_NVME_SERIAL" | sort)" \
    "$(echo "$answer" | sed -n 's/.* \([^ ]*\))$/\1/p' | sort)"

# CHECK POWER MODE through SG_IO, its count register back in the sense data: QEMU's disks
# are always active.
check_eq "both SATA disks answer CHECK POWER MODE: spinning" 2 "$(vm_console | grep -c 'ATA, [0-9]* C, spinning$')"

# Through the relay that brings the guest's port to host loopback (PELITO's way in).
if vm_relay; then
    check_eq "the same report through the loopback relay" "$answer" \
        "$(KELVIX_QUERY_PORT=$VM_RELAY_PORT timeout 10 "$build/query/tempquery" 127.0.0.1)"
else
    fail "the loopback relay starts"
fi

# The stop command counts only from the daemon's own machine: from here it is ignored.
vm_in_ns python3 -c 'import socket, sys; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.sendto(b"\x10", (sys.argv[1], int(sys.argv[2])))' \
    "$VM_GUEST" "$VM_PORT"
# The query after it is answered from the same socket, so the stop was handled before.
check_eq "a stop command from another machine leaves the service answering" "$answer" "$(query)"
check_eq "and is not taken for a stop" 0 "$(vm_console | grep -c 'stop command received')"

# SIGTERM, as systemd stops it: a clean end with status 0.
vm_send_line sigterm
if vm_wait_console 30 "@@ kelvixd exit"; then
    check_eq "kelvixd ends on SIGTERM with status 0" "@@ kelvixd exit 0" "$(vm_console | grep '^@@ kelvixd exit')"
    check_eq "kelvixd says it stopped" 1 "$(vm_console | grep -c '^kelvixd: stopped')"
else
    fail "kelvixd ends on SIGTERM" "$(vm_console | tail -n 10)"
fi
vm_end

echo "kelvixd_vm: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
