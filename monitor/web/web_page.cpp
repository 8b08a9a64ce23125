#include "web_page.h"

#include "web_text.h"

#include <cstdio>

const char* const kWebRangeNames[kWebRanges] = {"day", "week", "month", "year"};

namespace {

constexpr KelvixText kRangeWords[kWebRanges] = {KelvixText::WebRangeDay, KelvixText::WebRangeWeek,
                                                KelvixText::WebRangeMonth, KelvixText::WebRangeYear};

std::string Number(unsigned long long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llu", value);
    return text;
}

void AppendHead(std::string& out, const WebSiteInfo& info, const std::string& title)
{
    out += "<!DOCTYPE html>\n<html lang=\"";
    out += LanguageTag(info.language);
    out += "\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
           "<meta name=\"color-scheme\" content=\"light dark\"><title>";
    AppendHtml(out, title);
    out += "</title><link rel=\"stylesheet\" href=\"/app.css\"><script src=\"/app.js\" defer></script></head>\n";
}

// The body carries the refresh interval and the generation first loaded; the script
// replaces <main> on each refresh, so a newer main says the page refreshed by itself.
void AppendBodyStart(std::string& out, const WebSiteInfo& info, std::uint64_t generation)
{
    out += "<body data-refresh=\"" + Number(info.refreshSeconds) + "\" data-loaded=\"" + Number(generation)
           + "\">\n<main data-generation=\"" + Number(generation) + "\">\n";
}

void AppendMeasured(std::string& out, const DriveSnapshot& snapshot, const WebSiteInfo& info)
{
    out += "<p class=\"measured\">";
    if (!snapshot.taken || snapshot.measuredAt == 0) {
        AppendHtml(out, WebWords(KelvixText::WebNotMeasured, info.language));
    } else {
        AppendHtml(out, WebWords(KelvixText::WebMeasured, info.language));
        const std::string iso = IsoTime(snapshot.measuredAt);
        out += " <time datetime=\"" + iso + "\" data-t=\"" + Number(static_cast<unsigned long long>(snapshot.measuredAt))
               + "\">" + iso + "</time>";
    }
    out += "</p>\n";
}

// Links to the ranges; the current one is marked. `base`: the page's path and query
// without the range ("/?" or "/drive?n=2&").
void AppendRanges(std::string& out, const WebSiteInfo& info, const char* range, const std::string& base)
{
    out += "<nav class=\"ranges\">";
    for (unsigned i = 0; i < kWebRanges; ++i) {
        const bool current = std::string(range) == kWebRangeNames[i];
        out += "<a href=\"";
        AppendHtml(out, base + "range=" + kWebRangeNames[i]);
        out += current ? "\" aria-current=\"page\">" : "\">";
        AppendHtml(out, WebWords(kRangeWords[i], info.language));
        out += "</a>";
    }
    out += "</nav>\n";
}

void AppendTemperature(std::string& out, const DriveSnapshotEntry& drive, const WebSiteInfo& info)
{
    out += "<p class=\"temperature ";
    out += TemperatureClass(drive);
    out += "\">";
    if (drive.condition == DriveCondition::Sleeping) {
        AppendHtml(out, WebWords(KelvixText::Sleeping, info.language));
    } else if (drive.temperature == 0) {
        AppendHtml(out, WebWords(drive.condition == DriveCondition::ReadFailed ? KelvixText::WebReadFailed
                                                                               : KelvixText::WebNoTemperature,
                                 info.language));
    } else {
        out += "<span class=\"value\">" + Number(drive.temperature) + "</span>";
        out += info.language == Language::Japanese ? "\xE2\x84\x83" : " \xC2\xB0" "C";
        if (drive.condition == DriveCondition::ReadFailed) {
            out += " <small>";
            AppendHtml(out, WebWords(KelvixText::WebReadFailed, info.language));
            out += "</small>";
        }
    }
    out += "</p>\n<p class=\"limits\">";
    if (drive.worstTemperature != 0) {
        out += "<span class=\"worst\">";
        AppendHtml(out, WebWords(KelvixText::WebWorst, info.language, drive.worstTemperature));
        out += "</span> ";
    }
    if (drive.verdict.warningTemperature != 0) {
        out += "<span class=\"warning\">";
        AppendHtml(out, WebWords(KelvixText::WebWarningAt, info.language, drive.verdict.warningTemperature));
        out += "</span>";
    }
    out += "</p>\n";
}

void AppendHealth(std::string& out, const DriveSnapshotEntry& drive, const WebSiteInfo& info)
{
    out += "<p class=\"health ";
    out += HealthStateName(drive.verdict.health);
    out += "\">";
    AppendHtml(out, HealthWordUtf8(drive.verdict.health, info.language));
    if (drive.hasHealth) {
        out += " <small>";
        AppendHtml(out, WebWords(KelvixText::WebLifeUsed, info.language, drive.percentageUsed));
        out += ", ";
        AppendHtml(out, WebWords(KelvixText::WebSpare, info.language, drive.availableSpare));
        out += "</small>";
    }
    out += "</p>\n";
    const std::vector<std::string> reasons = ReasonWordsUtf8(drive.verdict, info.language);
    if (!reasons.empty()) {
        out += "<ul class=\"reasons\">";
        for (const std::string& reason : reasons) {
            out += "<li>";
            AppendHtml(out, reason);
            out += "</li>";
        }
        out += "</ul>\n";
    }
}

void AppendCard(std::string& out, const DriveSnapshotEntry& drive, const WebSiteInfo& info, const char* range,
                const std::string& chart, bool linked)
{
    const std::string number = Number(drive.driveNumber);
    out += "<article class=\"card\" id=\"drive-" + number + "\" data-drive=\"" + number + "\">\n<h2>";
    if (linked) {
        out += "<a href=\"/drive?n=" + number + "&amp;range=" + range + "\">";
    }
    AppendHtml(out, drive.model[0] != '\0' ? drive.model : "?");
    out += linked ? "</a></h2>\n" : "</h2>\n";
    out += "<p class=\"about\">#" + number + " \xC2\xB7 ";
    AppendHtml(out, DriveKindName(drive.kind));
    if (drive.media != DriveMedia::Unknown) {
        out += drive.media == DriveMedia::SolidState ? " \xC2\xB7 SSD" : " \xC2\xB7 HDD";
    }
    if (drive.capacity[0] != '\0') {
        out += " \xC2\xB7 ";
        AppendHtml(out, drive.capacity);
    }
    out += "</p>\n";
    AppendTemperature(out, drive, info);
    AppendHealth(out, drive, info);
    out += chart;
    out += "</article>\n";
}

void AppendEnd(std::string& out)
{
    out += "</main>\n</body></html>\n";
}

}  // namespace

