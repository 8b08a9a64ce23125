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
tries=0
while [ ! -e /sys/block/sda ] || [ ! -e /sys/block/sdb ] || [ ! -e /sys/block/nvme0n1 ]; do
    tries=$((tries + 1))
    [ $tries -gt 300 ] && echo "@@ disks missing: $(ls /sys/block)" && break
    sleep 0.1
done
ip link set lo up
ip addr add 10.0.2.15/24 dev eth0
ip link set eth0 up
echo
for drive in sda sdb nvme0n1; do
    echo "@@ smartctl $drive"
    /sbin/smartctl -i -A "/dev/$drive"
done
echo "@@ smartctl done"
# The host asks for the stop on the second serial port, as a service manager would.
/sbin/kelvixd -c /etc/kelvix/kelvixd.conf &
pid=$!
read -r request < /dev/ttyS1
echo "@@ host asks: $request"
kill -TERM "$pid"
wait "$pid"
echo "@@ kelvixd exit $?"
poweroff -f
