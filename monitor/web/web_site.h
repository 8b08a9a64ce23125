// WebSite: the web page and its JSON API on the metrics port. Read-only: it reads the
// published snapshot and, when there is one, the history store; it keeps nothing
// between requests, and every answer carries the same security headers.
//
//   /                       every drive's card and chart (?range=day|week|month|year)
//   /drive?n=N              one drive: its card, chart and the trends of its counts
//   /app.css, /app.js       the page's style and script
//   /api/v1/drives          the cards as JSON
//   /api/v1/history?drive=N&range=R   one drive's points as JSON
#pragma once

#include "drive_snapshot.h"
#include "web_answerer.h"
#include "web_site_info.h"

#include <string>

class HistoryStore;

// One request's query: only the keys a route names, each at most once: a drive number
// of up to three digits, a range by its name.
struct WebQuery {
    bool hasDrive = false;
    unsigned drive = 0;
    const char* range = nullptr;  // one of kWebRangeNames, null when not given
};
// False, with the reason in `error`, for anything else.
bool ParseWebQuery(const std::string& query, bool driveAllowed, WebQuery& parsed, const char*& error);

struct WebResponse {
    int status = 200;
    const char* contentType = "text/html; charset=utf-8";
    std::string body;
    bool cacheable = false;  // the style and script (fixed for a version); everything else no-store
};

// The headers every answer of the site carries.
extern const char kWebSecurityHeaders[];

class WebSite : public WebAnswerer {
public:
    // `board` and `history` (null: no history kept) must outlive this.
    WebSite(const SnapshotBoard& board, const HistoryStore* history, WebSiteInfo info);

    WebResponse Route(const std::string& path, const std::string& query) const;
    SharedText Answer(const std::string& path, const std::string& query, bool headOnly) const override;

private:
    WebResponse Overview(const WebQuery& query) const;
    WebResponse DrivePage(const WebQuery& query) const;
    WebResponse DrivesJson() const;
    WebResponse HistoryJson(const WebQuery& query) const;
    WebResponse Error(int status, bool json, const char* message) const;
    std::string ChartOf(const DriveSnapshotEntry& drive, std::int64_t from, std::int64_t to) const;
    std::string NoHistoryWords() const;

    const SnapshotBoard& board_;
    const HistoryStore* history_;
    const WebSiteInfo info_;
};
