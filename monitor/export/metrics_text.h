// The answer of the metrics endpoint: the Prometheus text exposition format, version
// 0.0.4. Every drive series carries the labels drive (the physical drive number) and
// serial, so a series follows its drive when the drive numbers change.
#pragma once

#include "drive_snapshot.h"

#include <string>

// The content type of the answer.
constexpr char kMetricsContentType[] = "text/plain; version=0.0.4; charset=utf-8";

// A label value as the format writes it between double quotes: backslash, double quote
// and line feed escaped; other control bytes and bytes above 0x7E (drive texts are ASCII,
// the format wants UTF-8) become '?'.
void AppendLabelValue(std::string& out, const char* value);

// The whole page: the build information, then each present drive's series.
std::string BuildMetricsText(const DriveSnapshot& snapshot, const char* version);
