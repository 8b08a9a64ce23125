#!/usr/bin/env python3
"""A UDP relay from host loopback to one port of the VM, for clients (Wine's, whose
sockets the wineserver makes) that cannot run inside the VM's network namespace.

  udp_relay.py NAMESPACE GUEST_ADDRESS GUEST_PORT PORT_FILE

binds 127.0.0.1 on a free port here, writes the port to PORT_FILE, then goes on inside the
namespace (its socket inherited) and forwards each client's datagrams to the guest's port
and the answers back. Nothing else reaches the guest, and the guest reaches nothing.
"""
import os
import select
import socket
import sys


def relay(front_fd, guest):
    front = socket.socket(fileno=front_fd)
    upstream = {}  # client address -> its socket towards the guest
    while True:
        readable, _, _ = select.select([front] + list(upstream.values()), [], [])
        for sock in readable:
            if sock is front:
                data, client = front.recvfrom(65535)
                up = upstream.get(client)
                if up is None:
                    up = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
                    up.connect(guest)
                    upstream[client] = up
                try:
                    up.send(data)
                except OSError:
                    pass
            else:
                try:
                    data = sock.recv(65535)
                except OSError:
                    continue
                client = next(c for c, u in upstream.items() if u is sock)
                front.sendto(data, client)


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "--inside":
        relay(int(sys.argv[2]), (sys.argv[3], int(sys.argv[4])))
    elif len(sys.argv) == 5:
        namespace, address, port, port_file = sys.argv[1:]
        front = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        front.bind(("127.0.0.1", 0))
        os.set_inheritable(front.fileno(), True)
        with open(port_file, "w") as f:
            f.write(f"{front.getsockname()[1]}\n")
        os.execvp("ip", ["ip", "netns", "exec", namespace, sys.executable, os.path.abspath(__file__),
                         "--inside", str(front.fileno()), address, port])
    else:
        sys.exit(__doc__)
