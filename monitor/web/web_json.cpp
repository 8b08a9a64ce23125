#include "web_json.h"

#include "web_text.h"

#include <algorithm>
#include <cstdio>

namespace {

void AppendNumber(std::string& out, unsigned long long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llu", value);
    out += text;
}

void AppendKey(std::string& out, const char* key)
{
    out += '"';
    out += key;
    out += "\":";
}

// A temperature of 0 is none: null.
void AppendTemperature(std::string& out, const char* key, unsigned value)
{
    AppendKey(out, key);
    if (value == 0) {
        out += "null";
    } else {
        AppendNumber(out, value);
    }
    out += ',';
}

void AppendCounts(std::string& out, const DriveVerdict& verdict)
{
    AppendKey(out, "counts");
    out += '{';
    bool first = true;
    for (unsigned i = 0; i < kAtaCountIds; ++i) {
        if ((verdict.countsKnown & (1u << i)) == 0) {
            continue;
        }
        if (!first) {
            out += ',';
        }
        first = false;
        out += '"';
        AppendNumber(out, kAtaCountIdList[i]);
        out += "\":";
        AppendNumber(out, verdict.counts[i]);
    }
    out += '}';
}

}  // namespace

void AppendDriveJson(std::string& out, const DriveSnapshotEntry& drive, Language language)
{
    out += '{';
    AppendKey(out, "drive");
    AppendNumber(out, drive.driveNumber);
    out += ',';
    AppendKey(out, "model");
    AppendJson(out, drive.model);
    out += ',';
    AppendKey(out, "firmware");
    AppendJson(out, drive.firmware);
    out += ',';
    AppendKey(out, "serial");
    AppendJson(out, drive.serial);
    out += ',';
    AppendKey(out, "capacity");
    AppendJson(out, drive.capacity);
    out += ',';
    AppendKey(out, "kind");
    AppendJson(out, DriveKindName(drive.kind));
    out += ',';
    AppendKey(out, "media");
    AppendJson(out, DriveMediaName(drive.media));
    out += ',';
    AppendKey(out, "condition");
    AppendJson(out, DriveConditionName(drive.condition));
    out += ',';
    AppendKey(out, "asleep");
    out += drive.condition == DriveCondition::Sleeping ? "true," : "false,";
    AppendTemperature(out, "temperature", drive.temperature);
    AppendTemperature(out, "worst", drive.worstTemperature);
    AppendTemperature(out, "warningTemperature", drive.verdict.warningTemperature);
    AppendKey(out, "temperatureState");
    AppendJson(out, TemperatureStateName(drive.verdict.temperature));
    out += ',';
    AppendKey(out, "colour");
    AppendJson(out, TemperatureClass(drive));
    out += ',';
    AppendKey(out, "health");
    AppendJson(out, HealthStateName(drive.verdict.health));
    out += ',';
    AppendKey(out, "healthWords");
    AppendJson(out, HealthWordUtf8(drive.verdict.health, language));
    out += ',';
    AppendKey(out, "reasons");
    out += '[';
    const std::vector<std::string> words = ReasonWordsUtf8(drive.verdict, language);
    for (unsigned i = 0; i < words.size(); ++i) {
        const HealthReason& reason = drive.verdict.reasons[i];
        char sentence[160];
        FormatHealthReason(reason, sentence, sizeof sentence);
        out += i == 0 ? "{" : ",{";
        AppendKey(out, "severity");
        AppendJson(out, HealthStateName(reason.severity));
        out += ',';
        AppendKey(out, "text");
        AppendJson(out, sentence);
        out += ',';
        AppendKey(out, "words");
        AppendJson(out, words[i]);
        out += '}';
    }
    out += "],";
    AppendCounts(out, drive.verdict);
    if (drive.hasHealth) {
        out += ',';
        AppendKey(out, "nvme");
        out += '{';
        AppendKey(out, "percentageUsed");
        AppendNumber(out, drive.percentageUsed);
        out += ',';
        AppendKey(out, "availableSpare");
        AppendNumber(out, drive.availableSpare);
        out += ',';
        AppendKey(out, "availableSpareThreshold");
        AppendNumber(out, drive.availableSpareThreshold);
        out += ',';
        AppendKey(out, "criticalWarning");
        AppendNumber(out, drive.criticalWarning);
        out += ',';
        // 128-bit: as the decimal text, which a double would round.
        AppendKey(out, "mediaErrors");
        AppendJson(out, drive.mediaErrors);
        out += '}';
    }
    out += '}';
}

