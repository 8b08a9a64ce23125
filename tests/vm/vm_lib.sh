# A QEMU machine with real kernel drivers for the kelvixd tests: the Debian kernel (its
# package downloaded once into a cache, never installed), a busybox initramfs holding
# the ahci/libata/sd_mod/nvme/e1000 modules (and virtio-scsi and USB storage), kelvixd and
# smartctl, two SATA disks (one solid state, one spinning) and one NVMe drive. Its network
# is a tap device inside a private network namespace: the guest reaches nothing but that
# namespace, and the host's clients run inside it.
#   vm_begin WORK_DIR KELVIXD_BINARY DRIVE_DATABASE    (exit 77 where QEMU cannot run)
#   vm_boot; vm_in_ns CMD...; vm_relay; vm_console; vm_send_line TEXT; vm_end (also on EXIT)
# VM_EXTRA_ARGS (QEMU arguments) and VM_DISK_COUNT (the disks the guest waits for, default
# 3) add disks before vm_boot.
set -u

VM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
VM_CACHE=${KV_VM_CACHE:-$VM_ROOT/build/vm-cache}
VM_GUEST=10.0.2.15
VM_PORT=10008
# model, serial, firmware of the SATA disks; serial of the NVMe drive.
VM_DISK0=("Samsung SSD 860 EVO 500GB" "S3Z1NB0K123456A" "RVT04B6Q")
VM_DISK1=("ST1000DM010-2EP102" "Z9A1B2C3" "CC43")
VM_NVME_SERIAL="KVNVME0001"
VM_QEMU_PID=""
VM_NS=""
VM_EXTRA_ARGS=()
VM_DISK_COUNT=3
VM_MODULES="ahci sd_mod nvme e1000 virtio_pci virtio_scsi xhci_pci usb_storage"

vm_log() { echo "vm: $*" >&2; }

vm_begin() {
    VM_WORK=$1
    VM_KELVIXD=$2
    VM_DATABASE=$3
    if ! command -v qemu-system-x86_64 >/dev/null || ! command -v ip >/dev/null; then
        echo "SKIP: qemu-system-x86_64 or ip is missing: no VM here" >&2
        exit 77
    fi
    if [ "$(id -u)" != 0 ]; then
        echo "SKIP: the VM's private network namespace needs root" >&2
        exit 77
    fi
    rm -rf "$VM_WORK"
    mkdir -p "$VM_WORK" "$VM_CACHE"
    trap vm_end EXIT
    vm_kernel || exit 1
    vm_initramfs || exit 1
}

# The kernel package, once per cache: downloaded, unpacked, its ELF payload taken out.
vm_kernel() {
    if [ -f "$VM_CACHE/vmlinux" ] && [ "$(cat "$VM_CACHE/mods/names" 2>/dev/null)" = "$VM_MODULES" ]; then
        return 0
    fi
    local package deb
    package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-6/ {print $2; exit}')
    if [ -z "$package" ]; then
        vm_log "no linux-image-6.x package known to apt (run apt-get update)"
        return 1
    fi
    deb=$(ls "$VM_CACHE"/"$package"_*.deb 2>/dev/null | head -n 1)
    if [ -z "$deb" ]; then
        (cd "$VM_CACHE" && apt-get download "$package") >&2 || { vm_log "apt-get download $package failed"; return 1; }
        deb=$(ls "$VM_CACHE"/"$package"_*.deb | head -n 1)
    fi
    rm -rf "$VM_CACHE/kernel" "$VM_CACHE/mods"
    dpkg-deb -x "$deb" "$VM_CACHE/kernel" &&
        python3 "$VM_ROOT/tests/vm/vm_image.py" vmlinux "$VM_CACHE/kernel" "$VM_CACHE/vmlinux.new" &&
        python3 "$VM_ROOT/tests/vm/vm_image.py" modules "$VM_CACHE/kernel" "$VM_CACHE/mods" $VM_MODULES &&
        echo "$VM_MODULES" > "$VM_CACHE/mods/names" &&
        mv "$VM_CACHE/vmlinux.new" "$VM_CACHE/vmlinux" && rm -rf "$VM_CACHE/kernel"
}

