#!/usr/bin/env bash
# kelvixd against real kernel drivers: a QEMU machine with two SATA disks (libata, ahci; one
# solid state, one spinning at 7200 rpm), one NVMe drive, and two disks that refuse ATA
# commands (a SCSI disk on virtio-scsi and a USB stick) runs kelvixd. From the host,
# tempquery must report for every drive served the model, serial, firmware and temperature
# smartctl reads inside the same machine, in slots without gaps; the refused disks get a
# journal line each; a bad configuration is refused on SIGHUP and a good one served; an
# NVMe drive plugged in and pulled out while it runs is picked up.
#   kelvixd_vm.sh NATIVE_BUILD_DIR
. "$(dirname "$0")/vm_lib.sh"
build=$(cd "$1" && pwd)
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok   - $1"; }
fail() { failed=$((failed + 1)); echo "FAIL - $1"; [ $# -gt 1 ] && printf '       %s\n' "${@:2}"; }
check_eq() { if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "expected: $2" "actual:   $3"; fi; }

vm_begin "$build/vm/kelvixd_vm" "$build/kelvixd/kelvixd_static" "$VM_ROOT/monitor/HDDATA.CFG"
for disk in s0 u0 n1; do truncate -s 16M "$VM_WORK/$disk.img"; done
VM_EXTRA_ARGS=(
    -device virtio-scsi-pci,id=vscsi
    -drive if=none,id=s0,file="$VM_WORK/s0.img",format=raw -device scsi-hd,drive=s0,bus=vscsi.0,serial=KVSCSI01
    -device qemu-xhci,id=xhci
    -drive if=none,id=u0,file="$VM_WORK/u0.img",format=raw -device usb-storage,drive=u0,bus=xhci.0,serial=KVUSB01
    # Plugged in later through QMP.
    -drive if=none,id=n1,file="$VM_WORK/n1.img",format=raw
)
VM_DISK_COUNT=5
vm_boot || { echo "FAIL - the VM's network namespace could not be made"; exit 1; }
if ! vm_wait_console 90 "serving on UDP port"; then
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
    case "$1" in
    nvme*) smart_section "$1" | sed -n 's/^Temperature: *\([0-9]*\) Celsius/\1/p' ;;
    *) smart_section "$1" | awk '$1 == 190 {print $10}' ;;
    esac
}
# journal_drive N: the kernel name of the drive kelvixd announced as drive N.
journal_drive() { vm_console | sed -n "s|^<6>drive $1: /dev/\([a-z0-9]*\) .*|\1|p" | tail -n 1; }

query() { vm_in_ns env KELVIX_QUERY_PORT="${2:-$VM_PORT}" timeout 10 "$build/query/tempquery" "$VM_GUEST"; }
answer=$(query)
echo "$answer"
check_eq "three drives reported, in slots 0 to 2" "#0 #1 #2" "$(echo "$answer" | cut -c1-2 | tr '\n' ' ' | sed 's/ $//')"
for slot in 0 1 2; do
    drive=$(journal_drive $slot)
    case "$drive" in nvme*) model_label="Model Number" ;; *) model_label="Device Model" ;; esac
    model=$(smart_field "$drive" "$model_label")
    serial=$(smart_field "$drive" "Serial Number")
    firmware=$(smart_field "$drive" "Firmware Version")
    temperature=$(smart_temperature "$drive")
    if [ -z "$drive" ] || [ -z "$model" ] || [ -z "$serial" ] || [ -z "$firmware" ] || [ -z "$temperature" ]; then
        fail "smartctl reads slot $slot's drive /dev/$drive" "$(smart_section "$drive" | head -n 30)"
        continue
    fi
    # tempquery's line: "#%-2u %2u/%2u : model (firmware serial)"; worst = current here.
    expected=$(printf '#%-2u %2u/%2u : %s (%s %s)' "$slot" "$temperature" "$temperature" "$model" "$firmware" "$serial")
    check_eq "slot $slot is /dev/$drive as smartctl reads it" "$expected" "$(echo "$answer" | grep "^#$slot ")"
done
check_eq "the serials the machine was given reached the report" \
    "$(printf '%s\n' "${VM_DISK0[1]}" "${VM_DISK1[1]}" "$VM_NVME_SERIAL" | sort)" \
    "$(echo "$answer" | sed -n 's/.* \([^ ]*\))$/\1/p' | sort)"

