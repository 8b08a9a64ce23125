// The JSON object tempquery prints for one host.
#pragma once

#include "query_protocol.h"

#include <cstdint>
#include <string>

// One line: {"host":..,"port":..,"drives":[{"drive":slot,"temperature":..,"worst":..,
// "model":..,"firmware":..,"serial":..},...]} for every record whose present byte is 1.
// A temperature of 0 (none) is null. A text that is not well-formed UTF-8 keeps its exact
// bytes in an extra "<name>_hex" member (two lower-case hex digits per byte).
std::string FormatReportJson(const std::string& host, std::uint16_t port,
                             const std::uint8_t (&report)[kReportBytes]);

// One line: {"host":..,"port":..,"error":..} for a host that gave no report.
std::string FormatFailureJson(const std::string& host, std::uint16_t port, const std::string& error);
