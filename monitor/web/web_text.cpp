#include "web_text.h"

#include "civil_time.h"
#include "health_words.h"
#include "json_text.h"
#include "utf8_from_cp932.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

void AppendHtml(std::string& out, const std::string& utf8)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t size = utf8.size();
    for (std::size_t i = 0; i < size;) {
        const std::size_t length = Utf8CharacterLength(bytes + i, size - i);
        if (length == 0 || (length == 1 && bytes[i] < 0x20 && bytes[i] != '\t')) {
            out += length == 0 ? kReplacement : " ";
            ++i;
            continue;
        }
        if (length == 1) {
            switch (bytes[i]) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += static_cast<char>(bytes[i]); break;
            }
        } else {
            out.append(utf8, i, length);
        }
        i += length;
    }
}

void AppendHtml(std::string& out, const char* bytes)
{
    AppendHtml(out, std::string(bytes));
}

void AppendJson(std::string& out, const std::string& bytes)
{
    AppendJsonString(out, bytes.data(), bytes.size());
}

void AppendJson(std::string& out, const char* bytes)
{
    AppendJsonString(out, bytes, std::strlen(bytes));
}

std::string IsoTime(std::int64_t secondsSince1970)
{
    if (secondsSince1970 == 0) {
        return std::string();
    }
    return UtcIsoText(secondsSince1970);
}

const char* TemperatureClass(const DriveSnapshotEntry& drive)
{
    if (drive.condition == DriveCondition::Sleeping) {
        return "asleep";
    }
    if (drive.temperature == 0) {
        return "none";
    }
    const unsigned warning = drive.verdict.warningTemperature;
    if (drive.verdict.temperature == TemperatureState::Hot || (warning != 0 && drive.temperature >= warning)) {
        return "hot";
    }
    if (warning != 0 && drive.temperature + kWarmBelowWarning >= warning) {
        return "warm";
    }
    return "cool";
}

const char* DriveKindName(DriveKind kind)
{
    switch (kind) {
    case DriveKind::Nvme: return "NVMe";
    case DriveKind::Property: return "property";
    case DriveKind::Ata: break;
    }
    return "ATA";
}

const char* DriveMediaName(DriveMedia media)
{
    switch (media) {
    case DriveMedia::SolidState: return "solid-state";
    case DriveMedia::Rotating: return "rotating";
    default: return "unknown";
    }
}

const char* DriveConditionName(DriveCondition condition)
{
    switch (condition) {
    case DriveCondition::Temperature: return "temperature";
    case DriveCondition::ReadFailed: return "read-failed";
    case DriveCondition::Sleeping: return "sleeping";
    case DriveCondition::NoTemperature: break;
    }
    return "no-temperature";
}

std::string HealthWordUtf8(HealthState health, Language language)
{
    return Utf8FromCp932(HealthWord(static_cast<std::uint8_t>(health), language));
}

std::vector<std::string> ReasonWordsUtf8(const DriveVerdict& verdict, Language language)
{
    std::vector<std::string> words;
    for (unsigned i = 0; i < verdict.reasonCount && i < kMaxHealthReasons; ++i) {
        const HealthReason& reason = verdict.reasons[i];
        words.push_back(Utf8FromCp932(HealthReasonWords(static_cast<std::uint8_t>(reason.kind), reason.attributeId,
                                                        reason.from, reason.to, reason.limit, language)
                                          .c_str()));
    }
    return words;
}

std::string WebWords(KelvixText id, Language language)
{
    return Utf8FromCp932(Text(id, language));
}

std::string WebWords(KelvixText id, Language language, unsigned value)
{
    char text[160];
    std::snprintf(text, sizeof text, Text(id, language), value);
    return Utf8FromCp932(text);
}

std::string WebWords(KelvixText id, Language language, const std::string& utf8Argument)
{
    // Converted before the argument goes in: the argument is UTF-8 already.
    std::string words = Utf8FromCp932(Text(id, language));
    const std::size_t at = words.find("%s");
    if (at != std::string::npos) {
        words.replace(at, 2, utf8Argument);
    }
    return words;
}
