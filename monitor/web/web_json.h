// The JSON of the web API (/api/v1/...): the schema in docs/monitoring.md is the contract.
#pragma once

#include "drive_snapshot.h"
#include "web_site_info.h"

#include <string>

// /api/v1/drives: the host, when it measured, and every present drive as its card shows it.
std::string BuildDrivesJson(const DriveSnapshot& snapshot, const WebSiteInfo& info);
// One drive of the snapshot as an object (the drives array's element).
void AppendDriveJson(std::string& out, const DriveSnapshotEntry& drive, Language language);
// {"error":{"status":404,"message":"..."}}
std::string BuildErrorJson(int status, const char* message);
