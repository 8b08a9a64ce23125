// The HTML of the web page: every drive's card (the overview at /) and one drive's page
// (/drive?n=N) with the trends of its counts. Charts come drawn (web_chart.h); the page
// only places them. No inline script or style: the policy allows only /app.js, /app.css.
#pragma once

#include "drive_snapshot.h"
#include "web_site_info.h"

#include <string>

// The ranges a chart offers, as they appear in links (?range=day) and the API.
constexpr unsigned kWebRanges = 4;
extern const char* const kWebRangeNames[kWebRanges];  // "day", "week", "month", "year"

// `range`: one of kWebRangeNames; `charts[i]`: the chart of snapshot.drives[i] (may be empty).
std::string BuildOverviewPage(const DriveSnapshot& snapshot, const WebSiteInfo& info, const char* range,
                              const std::string* charts, std::uint64_t generation);
// `index` into snapshot.drives; `trends`: the counts' charts.
std::string BuildDrivePage(const DriveSnapshot& snapshot, unsigned index, const WebSiteInfo& info, const char* range,
                           const std::string& chart, const std::string& trends, std::uint64_t generation);
// A short page for an error status, in the site's language.
std::string BuildErrorPage(const WebSiteInfo& info, const char* words);
