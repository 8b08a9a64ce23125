#include "report_json.h"

#include "civil_time.h"
#include "json_text.h"
#include "report_record.h"

namespace {

void AppendHostMembers(std::string& out, const std::string& host, std::uint16_t port, HostState state)
{
    out += "{\"host\":";
    AppendJsonString(out, host.data(), host.size());
    out += ",\"port\":" + std::to_string(port);
    out += ",\"state\":\"";
    out += HostStateName(state);
    out += '"';
}

void AppendTemperature(std::string& out, const char* name, std::uint8_t degrees)
{
    out += ",\"";
    out += name;
    out += "\":";
    out += degrees == 0 ? std::string("null") : std::to_string(degrees);
}

void AppendText(std::string& out, const char* name, std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    out += ",\"";
    out += name;
    out += "\":";
    if (AppendJsonString(out, text.data(), text.size())) {
        return;
    }
    out += ",\"";
    out += name;
    out += "_hex\":\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
    out += '"';
}

} // namespace

std::string FormatReportJson(const std::string& host, std::uint16_t port, const std::uint8_t (&report)[kReportBytes],
                             const DriveHealthView* health)
{
    std::string out;
    AppendHostMembers(out, host, port, HostState::Answered);
    out += ",\"drives\":[";
    bool first = true;
    for (std::size_t slot = 0; slot < kReportRecords; ++slot) {
        const DriveReport record = ReportRecordAt(report, slot);
        if (record.present != 1) {
            continue;
        }
        out += first ? "" : ",";
        first = false;
        out += "{\"drive\":" + std::to_string(slot);
        // A drive that does not answer has no current temperature (the report keeps its
        // last one for old clients).
        const bool lost = health != nullptr && health[slot].known && health[slot].temperature == TemperatureState::NotAnswering;
        AppendTemperature(out, "temperature", lost ? 0 : record.current);
        AppendTemperature(out, "worst", record.maximum);
        AppendText(out, "model", FieldText(record.model));
        AppendText(out, "firmware", FieldText(record.firmware));
        AppendText(out, "serial", FieldText(record.serial));
        if (health != nullptr && health[slot].known) {
            const DriveHealthView& view = health[slot];
            out += ",\"warning_temperature\":";
            out += view.warningTemperature == 0 ? std::string("null") : std::to_string(view.warningTemperature);
            out += ",\"temperature_state\":\"" + std::string(TemperatureStateName(view.temperature)) + "\"";
            out += ",\"health\":\"" + std::string(HealthStateName(view.health)) + "\"";
            out += view.asleep ? ",\"asleep\":true" : ",\"asleep\":false";
            if (lost) {
                out += ",\"not_answering_since\":";
                out += view.notAnsweringSince != 0 ? "\"" + UtcIsoText(view.notAnsweringSince) + "\"" : std::string("null");
            }
            if (!view.reason.empty()) {
                AppendText(out, "health_reason", view.reason);
            }
        }
        out += '}';
    }
    out += "]}\n";
    return out;
}

std::string FormatFailureJson(const std::string& host, std::uint16_t port, HostState state, const std::string& error)
{
    std::string out;
    AppendHostMembers(out, host, port, state);
    out += ",\"error\":";
    AppendJsonString(out, error.data(), error.size());
    out += "}\n";
    return out;
}