# The initramfs: busybox, the modules, kelvixd and its files, smartctl and its libraries.
vm_initramfs() {
    local root=$VM_WORK/root lib
    mkdir -p "$root"/{bin,sbin,lib/modules,etc/kelvix,var/lib/kelvix,usr/share/kelvix,proc,sys,dev,tmp}
    cp /bin/busybox "$root/bin/busybox"
    cp "$VM_CACHE"/mods/*.ko "$VM_CACHE/mods/order" "$root/lib/modules/"
    cp "$VM_KELVIXD" "$root/sbin/kelvixd"
    cp "$VM_DATABASE" "$root/usr/share/kelvix/HDDATA.CFG"
    cp "$(command -v smartctl)" "$root/sbin/smartctl"
    for lib in $(ldd "$(command -v smartctl)" | awk '/=>/ {print $3} /ld-linux/ {print $1}'); do
        mkdir -p "$root$(dirname "$lib")"
        cp -L "$lib" "$root$lib"
    done
    printf '[Timer]\nCurrent=2\n[Network]\nPort=%s\n' "$VM_PORT" > "$root/etc/kelvix/kelvixd.conf"
    cp "$VM_ROOT/tests/vm/guest_init.sh" "$root/init"
    chmod +x "$root/init"
    (cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) > "$VM_WORK/initramfs.gz"
}

# Boots the machine in the background; its console goes to $VM_WORK/console.log.
vm_boot() {
    # A run killed outright (a time-out's SIGKILL) cannot run its trap: its namespace, named
    # after a process that is gone and holding none, is removed here.
    local stale
    for stale in $(ip netns list | awk '$1 ~ /^kvvm[0-9]+$/ {print $1}'); do
        if ! kill -0 "${stale#kvvm}" 2>/dev/null && [ -z "$(ip netns pids "$stale" 2>/dev/null)" ]; then
            ip netns del "$stale" 2>/dev/null
        fi
    done
    VM_NS=kvvm$$
    ip netns add "$VM_NS" || return 1
    ip netns exec "$VM_NS" ip link set lo up
    ip netns exec "$VM_NS" ip tuntap add tap0 mode tap
    ip netns exec "$VM_NS" ip addr add 10.0.2.2/24 dev tap0
    ip netns exec "$VM_NS" ip link set tap0 up
    local disk
    for disk in d0 d1 n0; do truncate -s 64M "$VM_WORK/$disk.img"; done
    ip netns exec "$VM_NS" qemu-system-x86_64 -machine pc,accel=tcg -m 256 -nographic -no-reboot \
        -kernel "$VM_CACHE/vmlinux" -initrd "$VM_WORK/initramfs.gz" \
        -append "console=ttyS0 quiet panic=-1 kvdisks=$VM_DISK_COUNT" \
        -device ahci,id=ahci \
        -drive if=none,id=d0,file="$VM_WORK/d0.img",format=raw \
        -device ide-hd,drive=d0,bus=ahci.0,model="${VM_DISK0[0]}",serial="${VM_DISK0[1]}",ver="${VM_DISK0[2]}",rotation_rate=1 \
        -drive if=none,id=d1,file="$VM_WORK/d1.img",format=raw \
        -device ide-hd,drive=d1,bus=ahci.1,model="${VM_DISK1[0]}",serial="${VM_DISK1[1]}",ver="${VM_DISK1[2]}",rotation_rate=7200 \
        -drive if=none,id=n0,file="$VM_WORK/n0.img",format=raw \
        -device nvme,id=nvme0,drive=n0,serial="$VM_NVME_SERIAL" \
        "${VM_EXTRA_ARGS[@]}" \
        -netdev tap,id=net0,ifname=tap0,script=no,downscript=no -device e1000,netdev=net0 \
        -qmp unix:"$VM_WORK/qmp.sock",server=on,wait=off \
        -serial mon:stdio -serial unix:"$VM_WORK/ttyS1.sock",server=on,wait=off \
        </dev/null >"$VM_WORK/console.log" 2>&1 &
    VM_QEMU_PID=$!
}

vm_running() { [ -n "$VM_QEMU_PID" ] && kill -0 "$VM_QEMU_PID" 2>/dev/null; }
vm_console() { tr -d '\r' < "$VM_WORK/console.log"; }
# vm_wait_console SECONDS TEXT: until the console shows TEXT; false if QEMU ended first.
vm_wait_console() {
    local end=$((SECONDS + $1))
    while [ $SECONDS -lt $end ]; do
        grep -qF -- "$2" "$VM_WORK/console.log" 2>/dev/null && return 0
        vm_running || return 1
        sleep 0.2
    done
    return 1
}
# vm_smart_section DRIVE: smartctl's lines about DRIVE, after "@@ smartctl DRIVE" up to the
# next marker (a marker may follow the firmware's text on the same console line).
vm_smart_section() {
    vm_console | awk -v drive="$1" '
        index($0, "@@ ") { inside = (substr($0, index($0, "@@ ")) == "@@ smartctl " drive); next }
        inside'
}
vm_in_ns() { ip netns exec "$VM_NS" "$@"; }
# vm_qmp COMMAND-JSON...: one QMP session sending each command in turn.
vm_qmp() {
    python3 - "$VM_WORK/qmp.sock" "$@" <<'PY'
import json, socket, sys
s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); f = s.makefile("rw")
f.readline()
for command in ["{\"execute\": \"qmp_capabilities\"}"] + sys.argv[2:]:
    f.write(command + "\n"); f.flush()
    while True:
        reply = json.loads(f.readline())
        if "return" in reply or "error" in reply:
            break
    if "error" in reply:
        sys.exit("qmp: " + json.dumps(reply["error"]))
PY
}

# vm_send_line TEXT: one line to the guest's second serial port, a byte at a time: the
# emulated UART drops what comes faster than the guest takes it.
vm_send_line() {
    python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1])
for byte in sys.argv[2].encode() + b"\n":
    s.sendall(bytes([byte])); time.sleep(0.01)
s.close()' "$VM_WORK/ttyS1.sock" "$1"
}

vm_end() {
    if [ -n "${VM_RELAY_PID:-}" ]; then
        kill "$VM_RELAY_PID" 2>/dev/null
        wait "$VM_RELAY_PID" 2>/dev/null
        VM_RELAY_PID=""
    fi
    if vm_running; then
        vm_qmp '{"execute": "quit"}' 2>/dev/null
        local end=$((SECONDS + 10))
        while vm_running && [ $SECONDS -lt $end ]; do sleep 0.1; done
        vm_running && kill "$VM_QEMU_PID"
        wait "$VM_QEMU_PID" 2>/dev/null
    fi
    VM_QEMU_PID=""
    if [ -n "$VM_NS" ]; then
        ip netns del "$VM_NS" 2>/dev/null
        VM_NS=""
    fi
}

# vm_relay: a UDP port on host loopback that reaches kelvixd in the guest; sets VM_RELAY_PORT.
vm_relay() {
    rm -f "$VM_WORK/relay.port"
    python3 "$VM_ROOT/tests/vm/udp_relay.py" "$VM_NS" "$VM_GUEST" "$VM_PORT" "$VM_WORK/relay.port" &
    VM_RELAY_PID=$!
    local end=$((SECONDS + 10))
    until [ -s "$VM_WORK/relay.port" ] || [ $SECONDS -ge $end ]; do sleep 0.1; done
    VM_RELAY_PORT=$(cat "$VM_WORK/relay.port" 2>/dev/null)
    [ -n "$VM_RELAY_PORT" ]
}
