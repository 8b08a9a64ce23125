// The JSON of the web API (/api/v1/...): the schema in docs/monitoring.md is the contract.
#pragma once

#include "drive_snapshot.h"
#include "history_store.h"
#include "web_site_info.h"

#include <string>
#include <vector>

// /api/v1/drives: the host, when it measured, and every present drive as its card shows it.
std::string BuildDrivesJson(const DriveSnapshot& snapshot, const WebSiteInfo& info);
// One drive of the snapshot as an object (the drives array's element).
void AppendDriveJson(std::string& out, const DriveSnapshotEntry& drive, Language language);
// /api/v1/history: the drive's points from `from` to `to`; `recorded` false when no
// history is kept.
std::string BuildHistoryJson(const DriveSnapshotEntry& drive, const char* range, std::int64_t from, std::int64_t to,
                             bool recorded, const std::vector<HistoryPoint>& points);
// {"error":{"status":404,"message":"..."}}
std::string BuildErrorJson(int status, const char* message);
