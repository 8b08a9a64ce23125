#include "notify_text.h"

#include "civil_time.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kDegrees[] = "\xC2\xB0" "C";  // UTF-8, whatever the source's charset

// A drive's or the host's text as printable ASCII: other bytes become '?', and blanks
// the drive pads with are trimmed.
std::string Clean(const char* text, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i < size && text[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : '?';
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::string();
    }
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

template <std::size_t Size>
std::string Clean(const char (&text)[Size])
{
    return Clean(text, Size);
}

std::string CleanHost(const char* host)
{
    return host == nullptr ? std::string() : Clean(host, std::strlen(host));
}

std::string Reasons(const NotifyEvent& event, const char* separator)
{
    std::string out;
    const DriveVerdict& verdict = event.verdict;
    for (unsigned i = 0; i < verdict.reasonCount && i < kMaxHealthReasons; ++i) {
        char text[160];
        FormatHealthReason(verdict.reasons[i], text, sizeof text);
        if (!out.empty()) {
            out += separator;
        }
        out += Clean(text, sizeof text);
    }
    return out;
}

std::string DriveName(const NotifyEvent& event)
{
    std::string name = "drive " + std::to_string(event.driveNumber);
    const std::string model = Clean(event.model);
    const std::string serial = Clean(event.serial);
    if (!model.empty()) {
        name += " " + model;
    }
    if (!serial.empty()) {
        name += " (serial " + serial + ")";
    }
    return name;
}

std::string Degrees(unsigned value)
{
    return std::to_string(value) + " " + kDegrees;
}

void AppendJsonString(std::string& out, const std::string& text)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;  // printable ASCII only (Clean)
    }
    out += '"';
}

void AppendField(std::string& out, const char* name, const std::string& text)
{
    out += ",\"";
    out += name;
    out += "\":";
    AppendJsonString(out, text);
}

void AppendNumber(std::string& out, const char* name, unsigned value, bool known)
{
    out += ",\"";
    out += name;
    out += "\":";
    out += known ? std::to_string(value) : std::string("null");
}

}  // namespace

std::string UtcTimeText(std::time_t time)
{
    return UtcIsoText(static_cast<std::int64_t>(time));
}

std::string EventTitle(const NotifyEvent& event, const char* host)
{
    const std::string where = CleanHost(host);
    switch (event.kind) {
    case NotifyEventKind::Hot: return where + ": a drive is hot";
    case NotifyEventKind::StillHot: return where + ": a drive is still hot";
    case NotifyEventKind::Cooled: return where + ": a drive has cooled down";
    case NotifyEventKind::HealthWorse: return where + ": a drive's health got worse";
    case NotifyEventKind::HealthBetter: return where + ": a drive's health got better";
    case NotifyEventKind::Lost: return where + ": a drive cannot be read";
    case NotifyEventKind::Readable: return where + ": a drive reads again";
    case NotifyEventKind::Test: return where + ": test notification";
    }
    return where;
}

std::string EventMessage(const NotifyEvent& event, const char* host)
{
    const std::string where = CleanHost(host) + ": ";
    const std::string drive = DriveName(event);
    const unsigned warning = event.verdict.warningTemperature;
    const std::string limit = warning != 0 ? ", its warning temperature is " + Degrees(warning) : std::string();
    const std::string now = event.temperature != 0 ? ": " + Degrees(event.temperature) : std::string();
    switch (event.kind) {
    case NotifyEventKind::Hot:
        return where + drive + " is hot" + now + limit;
    case NotifyEventKind::StillHot:
        return where + drive + " is still hot" + now + limit;
    case NotifyEventKind::Cooled:
        return where + drive + " has cooled down" + now + limit;
    case NotifyEventKind::HealthWorse:
    case NotifyEventKind::HealthBetter: {
        const std::string reasons = Reasons(event, "; ");
        return where + drive + " health " + HealthStateName(event.previousHealth) + " -> " +
               HealthStateName(event.verdict.health) + (reasons.empty() ? std::string() : ": " + reasons);
    }
    case NotifyEventKind::Lost:
        return where + drive + " cannot be read any more";
    case NotifyEventKind::Readable:
        return where + drive + " can be read again" + now;
    case NotifyEventKind::Test:
        return where + "test notification from " + (event.program != nullptr ? event.program : "KELVIX");
    }
    return where + drive;
}

