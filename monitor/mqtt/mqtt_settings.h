// The [Mqtt] section: where the Home Assistant publisher connects and what it calls its
// topics. One key table, read by KELVIX (KELVIX.INI) and by kelvixd (kelvixd.conf).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr char kMqttSection[] = "Mqtt";

struct MqttSettings {
    std::string host;                 // Host; empty: the publisher is off
    std::uint32_t port = 1883;        // Port
    std::string user;                 // User; empty: no user name
    std::string password;             // Password (never logged)
    bool tls = false;                 // Tls: 1 for TLS with the certificate and host name checked
    std::string caFile;               // CaFile: a private CA's PEM file; empty: the system's CAs
    std::string baseTopic = "kelvix";             // BaseTopic: states and availability
    std::string discoveryPrefix = "homeassistant";  // DiscoveryPrefix: Home Assistant's

    bool Enabled() const { return !host.empty(); }
};

// The keys in the order they are written.
const std::vector<const char*>& MqttKeyNames();

// Sets one key from its text. False with `problem` ("must be ...") when the value is
// refused (the setting keeps what it had); `known` false for a key that is not ours.
bool ApplyMqttKey(MqttSettings& settings, const std::string& key, const std::string& value, bool& known,
                  std::string& problem);
// The key's value as it is written to the file.
std::string MqttKeyText(const MqttSettings& settings, const char* key);

// Reads the section from an INI file through the profile calls; refused values keep the
// defaults, each refusal as "[Mqtt] Key: problem" in `problems`.
MqttSettings LoadMqttSettings(const char* iniFile, std::vector<std::string>& problems);
// Writes every key; false when a write failed.
bool SaveMqttSettings(const MqttSettings& settings, const char* iniFile);
