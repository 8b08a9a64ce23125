// The yardstick of the report-server benchmarks: a bare recvfrom/sendto responder on
// loopback, and the sockets around it.
#pragma once

#include <cstdint>

// A UDP socket bound to 127.0.0.1:port (0: any free port); the program ends if it cannot.
int OpenUdp(std::uint16_t port);
std::uint16_t PortOf(int fd);
// Each one-byte request gets a fixed 1920-byte answer; the byte 0x10 ends it.
void RunResponder(int fd);