std::string BuildDrivesJson(const DriveSnapshot& snapshot, const WebSiteInfo& info)
{
    std::string out = "{";
    AppendKey(out, "host");
    AppendJson(out, info.hostName);
    out += ',';
    AppendKey(out, "version");
    AppendJson(out, info.version);
    out += ',';
    AppendKey(out, "language");
    AppendJson(out, LanguageTag(info.language));
    out += ',';
    AppendKey(out, "intervalSeconds");
    AppendNumber(out, info.refreshSeconds);
    out += ',';
    AppendKey(out, "measuredAt");
    if (snapshot.taken && snapshot.measuredAt != 0) {
        AppendJson(out, IsoTime(snapshot.measuredAt));
    } else {
        out += "null";
    }
    out += ',';
    AppendKey(out, "drives");
    out += '[';
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        if (i != 0) {
            out += ',';
        }
        AppendDriveJson(out, snapshot.drives[i], info.language);
    }
    out += "]}\n";
    return out;
}

std::string BuildHistoryJson(const DriveSnapshotEntry& drive, const char* range, std::int64_t from, std::int64_t to,
                             bool recorded, const std::vector<HistoryPoint>& points)
{
    std::string out = "{";
    AppendKey(out, "drive");
    AppendNumber(out, drive.driveNumber);
    out += ',';
    AppendKey(out, "range");
    AppendJson(out, range);
    out += ',';
    AppendKey(out, "from");
    AppendJson(out, IsoTime(from));
    out += ',';
    AppendKey(out, "to");
    AppendJson(out, IsoTime(to));
    out += ',';
    AppendTemperature(out, "warningTemperature", drive.verdict.warningTemperature);
    AppendKey(out, "recorded");
    out += recorded ? "true," : "false,";
    AppendKey(out, "points");
    out += '[';
    for (std::size_t i = 0; i < points.size(); ++i) {
        const HistoryPoint& point = points[i];
        out += i == 0 ? "{" : ",{";
        AppendKey(out, "time");
        AppendJson(out, IsoTime(point.time));
        out += ',';
        AppendKey(out, "span");
        AppendNumber(out, static_cast<unsigned>(point.span > 0 ? point.span : 0));
        out += ',';
        AppendKey(out, "temperature");
        if (point.asleep || point.temperatureMax == 0) {
            out += "null";
        } else {
            out += "{\"min\":";
            AppendNumber(out, point.temperatureMin);
            out += ",\"mean\":";
            AppendNumber(out, point.temperatureMean);
            out += ",\"max\":";
            AppendNumber(out, point.temperatureMax);
            out += '}';
        }
        out += ',';
        AppendKey(out, "asleep");
        out += point.asleep ? "true," : "false,";
        AppendKey(out, "health");
        AppendJson(out, HealthStateName(point.health));
        out += ',';
        DriveVerdict counts;
        counts.countsKnown = point.countsKnown;
        std::copy(point.counts, point.counts + kAtaCountIds, counts.counts);
        AppendCounts(out, counts);
        if (point.hasNvme) {
            out += ",\"nvme\":{\"percentageUsed\":";
            AppendNumber(out, point.percentageUsed);
            out += ",\"availableSpare\":";
            AppendNumber(out, point.availableSpare);
            out += ",\"mediaErrors\":";
            AppendNumber(out, point.mediaErrors);
            out += '}';
        }
        out += '}';
    }
    out += "]}\n";
    return out;
}

std::string BuildErrorJson(int status, const char* message)
{
    std::string out = "{\"error\":{\"status\":";
    AppendNumber(out, static_cast<unsigned>(status));
    out += ",\"message\":";
    AppendJson(out, message);
    out += "}}\n";
    return out;
}
