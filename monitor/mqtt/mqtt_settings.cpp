#include "mqtt_settings.h"

#include "profile.h"

#include <cstring>
#include <strings.h>

namespace {

enum class KeyKind { Text, Secret, Topic, Port, Flag };

struct MqttKey {
    const char* name;
    KeyKind kind;
    std::string MqttSettings::*text;
    std::uint32_t MqttSettings::*number;
    bool MqttSettings::*flag;
};

const MqttKey kKeys[] = {
    {"Host", KeyKind::Text, &MqttSettings::host, nullptr, nullptr},
    {"Port", KeyKind::Port, nullptr, &MqttSettings::port, nullptr},
    {"User", KeyKind::Text, &MqttSettings::user, nullptr, nullptr},
    {"Password", KeyKind::Secret, &MqttSettings::password, nullptr, nullptr},
    {"Tls", KeyKind::Flag, nullptr, nullptr, &MqttSettings::tls},
    {"CaFile", KeyKind::Text, &MqttSettings::caFile, nullptr, nullptr},
    {"BaseTopic", KeyKind::Topic, &MqttSettings::baseTopic, nullptr, nullptr},
    {"DiscoveryPrefix", KeyKind::Topic, &MqttSettings::discoveryPrefix, nullptr, nullptr},
};

constexpr std::size_t kMaxText = 255;

const MqttKey* Find(const char* name)
{
    for (const MqttKey& key : kKeys) {
        if (strcasecmp(key.name, name) == 0) {
            return &key;
        }
    }
    return nullptr;
}

// A topic level list we publish under: no wildcards, no empty level, no NUL.
bool IsTopic(const std::string& value)
{
    if (value.empty() || value.front() == '/' || value.back() == '/' || value.find("//") != std::string::npos) {
        return false;
    }
    for (const char c : value) {
        if (c == '+' || c == '#' || c == '\0' || static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

}  // namespace

const std::vector<const char*>& MqttKeyNames()
{
    static const std::vector<const char*> names = [] {
        std::vector<const char*> list;
        for (const MqttKey& key : kKeys) {
            list.push_back(key.name);
        }
        return list;
    }();
    return names;
}

bool ApplyMqttKey(MqttSettings& settings, const std::string& key, const std::string& value, bool& known,
                  std::string& problem)
{
    const MqttKey* entry = Find(key.c_str());
    known = entry != nullptr;
    if (!known) {
        return true;
    }
    switch (entry->kind) {
    case KeyKind::Port: {
        std::uint32_t port = 0;
        bool digits = !value.empty() && value.size() <= 5;
        for (const char c : value) {
            digits = digits && c >= '0' && c <= '9';
            port = port * 10 + static_cast<std::uint32_t>(c - '0');
        }
        if (!digits || port < 1 || port > 65535) {
            problem = "must be a port from 1 to 65535, not \"" + value + "\"";
            return false;
        }
        settings.*entry->number = port;
        return true;
    }
    case KeyKind::Flag:
        if (value != "0" && value != "1") {
            problem = "must be 0 or 1, not \"" + value + "\"";
            return false;
        }
        settings.*entry->flag = value == "1";
        return true;
    case KeyKind::Topic:
        if (value.size() > kMaxText || !IsTopic(value)) {
            problem = "must be a topic without + or #, empty levels or a leading or trailing /, not \"" + value + "\"";
            return false;
        }
        settings.*entry->text = value;
        return true;
    case KeyKind::Text:
    case KeyKind::Secret:
        if (value.size() > kMaxText) {
            problem = "must be at most " + std::to_string(kMaxText) + " characters";
            return false;
        }
        settings.*entry->text = value;
        return true;
    }
    return true;
}

std::string MqttKeyText(const MqttSettings& settings, const char* key)
{
    const MqttKey* entry = Find(key);
    if (entry == nullptr) {
        return std::string();
    }
    if (entry->number != nullptr) {
        return std::to_string(settings.*entry->number);
    }
    if (entry->flag != nullptr) {
        return settings.*entry->flag ? "1" : "0";
    }
    return settings.*entry->text;
}

MqttSettings LoadMqttSettings(const char* iniFile, std::vector<std::string>& problems)
{
    MqttSettings settings;
    for (const MqttKey& key : kKeys) {
        constexpr char kAbsent[] = "\x01";
        char value[kMaxText + 2] = "";
        profile::GetString(kMqttSection, key.name, kAbsent, value, sizeof value, iniFile);
        if (std::strcmp(value, kAbsent) == 0) {
            continue;
        }
        bool known = true;
        std::string problem;
        if (!ApplyMqttKey(settings, key.name, value, known, problem)) {
            problems.push_back(std::string("[Mqtt] ") + key.name + ": " + problem);
        }
    }
    return settings;
}

bool SaveMqttSettings(const MqttSettings& settings, const char* iniFile)
{
    bool saved = true;
    for (const MqttKey& key : kKeys) {
        saved = profile::WriteString(kMqttSection, key.name, MqttKeyText(settings, key.name).c_str(), iniFile) && saved;
    }
    return saved;
}
