#include "notify_settings.h"

#include "inifile.h"
#include "notify_choice.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

bool Same(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    const std::size_t length = std::strlen(prefix);
    return text.size() >= length && Same(text.substr(0, length).c_str(), prefix);
}

bool ParseNumber(const std::string& value, std::uint32_t& number)
{
    if (value.empty() || value.size() > 9) {
        return false;
    }
    std::uint32_t parsed = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') {
            return false;
        }
        parsed = parsed * 10 + static_cast<std::uint32_t>(c - '0');
    }
    number = parsed;
    return true;
}

// Control bytes would end a header line or a log line early.
bool Printable(const std::string& value)
{
    for (const char c : value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

std::string* TextField(NotifySettings& s, const char* name)
{
    if (Same(name, "Command")) return &s.command;
    if (Same(name, "CaFile")) return &s.caFile;
    if (Same(name, "Header1")) return &s.headers[0];
    if (Same(name, "Header2")) return &s.headers[1];
    if (Same(name, "Header3")) return &s.headers[2];
    if (Same(name, "Events")) return &s.events;
    if (Same(name, "Urgency")) return &s.urgency;
    return nullptr;
}

std::uint32_t* NumberField(NotifySettings& s, const char* name)
{
    if (Same(name, "CommandTimeout")) return &s.commandTimeout;
    if (Same(name, "RequestTimeout")) return &s.requestTimeout;
    if (Same(name, "Retries")) return &s.retries;
    if (Same(name, "RetryWait")) return &s.retryWait;
    return nullptr;
}

const NotifyKey* FindKey(const char* name)
{
    for (const NotifyKey& key : kNotifyKeys) {
        if (Same(key.name, name)) {
            return &key;
        }
    }
    return nullptr;
}

// The host part of a URL: from after "://" to the first '/', '?' or '#', without a user
// and password.
std::size_t HostEnd(const std::string& url, std::size_t hostStart)
{
    const std::size_t end = url.find_first_of("/?#", hostStart);
    return end == std::string::npos ? url.size() : end;
}

}  // namespace

const NotifyKey kNotifyKeys[kNotifyKeyCount] = {
    {"Url", NotifyKeyType::Url, "", 0, 0},
    {"Method", NotifyKeyType::Method, "POST", 0, 0},
    {"Body", NotifyKeyType::Body, "json", 0, 0},
    {"Header1", NotifyKeyType::Text, "", 0, 0},
    {"Header2", NotifyKeyType::Text, "", 0, 0},
    {"Header3", NotifyKeyType::Text, "", 0, 0},
    {"CaFile", NotifyKeyType::Text, "", 0, 0},
    {"Command", NotifyKeyType::Text, "", 0, 0},
    {"CommandTimeout", NotifyKeyType::Number, "30", 1, 3600},
    {"RequestTimeout", NotifyKeyType::Number, "10", 1, 300},
    {"Retries", NotifyKeyType::Number, "3", 0, 10},
    {"RetryWait", NotifyKeyType::Number, "10", 1, 3600},
    {"Events", NotifyKeyType::Events, "all", 0, 0},
    {"Urgency", NotifyKeyType::Urgency, "", 0, 0},
};

bool ApplyNotifyKey(NotifySettings& settings, const char* name, const std::string& value, bool& known,
                    std::string& problem)
{
    const NotifyKey* key = FindKey(name);
    known = key != nullptr;
    if (key == nullptr) {
        problem = "not a [Notify] key";
        return false;
    }
    if (!Printable(value) || value.size() > 2000) {
        problem = "must be one line of at most 2000 characters without control characters";
        return false;
    }
    switch (key->type) {
    case NotifyKeyType::Url: {
        if (!value.empty() && !(StartsWith(value, "http://") || StartsWith(value, "https://"))) {
            problem = "must start with http:// or https://";
            return false;
        }
        const std::size_t hostStart = value.find("://") + 3;
        if (!value.empty() && HostEnd(value, hostStart) == hostStart) {
            problem = "names no host";
            return false;
        }
        settings.url = value;
        return true;
    }
    case NotifyKeyType::Method:
        if (!Same(value.c_str(), "POST") && !Same(value.c_str(), "PUT")) {
            problem = "must be POST or PUT, not \"" + value + "\"";
            return false;
        }
        settings.method = Same(value.c_str(), "POST") ? "POST" : "PUT";
        return true;
    case NotifyKeyType::Body:
        if (!Same(value.c_str(), "json") && !Same(value.c_str(), "text")) {
            problem = "must be json or text, not \"" + value + "\"";
            return false;
        }
        settings.body = Same(value.c_str(), "json") ? BodyKind::Json : BodyKind::Text;
        return true;
    case NotifyKeyType::Number: {
        std::uint32_t number = 0;
        if (!ParseNumber(value, number) || number < key->minimum || number > key->maximum) {
            problem = "must be a whole number from " + std::to_string(key->minimum) + " to " +
                      std::to_string(key->maximum) + ", not \"" + value + "\"";
            return false;
        }
        *NumberField(settings, key->name) = number;
        return true;
    }
    case NotifyKeyType::Events:
    case NotifyKeyType::Urgency: {
        EventChoice choice;
        if (!(key->type == NotifyKeyType::Events ? ParseEventList(value, choice, problem)
                                                 : ParseUrgencyList(value, choice, problem))) {
            return false;
        }
        *TextField(settings, key->name) = value;
        return true;
    }
    case NotifyKeyType::Text:
        if (StartsWith(key->name, "Header") && !value.empty()) {
            const std::size_t colon = value.find(':');
            if (colon == std::string::npos || colon == 0 || value.find(' ') < colon) {
                problem = "must read \"Name: value\"";
                return false;
            }
        }
        *TextField(settings, key->name) = value;
        return true;
    }
    return false;
}

std::string NotifyKeyText(const NotifySettings& settings, const char* name)
{
    NotifySettings& s = const_cast<NotifySettings&>(settings);  // the fields are only read
    if (Same(name, "Url")) return settings.url;
    if (Same(name, "Method")) return settings.method;
    if (Same(name, "Body")) return settings.body == BodyKind::Json ? "json" : "text";
    if (const std::string* text = TextField(s, name)) return *text;
    if (const std::uint32_t* number = NumberField(s, name)) return std::to_string(*number);
    return std::string();
}

void LoadNotifySettings(const char* iniPath, NotifySettings& settings)
{
    INIFILE ini;
    ini.Open(iniPath);
    ini.ReadWholeSections();
    for (const NotifyKey& key : kNotifyKeys) {
        char value[2048] = "";
        ini.Read(kNotifySection, key.name, key.defaultText, value, sizeof value);
        bool known = false;
        std::string problem;
        ApplyNotifyKey(settings, key.name, value, known, problem);  // refused: the default stays
    }
    ini.Close();
}

bool SaveNotifySettings(const char* iniPath, const NotifySettings& settings)
{
    INIFILE ini;
    ini.Open(iniPath);
    int written = 1;
    for (const NotifyKey& key : kNotifyKeys) {
        written &= ini.Write(kNotifySection, key.name, NotifyKeyText(settings, key.name).c_str());
    }
    ini.Close();
    return written != 0;
}

namespace {

constexpr char kMask[] = "****";

// A name that says what follows is a secret: Authorization, X-Api-Key, token=, password=.
bool NamesASecret(const std::string& name)
{
    std::string lower;
    for (const char c : name) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const char* word : {"auth", "token", "key", "secret", "pass", "cookie", "signature", "session"}) {
        if (lower.find(word) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// A word made by a machine rather than a person: long, or letters and digits mixed.
bool LooksGenerated(const std::string& word)
{
    bool letter = false;
    bool digit = false;
    for (const char c : word) {
        letter |= std::isalpha(static_cast<unsigned char>(c)) != 0;
        digit |= std::isdigit(static_cast<unsigned char>(c)) != 0;
    }
    return word.size() >= 16 || (word.size() >= 10 && letter && digit);
}

bool AnyWordLooksGenerated(const std::string& text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (LooksGenerated(text.substr(start, end - start))) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool IsSecret(const std::string& name, const std::string& value)
{
    return !value.empty() && (NamesASecret(name) || AnyWordLooksGenerated(value));
}

// Each part between the separators as `masked` shows it; the separators kept.
template <typename Mask>
std::string MaskEachPart(const std::string& text, char separator, Mask masked)
{
    std::string shown;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        shown += masked(text.substr(start, end - start));
        if (end < text.size()) {
            shown += separator;
        }
        start = end + 1;
    }
    return shown;
}

// "a/b/c": each segment that is a secret by itself (a token, a secret topic) masked.
std::string MaskedPath(const std::string& path)
{
    return MaskEachPart(path, '/', [](const std::string& segment) {
        return IsSecret(segment, segment) ? std::string(kMask) : segment;
    });
}

// "a=1&token=x": the values that are secrets masked, every name kept.
std::string MaskedQuery(const std::string& query)
{
    return MaskEachPart(query, '&', [](const std::string& pair) {
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos) {
            return IsSecret(pair, pair) ? std::string(kMask) : pair;
        }
        const std::string name = pair.substr(0, equals);
        const std::string value = pair.substr(equals + 1);
        return name + "=" + (IsSecret(name, value) ? std::string(kMask) : value);
    });
}

// "user:password" shows the user; a user alone only when it is no token.
std::string MaskedUserInfo(const std::string& userInfo)
{
    const std::size_t colon = userInfo.find(':');
    if (colon != std::string::npos) {
        return userInfo.substr(0, colon) + ":" + kMask;
    }
    return IsSecret(userInfo, userInfo) ? kMask : userInfo;
}

}  // namespace

std::string MaskedUrl(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) {
        return url.empty() ? std::string() : std::string(kMask);
    }
    std::size_t hostStart = scheme + 3;
    const std::size_t hostEnd = HostEnd(url, hostStart);
    std::string shown = url.substr(0, hostStart);
    const std::size_t at = url.rfind('@', hostEnd);
    if (at != std::string::npos && at >= hostStart) {
        shown += MaskedUserInfo(url.substr(hostStart, at - hostStart)) + "@";
        hostStart = at + 1;
    }
    shown += url.substr(hostStart, hostEnd - hostStart);
    const std::size_t queryStart = std::min(url.find('?', hostEnd), url.size());
    const std::size_t fragmentStart = std::min(url.find('#', hostEnd), url.size());
    const std::size_t pathEnd = std::min(queryStart, fragmentStart);
    shown += MaskedPath(url.substr(hostEnd, pathEnd - hostEnd));
    if (queryStart < fragmentStart) {
        shown += "?" + MaskedQuery(url.substr(queryStart + 1, fragmentStart - queryStart - 1));
    }
    if (fragmentStart < url.size()) {
        shown += std::string("#") + kMask;  // never sent; whatever it holds stays here
    }
    return shown;
}

std::string MaskedHeader(const std::string& line)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) {
        return line.empty() ? std::string() : std::string(kMask);
    }
    std::size_t valueStart = colon + 1;
    while (valueStart < line.size() && line[valueStart] == ' ') {
        ++valueStart;
    }
    const std::string name = line.substr(0, colon);
    const std::string value = line.substr(valueStart);
    return IsSecret(name, value) ? name + ": " + kMask : line;
}
