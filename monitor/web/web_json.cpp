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

// `"key":"text",` and `"key":number,`: a field followed by another.
template <typename Text>
void TextField(std::string& out, const char* key, const Text& text)
{
    AppendKey(out, key);
    AppendJson(out, text);
    out += ',';
}

void NumberField(std::string& out, const char* key, unsigned long long value)
{
    AppendKey(out, key);
    AppendNumber(out, value);
    out += ',';
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
    NumberField(out, "drive", drive.driveNumber);
    TextField(out, "model", drive.model);
    TextField(out, "firmware", drive.firmware);
    TextField(out, "serial", drive.serial);
    TextField(out, "capacity", drive.capacity);
    TextField(out, "kind", DriveKindName(drive.kind));
    TextField(out, "media", DriveMediaName(drive.media));
    TextField(out, "condition", DriveConditionName(drive.condition));
    AppendKey(out, "asleep");
    out += drive.condition == DriveCondition::Sleeping ? "true," : "false,";
    AppendTemperature(out, "temperature", drive.temperature);
    AppendTemperature(out, "worst", drive.worstTemperature);
    AppendTemperature(out, "warningTemperature", drive.verdict.warningTemperature);
    TextField(out, "temperatureState", TemperatureStateName(drive.verdict.temperature));
    TextField(out, "colour", TemperatureClass(drive));
    TextField(out, "health", HealthStateName(drive.verdict.health));
    TextField(out, "healthWords", HealthWordUtf8(drive.verdict.health, language));
    AppendKey(out, "reasons");
    out += '[';
    const std::vector<std::string> words = ReasonWordsUtf8(drive.verdict, language);
    for (unsigned i = 0; i < words.size(); ++i) {
        const HealthReason& reason = drive.verdict.reasons[i];
        char sentence[160];
        FormatHealthReason(reason, sentence, sizeof sentence);
        out += i == 0 ? "{" : ",{";
        TextField(out, "severity", HealthStateName(reason.severity));
        TextField(out, "text", sentence);
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
        NumberField(out, "percentageUsed", drive.percentageUsed);
        NumberField(out, "availableSpare", drive.availableSpare);
        NumberField(out, "availableSpareThreshold", drive.availableSpareThreshold);
        NumberField(out, "criticalWarning", drive.criticalWarning);
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
    TextField(out, "host", info.hostName);
    TextField(out, "version", info.version);
    TextField(out, "language", LanguageTag(info.language));
    NumberField(out, "intervalSeconds", info.refreshSeconds);
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
    NumberField(out, "drive", drive.driveNumber);
    TextField(out, "range", range);
    TextField(out, "from", IsoTime(from));
    TextField(out, "to", IsoTime(to));
    AppendTemperature(out, "warningTemperature", drive.verdict.warningTemperature);
    AppendKey(out, "recorded");
    out += recorded ? "true," : "false,";
    AppendKey(out, "points");
    out += '[';
    for (std::size_t i = 0; i < points.size(); ++i) {
        const HistoryPoint& point = points[i];
        out += i == 0 ? "{" : ",{";
        TextField(out, "time", IsoTime(point.time));
        NumberField(out, "span", static_cast<unsigned>(point.span > 0 ? point.span : 0));
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
        TextField(out, "health", HealthStateName(point.health));
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
