#!/usr/bin/env python3
"""Send COUNT one-byte requests (CMD, hex) from address FROM to 127.0.0.1:PORT, then
echoes from address SYNC until one is answered: the server reads its queue in order, so
it has then dealt with every request before the echo that reached it. Prints how many
answers FROM got. Runs natively: programs under Wine cannot pick their source address on
loopback (a bound address there still sends as 127.0.0.1).

    udp_flood.py FROM SYNC PORT COUNT CMD
"""
import select
import socket
import sys


def bound(address):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 20)
    s.bind((address, 0))
    return s


def drain(s, seconds):
    count = 0
    while select.select([s], [], [], seconds)[0]:
        s.recv(4096)
        count += 1
        seconds = 0
    return count


def main():
    source, sync, port, count, command = sys.argv[1:6]
    server = ("127.0.0.1", int(port))
    flooder, syncer = bound(source), bound(sync)
    request = bytes([int(command, 16)])
    for _ in range(int(count)):
        flooder.sendto(request, server)
    for _ in range(40):
        syncer.sendto(b"\x00", server)
        if drain(syncer, 0.5):
            print(drain(flooder, 0))
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
