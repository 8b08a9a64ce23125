// The JSON object tempquery prints for one host.
#pragma once

#include "host_outcome.h"
#include "query_protocol.h"

#include <cstdint>
#include <string>

// One line: {"host":..,"port":..,"state":"answered","drives":[{"drive":slot,"temperature":..,"worst":..,
// "model":..,"firmware":..,"serial":..},...]} for every record whose present byte is 1.
// A temperature of 0 (none) is null. A text that is not well-formed UTF-8 keeps its exact
// bytes in an extra "<name>_hex" member (two lower-case hex digits per byte). Where the
// server told a drive's verdict (health[slot].known), the drive also has
// "warning_temperature" (null for none), "temperature_state" ("unknown", "normal", "hot"),
// "health" ("unknown", "good", "caution", "bad") and, with a reason, "health_reason".
std::string FormatReportJson(const std::string& host, std::uint16_t port,
                             const std::uint8_t (&report)[kReportBytes], const DriveHealthView* health = nullptr);

// One line: {"host":..,"port":..,"state":..,"error":..} for a host that gave no report
// (state as HostStateName names it).
std::string FormatFailureJson(const std::string& host, std::uint16_t port, HostState state, const std::string& error);