std::string BuildOverviewPage(const DriveSnapshot& snapshot, const WebSiteInfo& info, const char* range,
                              const std::string* charts, std::uint64_t generation)
{
    const std::string title = WebWords(KelvixText::WebTitle, info.language, info.hostName);
    std::string out;
    out.reserve(8192);
    AppendHead(out, info, title);
    AppendBodyStart(out, info, generation);
    out += "<header><h1>";
    AppendHtml(out, title);
    out += "</h1>\n";
    AppendMeasured(out, snapshot, info);
    AppendRanges(out, info, range, "/?");
    out += "</header>\n<section class=\"cards\">\n";
    if (snapshot.count == 0) {
        out += "<p class=\"empty\">";
        AppendHtml(out, WebWords(KelvixText::WebNoDrives, info.language));
        out += "</p>\n";
    }
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        AppendCard(out, snapshot.drives[i], info, range, charts != nullptr ? charts[i] : std::string(), true);
    }
    out += "</section>\n";
    AppendEnd(out);
    return out;
}

std::string BuildDrivePage(const DriveSnapshot& snapshot, unsigned index, const WebSiteInfo& info, const char* range,
                           const std::string& chart, const std::string& trends, std::uint64_t generation)
{
    const DriveSnapshotEntry& drive = snapshot.drives[index];
    std::string out;
    out.reserve(8192);
    AppendHead(out, info, std::string(drive.model) + " - " + info.hostName);
    AppendBodyStart(out, info, generation);
    out += "<header><p><a href=\"/?range=";
    out += range;
    out += "\">";
    AppendHtml(out, WebWords(KelvixText::WebAllDrives, info.language));
    out += "</a></p><h1>";
    AppendHtml(out, WebWords(KelvixText::WebTitle, info.language, info.hostName));
    out += "</h1>\n";
    AppendMeasured(out, snapshot, info);
    AppendRanges(out, info, range, "/drive?n=" + Number(drive.driveNumber) + "&");
    out += "</header>\n<section class=\"cards single\">\n";
    AppendCard(out, drive, info, range, chart, false);
    out += "<article class=\"card trends\"><h2>";
    AppendHtml(out, WebWords(KelvixText::WebCounts, info.language));
    out += "</h2>\n";
    out += trends;
    out += "</article>\n</section>\n";
    AppendEnd(out);
    return out;
}

std::string BuildErrorPage(const WebSiteInfo& info, const char* words)
{
    std::string out;
    AppendHead(out, info, words);
    out += "<body><main><h1>";
    AppendHtml(out, words);
    out += "</h1><p><a href=\"/\">";
    AppendHtml(out, WebWords(KelvixText::WebAllDrives, info.language));
    out += "</a></p></main></body></html>\n";
    return out;
}