std::string EventBody(const NotifyEvent& event, const char* host, BodyKind kind, int gotifyPriority)
{
    const std::string message = EventMessage(event, host);
    if (kind == BodyKind::Text) {
        return message;
    }
    const bool test = event.kind == NotifyEventKind::Test;
    const DriveVerdict& verdict = event.verdict;
    std::string out = "{\"event\":";
    AppendJsonString(out, EventName(event.kind));
    // The same sentence under the names ntfy, Gotify, Discord, Slack and Apprise read.
    AppendField(out, "title", EventTitle(event, host));
    AppendField(out, "message", message);
    AppendField(out, "content", message);
    AppendField(out, "text", message);
    AppendField(out, "body", message);
    AppendField(out, "host", CleanHost(host));
    AppendNumber(out, "drive", event.driveNumber, !test);
    AppendField(out, "model", Clean(event.model));
    AppendField(out, "serial", Clean(event.serial));
    AppendNumber(out, "temperature", event.temperature, event.temperature != 0);
    AppendNumber(out, "warning_temperature", verdict.warningTemperature, verdict.warningTemperature != 0);
    AppendField(out, "temperature_state", TemperatureStateName(verdict.temperature));
    AppendField(out, "health", HealthStateName(verdict.health));
    AppendField(out, "previous_health", HealthStateName(event.previousHealth));
    out += ",\"reasons\":[";
    for (unsigned i = 0; i < verdict.reasonCount && i < kMaxHealthReasons; ++i) {
        char text[160];
        FormatHealthReason(verdict.reasons[i], text, sizeof text);
        if (i != 0) {
            out += ',';
        }
        AppendJsonString(out, Clean(text, sizeof text));
    }
    out += ']';
    AppendField(out, "time", UtcTimeText(event.time));
    if (gotifyPriority != 0) {
        AppendNumber(out, "priority", static_cast<unsigned>(gotifyPriority), true);
    }
    out += '}';
    return out;
}

const char* BodyContentType(BodyKind kind)
{
    return kind == BodyKind::Json ? "application/json" : "text/plain; charset=utf-8";
}

std::vector<std::string> EventEnvironment(const NotifyEvent& event, const char* host)
{
    const DriveVerdict& verdict = event.verdict;
    const bool test = event.kind == NotifyEventKind::Test;
    const auto number = [](unsigned value) { return value != 0 ? std::to_string(value) : std::string(); };
    return {
        std::string("KELVIX_EVENT=") + EventName(event.kind),
        "KELVIX_HOST=" + CleanHost(host),
        "KELVIX_DRIVE=" + (test ? std::string() : std::to_string(event.driveNumber)),
        "KELVIX_MODEL=" + Clean(event.model),
        "KELVIX_SERIAL=" + Clean(event.serial),
        "KELVIX_TEMPERATURE=" + number(event.temperature),
        "KELVIX_WARNING_TEMPERATURE=" + number(verdict.warningTemperature),
        std::string("KELVIX_TEMPERATURE_STATE=") + TemperatureStateName(verdict.temperature),
        std::string("KELVIX_HEALTH=") + HealthStateName(verdict.health),
        std::string("KELVIX_PREVIOUS_HEALTH=") + HealthStateName(event.previousHealth),
        "KELVIX_REASONS=" + Reasons(event, "; "),
        "KELVIX_TIME=" + UtcTimeText(event.time),
        "KELVIX_TITLE=" + EventTitle(event, host),
        // The sentence may hold the degree sign (UTF-8); everything else is ASCII.
        "KELVIX_MESSAGE=" + EventMessage(event, host),
    };
}