# The SCSI disk and the USB stick refuse ATA PASS-THROUGH: one line each, with the reason.
refused=$(vm_console | grep ' not served: ')
echo "$refused"
check_eq "two drives not served" 2 "$(echo "$refused" | grep -c .)"
check_eq "both refused the ATA PASS-THROUGH command (illegal request, unsupported opcode)" 2 \
    "$(echo "$refused" | grep -c '^<4>/dev/sd[a-z]* not served: ATA command [0-9A-F]*h: the device does not take ATA PASS-THROUGH (ILLEGAL REQUEST, unsupported SCSI opcode')"
scsi_names=$(for drive in $(vm_console | sed -n 's/^@@ smartctl \(sd[a-z]*\)$/\1/p'); do
    smart_field "$drive" "Device Model" | grep -q . || echo "$drive"; done | sort | tr '\n' ' ')
check_eq "they are the two disks smartctl reads as SCSI" "$scsi_names" \
    "$(echo "$refused" | sed -n 's|^<4>/dev/\([a-z]*\) .*|\1|p' | sort | tr '\n' ' ')"

# Solid state or spinning as IDENTIFY word 217 says, as smartctl says it; CHECK POWER MODE
# through SG_IO, its count register back in the sense data (QEMU's disks are always active).
for slot in 0 1 2; do
    drive=$(journal_drive $slot)
    line=$(vm_console | grep "^<6>drive $slot: ")
    case "$(smart_field "$drive" "Rotation Rate")" in
    "Solid State Device") expected=", solid state, [0-9]* C, active$" ;;
    "7200 rpm") expected=", rotating at 7200 rpm, [0-9]* C, spinning$" ;;
    *) expected="NVMe, solid state, [0-9]* C$" ;;
    esac
    if echo "$line" | grep -q "$expected"; then pass "drive $slot ($drive): media as smartctl reads it"; else
        fail "drive $slot ($drive): media as smartctl reads it" "expected: $expected" "actual:   $line"; fi
done

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

# SIGHUP with a file that cannot be used: the reason, and the service goes on as it was.
vm_send_line reload-bad
if vm_wait_console 20 "the running configuration stays"; then
    check_eq "the bad file's line is named" 1 "$(vm_console | grep -c '^<3>/etc/kelvix/kelvixd.conf:2: \[Timer\] Current: must be')"
    check_eq "the bad file leaves the service answering" "$answer" "$(query)"
else
    fail "a bad file is refused on SIGHUP" "$(vm_console | tail -n 10)"
fi
# A good file: served at once, on its new port.
vm_send_line reload-good
if vm_wait_console 30 "serving on UDP port 10009"; then
    check_eq "the new file's port answers" "$answer" "$(query "" 10009)"
else
    fail "a good file is served after SIGHUP" "$(vm_console | tail -n 10)"
fi

# An NVMe drive plugged in while kelvixd runs (PCI hot-plug), then pulled out again.
has_drives() { [ "$(query "" 10009 | grep -c '^#')" = "$1" ]; }
wait_drives() { local end=$((SECONDS + 40)); until has_drives "$1"; do [ $SECONDS -ge $end ] && return 1; sleep 1; done; }
vm_qmp '{"execute": "device_add", "arguments": {"driver": "nvme", "id": "nvme1", "drive": "n1", "serial": "KVNVME0002"}}'
if wait_drives 4; then
    check_eq "the plugged-in drive takes slot 3" "KVNVME0002)" "$(query "" 10009 | grep '^#3 ' | sed 's/.* //')"
    check_eq "the journal says drives came" 1 "$(vm_console | grep -c '^<5>drives came or went')"
else
    fail "a plugged-in NVMe drive is served" "$(vm_console | tail -n 15)"
fi
vm_qmp '{"execute": "device_del", "arguments": {"id": "nvme1"}}'
if wait_drives 3; then
    check_eq "after it is pulled out, the first three drives as before" "$answer" "$(query "" 10009)"
else
    fail "a pulled-out drive leaves the report" "$(vm_console | tail -n 15)"
fi

# SIGTERM, as systemd stops it: a clean end with status 0.
vm_send_line sigterm
if vm_wait_console 30 "@@ kelvixd exit"; then
    check_eq "kelvixd ends on SIGTERM with status 0" "@@ kelvixd exit 0" "$(vm_console | grep '^@@ kelvixd exit')"
    check_eq "kelvixd says it stopped" 1 "$(vm_console | grep -c '^<6>stopped')"
else
    fail "kelvixd ends on SIGTERM" "$(vm_console | tail -n 10)"
fi
vm_end

echo "kelvixd_vm: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
