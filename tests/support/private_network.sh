#!/usr/bin/env bash
# private_network.sh COMMAND...: runs COMMAND in a network namespace of its own with
# loopback and one more address (198.51.100.1, a documentation range, on a veth pair that
# leads nowhere), so tests of "another host" have a non-loopback address on any machine
# and nothing they send can leave it. Where no namespace can be made (no privileges), the
# command runs in the machine's own network.
set -u
inner='ip link set lo up &&
    ip link add kv0 type veth peer name kv1 &&
    ip addr add 198.51.100.1/24 dev kv0 &&
    ip link set kv0 up && ip link set kv1 up'
for flags in "--net" "--net --map-root-user"; do
    # shellcheck disable=SC2086
    if unshare $flags sh -c "$inner" >/dev/null 2>&1; then
        # shellcheck disable=SC2086
        exec unshare $flags sh -c "$inner && exec \"\$@\"" private_network "$@"
    fi
done
echo "private_network: no network namespace here; running in the machine's network" >&2
exec "$@"
