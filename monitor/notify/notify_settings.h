// The [Notify] settings: where events go (a web request, a command, or both) and how
// hard KELVIX and kelvixd try. One key table serves KELVIX.INI and kelvixd.conf; the
// keys live apart from the other settings because they are read by both programs and
// by nothing else.
#pragma once

#include <cstdint>
#include <string>

enum class BodyKind : std::uint8_t {
    Json,  // one JSON object with the event's facts (and a title and message for the services)
    Text,  // one line of plain text, as ntfy takes it
};

constexpr unsigned kNotifyHeaderCount = 3;

struct NotifySettings {
    std::string url;                        // http:// or https://; empty: no web request
    std::string method = "POST";            // POST or PUT
    BodyKind body = BodyKind::Json;
    std::string headers[kNotifyHeaderCount];  // "Name: value" lines, empty when unused
    std::string caFile;                     // extra trusted certificates (PEM); empty: the system's
    std::string command;                    // empty: no command
    std::uint32_t commandTimeout = 30;      // seconds before the command is ended
    std::uint32_t requestTimeout = 10;      // seconds before a web request gives up
    std::uint32_t retries = 3;              // further tries after a failure, waits doubling
    std::uint32_t retryWait = 10;           // seconds before the first retry
    std::string events = "all";             // the events sent (notify_choice.h)
    std::string urgency;                    // "event=level" pairs; empty: the services' defaults

    bool WebOn() const { return !url.empty(); }
    bool CommandOn() const { return !command.empty(); }
    bool On() const { return WebOn() || CommandOn(); }
};

enum class NotifyKeyType : std::uint8_t { Text, Number, Method, Body, Url, Events, Urgency };

struct NotifyKey {
    const char* name;
    NotifyKeyType type;
    const char* defaultText;
    std::uint32_t minimum;  // numbers only
    std::uint32_t maximum;
};

constexpr char kNotifySection[] = "Notify";
constexpr unsigned kNotifyKeyCount = 14;
extern const NotifyKey kNotifyKeys[kNotifyKeyCount];

// Sets key `name` (case-insensitive) from `value`. False with `problem` when the value
// is refused (the setting keeps its value) or, with `known` false, the key is not ours.
bool ApplyNotifyKey(NotifySettings& settings, const char* name, const std::string& value, bool& known,
                    std::string& problem);
// The value of key `name` as the file holds it.
std::string NotifyKeyText(const NotifySettings& settings, const char* name);

// [Notify] from an INI file (KELVIX.INI): keys missing or refused keep their defaults.
void LoadNotifySettings(const char* iniPath, NotifySettings& settings);
bool SaveNotifySettings(const char* iniPath, const NotifySettings& settings);

// A URL as logs and the dialog show it: only its secrets masked - a password, a path
// segment or query value that looks made by a machine or is named a secret ("token=").
std::string MaskedUrl(const std::string& url);
// A header line with its value hidden when it is a secret ("Authorization: ****"); other
// headers whole ("Title: disks").
std::string MaskedHeader(const std::string& line);
