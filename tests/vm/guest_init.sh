#!/bin/busybox sh
# The VM's /init: drivers, disks, network; smartctl's view of every drive on the console
# between markers; then kelvixd, its log on the console,
# until the host asks for SIGTERM on the second serial port.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for module in $(cat /lib/modules/order); do
    insmod "/lib/modules/$module" || echo "@@ insmod $module failed"
done
# The host says on the kernel command line how many disks to wait for (kvdisks=N).
want=$(sed -n 's/.*kvdisks=\([0-9]*\).*/\1/p' /proc/cmdline)
disks() { ls /sys/block | grep -E '^(sd[a-z]+|nvme[0-9]+n[0-9]+)$'; }
tries=0
while [ "$(disks | wc -l)" -lt "${want:-3}" ]; do
    tries=$((tries + 1))
    [ $tries -gt 300 ] && echo "@@ disks missing: $(ls /sys/block)" && break
    sleep 0.1
done
ip link set lo up
ip addr add 10.0.2.15/24 dev eth0
ip link set eth0 up
echo
for drive in $(disks); do
    echo "@@ smartctl $drive"
    /sbin/smartctl -i -A "/dev/$drive"
done
echo "@@ smartctl done"
# The host asks on the second serial port for a reload (with a bad file or a good one)
# and for the stop, as a service manager would.
conf=/etc/kelvix/kelvixd.conf
/sbin/kelvixd -c $conf &
pid=$!
exec 3< /dev/ttyS1
while read -r request <&3; do
    echo "@@ host asks: $request"
    case "$request" in
    reload-bad) printf '[Timer]\nCurrent=0\n' > $conf; kill -HUP "$pid" ;;
    reload-good) printf '[Timer]\nCurrent=2\n[Network]\nPort=10009\n' > $conf; kill -HUP "$pid" ;;
    sigterm) kill -TERM "$pid"; break ;;
    *) echo "@@ not understood: $request" ;;
    esac
done
wait "$pid"
echo "@@ kelvixd exit $?"
poweroff -f
