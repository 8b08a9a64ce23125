#include "web_site.h"

#include "http_request.h"
#include "history_store.h"
#include "web_assets.h"
#include "web_chart.h"
#include "web_json.h"
#include "web_page.h"
#include "web_text.h"

#include <cstring>
#include <ctime>
#include <utility>

const char kWebSecurityHeaders[] =
    "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: no-referrer\r\n";

namespace {

constexpr char kJson[] = "application/json; charset=utf-8";

const char* RangeNamed(const std::string& value)
{
    for (const char* name : kWebRangeNames) {
        if (value == name) {
            return name;
        }
    }
    return nullptr;
}

std::int64_t RangeSeconds(const char* range)
{
    HistoryRange parsed = HistoryRange::Day;
    ParseHistoryRange(range, parsed);
    return HistoryRangeSeconds(parsed);
}

// The API's points: a day's readings a minute apart, longer ranges in buckets.
constexpr unsigned kApiPoints = 1500;

bool IsApi(const std::string& path)
{
    return path.compare(0, 5, "/api/") == 0;
}

// The entry of drive number `drive` in the snapshot; kMaxDrives when not present.
unsigned IndexOfDrive(const DriveSnapshot& snapshot, unsigned drive)
{
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        if (snapshot.drives[i].driveNumber == drive) {
            return i;
        }
    }
    return kMaxDrives;
}

std::vector<HistoryPoint> PointsOf(const HistoryStore* history, const DriveSnapshotEntry& drive, std::int64_t from,
                                   std::int64_t to, unsigned most)
{
    if (history == nullptr || drive.identityPending) {
        return {};
    }
    return history->Points(HistoryIdentity(drive).c_str(), from, to, most);
}

}  // namespace

bool ParseWebQuery(const std::string& query, bool driveAllowed, WebQuery& parsed, const char*& error)
{
    parsed = WebQuery{};
    std::size_t start = 0;
    while (start < query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) {
            end = query.size();
        }
        const std::string pair = query.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = pair.find('=');
        const std::string key = pair.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
        if (key == "range") {
            if (parsed.range != nullptr) {
                error = "range is given twice";
                return false;
            }
            parsed.range = RangeNamed(value);
            if (parsed.range == nullptr) {
                error = "range must be day, week, month or year";
                return false;
            }
        } else if ((key == "drive" || key == "n") && driveAllowed) {
            if (parsed.hasDrive) {
                error = "the drive is given twice";
                return false;
            }
            if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos) {
                error = "the drive must be a drive number";
                return false;
            }
            parsed.hasDrive = true;
            parsed.drive = static_cast<unsigned>(std::stoul(value));
        } else {
            error = "unknown query parameter";
            return false;
        }
    }
    if (!query.empty() && query.back() == '&') {
        error = "empty query parameter";
        return false;
    }
    return true;
}

WebSite::WebSite(const SnapshotBoard& board, const HistoryStore* history, WebSiteInfo info)
    : board_(board), history_(history), info_(std::move(info))
{
}

WebResponse WebSite::Route(const std::string& path, const std::string& query) const
{
    const bool api = IsApi(path);
    const bool withDrive = path == "/drive" || path == "/api/v1/history";
    WebQuery parsed;
    const char* error = nullptr;
    const bool known = path == "/" || path == "/drive" || path == "/app.css" || path == "/app.js"
                       || path == "/api/v1/drives" || path == "/api/v1/history";
    if (!known) {
        return Error(404, api, "no such page");
    }
    if (!ParseWebQuery(query, withDrive, parsed, error)) {
        return Error(400, api, error);
    }
    if (path == "/app.css" || path == "/app.js") {
        WebResponse response;
        response.contentType = path == "/app.css" ? "text/css; charset=utf-8" : "text/javascript; charset=utf-8";
        response.body = path == "/app.css" ? kWebStyleSheet : kWebScript;
        response.cacheable = true;
        return response;
    }
    if (path == "/") {
        return Overview(parsed);
    }
    if (path == "/drive") {
        return DrivePage(parsed);
    }
    if (path == "/api/v1/drives") {
        return DrivesJson();
    }
    return HistoryJson(parsed);
}

