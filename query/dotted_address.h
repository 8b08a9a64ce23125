// Strict parsing of a dotted-decimal IPv4 address ("192.168.0.10").
#pragma once

#include <cstdint>

// Four decimal numbers 0 to 255, one to three digits each, separated by single dots and
// nothing else. Host names and the short or hexadecimal forms are not addresses here.
bool ParseDottedIPv4(const char* text, std::uint8_t (&octets)[4]);