SharedText WebSite::Answer(const std::string& path, const std::string& query, bool headOnly) const
{
    const WebResponse response = Route(path, query);
    std::string headers = response.cacheable ? "Cache-Control: max-age=300\r\n" : "Cache-Control: no-store\r\n";
    headers += kWebSecurityHeaders;
    return std::make_shared<const std::string>(
        BuildHttpResponse(response.status, response.contentType, response.body, headOnly, headers.c_str()));
}

WebResponse WebSite::Overview(const WebQuery& query) const
{
    std::uint64_t generation = 0;
    const DriveSnapshot snapshot = board_.Copy(generation);
    const char* range = query.range != nullptr ? query.range : kWebRangeNames[0];
    const std::int64_t to = static_cast<std::int64_t>(std::time(nullptr));
    const std::int64_t from = to - RangeSeconds(range);
    std::vector<std::string> charts(snapshot.count);
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        charts[i] = ChartOf(snapshot.drives[i], from, to);
    }
    WebResponse response;
    response.body = BuildOverviewPage(snapshot, info_, range, charts.data(), generation);
    return response;
}

WebResponse WebSite::DrivePage(const WebQuery& query) const
{
    if (!query.hasDrive) {
        return Error(400, false, "which drive: /drive?n=N");
    }
    std::uint64_t generation = 0;
    const DriveSnapshot snapshot = board_.Copy(generation);
    const unsigned index = IndexOfDrive(snapshot, query.drive);
    if (index == kMaxDrives) {
        return Error(404, false, "no such drive");
    }
    const char* range = query.range != nullptr ? query.range : kWebRangeNames[0];
    const std::int64_t to = static_cast<std::int64_t>(std::time(nullptr));
    const std::int64_t from = to - RangeSeconds(range);
    const DriveSnapshotEntry& drive = snapshot.drives[index];
    const std::string trends = CountTrends(PointsOf(history_, drive, from, to, kChartPoints), from, to,
                                           info_.language, NoHistoryWords());
    WebResponse response;
    response.body = BuildDrivePage(snapshot, index, info_, range, ChartOf(drive, from, to), trends, generation);
    return response;
}

WebResponse WebSite::DrivesJson() const
{
    std::uint64_t generation = 0;
    const DriveSnapshot snapshot = board_.Copy(generation);
    WebResponse response;
    response.contentType = kJson;
    response.body = BuildDrivesJson(snapshot, info_);
    return response;
}

WebResponse WebSite::HistoryJson(const WebQuery& query) const
{
    if (!query.hasDrive || query.range == nullptr) {
        return Error(400, true, "drive and range are both needed: ?drive=N&range=day");
    }
    std::uint64_t generation = 0;
    const DriveSnapshot snapshot = board_.Copy(generation);
    if (IndexOfDrive(snapshot, query.drive) == kMaxDrives) {
        return Error(404, true, "no such drive");
    }
    const DriveSnapshotEntry& drive = snapshot.drives[IndexOfDrive(snapshot, query.drive)];
    const std::int64_t to = static_cast<std::int64_t>(std::time(nullptr));
    const std::int64_t from = to - RangeSeconds(query.range);
    WebResponse response;
    response.contentType = kJson;
    response.body = BuildHistoryJson(drive, query.range, from, to, history_ != nullptr,
                                     PointsOf(history_, drive, from, to, kApiPoints));
    return response;
}

std::string WebSite::NoHistoryWords() const
{
    return WebWords(history_ != nullptr ? KelvixText::WebNoHistory : KelvixText::WebHistoryOff, info_.language);
}

std::string WebSite::ChartOf(const DriveSnapshotEntry& drive, std::int64_t from, std::int64_t to) const
{
    return TemperatureChart(PointsOf(history_, drive, from, to, kChartPoints), from, to,
                            drive.verdict.warningTemperature, NoHistoryWords());
}

WebResponse WebSite::Error(int status, bool json, const char* message) const
{
    WebResponse response;
    response.status = status;
    if (json) {
        response.contentType = kJson;
        response.body = BuildErrorJson(status, message);
    } else {
        response.body = BuildErrorPage(info_, status == 404 ? WebWords(KelvixText::WebNotFound, info_.language).c_str()
                                                            : message);
    }
    return response;
}
