#include "daemon_config.h"

#include "export_server.h"
#include "request_gate.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

struct NumberKey {
    const char* section;
    const char* key;
    std::uint32_t minimum;
    std::uint32_t maximum;
    std::uint32_t DaemonConfig::*field;
};

// Keys KELVIX.INI has too, kept where KELVIX keeps them, so every rule reads them alike.
struct SettingsNumberKey {
    const char* section;
    const char* key;
    std::uint32_t minimum;
    std::uint32_t maximum;
    std::uint32_t Settings::*field;
};

struct FlagKey {
    const char* section;
    const char* key;
    bool DaemonConfig::*field;
};

struct PathKey {
    const char* section;
    const char* key;
    std::string DaemonConfig::*field;
};

constexpr std::uint32_t kDay = 86400;

const NumberKey kNumbers[] = {
    {"Timer", "Current", 1, kDay, &DaemonConfig::interval},
    {"Network", "Port", 1, 65535, &DaemonConfig::port},
    {"Export", "HddtempPort", 0, 65535, &DaemonConfig::hddtempPort},
    {"Export", "MetricsPort", 0, 65535, &DaemonConfig::metricsPort},
};
const SettingsNumberKey kSettingsNumbers[] = {
    {"Threshold", "Current", 0, 255, &Settings::ThresholdCurrent},
    {"Threshold", "NvmeCurrent", 0, 255, &Settings::NvmeCurrent},
};
const FlagKey kFlags[] = {
    {"Network", "UseNetwork", &DaemonConfig::serve},
};
const PathKey kPaths[] = {
    {"Daemon", "StateDirectory", &DaemonConfig::stateDirectory},
    {"Daemon", "SysBlock", &DaemonConfig::sysBlock},
    {"Daemon", "Devices", &DaemonConfig::devices},
};

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool Same(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

bool ParseNumber(const std::string& value, std::uint32_t minimum, std::uint32_t maximum, std::uint32_t& number)
{
    if (value.empty() || value.size() > 10) {
        return false;
    }
    std::uint64_t parsed = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') {
            return false;
        }
        parsed = parsed * 10 + static_cast<unsigned>(c - '0');
    }
    if (parsed < minimum || parsed > maximum) {
        return false;
    }
    number = static_cast<std::uint32_t>(parsed);
    return true;
}

// The one [Common] text key and flag that Settings holds, copied into its fixed fields.
bool SetCommon(const std::string& key, const std::string& value, DaemonConfig& config, std::string& problem)
{
    Settings& settings = config.settings;
    char* target = Same(key, "LogFile") ? settings.LogFile : Same(key, "CfgFile") ? settings.CfgFile : nullptr;
    if (target != nullptr) {
        if (value.empty() || value.size() >= kPathSize) {
            problem = "needs a path of 1 to " + std::to_string(kPathSize - 1) + " characters";
            return false;
        }
        std::memcpy(target, value.c_str(), value.size() + 1);
        return true;
    }
    std::uint32_t flag = 0;
    if (!ParseNumber(value, 0, 1, flag)) {
        problem = "must be 0 or 1, not \"" + value + "\"";
        return false;
    }
    settings.UseLog = static_cast<std::int32_t>(flag);
    return true;
}

// Who may be answered and how often. Junk gives KELVIX's defaults, as KELVIX does, with
// `problem` set for a warning: a list nobody fits would silently break every client.
void SetNetworkAccess(const std::string& key, const std::string& value, Settings& settings, std::string& problem)
{
    if (Same(key, "ReportsPerSecond")) {
        if (!ParseReportsPerSecond(value.c_str(), settings.ReportsPerSecond)) {
            settings.ReportsPerSecond = kDefaultReportsPerSecond;
            problem = "must be a whole number from 0 to " + std::to_string(kMaxReportsPerSecond) + ", not \"" +
                      value + "\": using " + std::to_string(kDefaultReportsPerSecond);
        }
        return;
    }
    AccessRules rules;
    if (value.size() >= kAllowedHostsSize || !MakeAccessRules(value.c_str(), settings.ReportsPerSecond, rules)) {
        std::strcpy(settings.AllowedHosts, kDefaultAllowedHosts);
        problem = "not a list of addresses and networks (" + std::to_string(value.size()) +
                  " characters): using \"" + kDefaultAllowedHosts + "\"";
        return;
    }
    std::memcpy(settings.AllowedHosts, value.c_str(), value.size() + 1);
}

// Applies one key; false with `problem` when its value is refused, and `known` false
// for keys kelvixd does not use. True with `problem` set: a warning, the value replaced.
bool Apply(const std::string& section, const std::string& key, const std::string& value, DaemonConfig& config,
           bool& known, std::string& problem)
{
    known = true;
    for (const NumberKey& entry : kNumbers) {
        if (Same(section, entry.section) && Same(key, entry.key)) {
            if (!ParseNumber(value, entry.minimum, entry.maximum, config.*entry.field)) {
                problem = "must be a whole number from " + std::to_string(entry.minimum) + " to " +
                          std::to_string(entry.maximum) + ", not \"" + value + "\"";
                return false;
            }
            return true;
        }
    }
    for (const SettingsNumberKey& entry : kSettingsNumbers) {
        if (Same(section, entry.section) && Same(key, entry.key)) {
            if (!ParseNumber(value, entry.minimum, entry.maximum, config.settings.*entry.field)) {
                problem = "must be a whole number from " + std::to_string(entry.minimum) + " to " +
                          std::to_string(entry.maximum) + ", not \"" + value + "\"";
                return false;
            }
            return true;
        }
    }
    for (const FlagKey& entry : kFlags) {
        if (Same(section, entry.section) && Same(key, entry.key)) {
            std::uint32_t flag = 0;
            if (!ParseNumber(value, 0, 1, flag)) {
                problem = "must be 0 or 1, not \"" + value + "\"";
                return false;
            }
            config.*entry.field = flag != 0;
            return true;
        }
    }
    for (const PathKey& entry : kPaths) {
        if (Same(section, entry.section) && Same(key, entry.key)) {
            if (value.empty() || value[0] != '/') {
                problem = "needs an absolute path, not \"" + value + "\"";
                return false;
            }
            config.*entry.field = value;
            return true;
        }
    }
    if (Same(section, "Network") && (Same(key, "AllowedHosts") || Same(key, "ReportsPerSecond"))) {
        SetNetworkAccess(key, value, config.settings, problem);
        return true;
    }
    if (Same(section, "Export") && Same(key, "ListenAddress")) {
        std::uint32_t address = 0;
        if (!ParseListenAddress(value.c_str(), address)) {
            problem = "needs an IPv4 address such as 127.0.0.1, or nothing for every interface, not \"" + value + "\"";
            return false;
        }
        config.listenAddress = value;
        return true;
    }
    if (Same(section, kMqttSection)) {
        return ApplyMqttKey(config.mqtt, key, value, known, problem);
    }
    if (Same(section, "Common") && (Same(key, "UseLog") || Same(key, "LogFile") || Same(key, "CfgFile"))) {
        return SetCommon(key, value, config, problem);
    }
    // The sleeping-drive rules: a spun-down disk is not read (NoWake) until WakeAfter ticks.
    if (Same(section, "Timer") && (Same(key, "NoWake") || Same(key, "WakeAfter"))) {
        const bool noWake = Same(key, "NoWake");
        const std::uint32_t maximum = noWake ? 1 : kDay;
        std::uint32_t number = 0;
        if (!ParseNumber(value, 0, maximum, number)) {
            problem = "must be a whole number from 0 to " + std::to_string(maximum) + ", not \"" + value + "\"";
            return false;
        }
        if (noWake) {
            config.settings.NoWake = static_cast<std::int32_t>(number);
        } else {
            config.settings.WakeAfter = number;
        }
        return true;
    }
    if (Same(section, "Threshold") && Same(key, "Reminder")) {
        std::uint32_t minutes = 0;
        if (!ParseNumber(value, 0, kDay / 60, minutes)) {
            problem = "must be a whole number of minutes from 0 to " + std::to_string(kDay / 60) + ", not \"" +
                      value + "\"";
            return false;
        }
        config.settings.Reminder = minutes;
        return true;
    }
    if (Same(section, kNotifySection)) {
        const bool taken = ApplyNotifyKey(config.notify, key.c_str(), value, known, problem);
        if (!known) {
            problem.clear();  // an unknown key warns, as elsewhere
            return true;
        }
        return taken;
    }
    known = false;
    return true;
}

}  // namespace

DaemonConfig DefaultDaemonConfig()
{
    DaemonConfig config;
    std::strcpy(config.settings.CfgFile, "/usr/share/kelvix/HDDATA.CFG");
    return config;
}

std::vector<ConfigProblem> ParseDaemonConfig(const std::string& text, DaemonConfig& config)
{
    std::vector<ConfigProblem> problems;
    std::istringstream lines(text);
    std::string raw;
    std::string section;
    unsigned number = 0;
    while (std::getline(lines, raw)) {
        ++number;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3) {
                problems.push_back({number, "a section line must read [Name], not \"" + line + "\"", true});
                continue;
            }
            section = Trim(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || Trim(line.substr(0, equals)).empty()) {
            problems.push_back({number, "expected key=value, not \"" + line + "\"", true});
            continue;
        }
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        const std::string name = "[" + section + "] " + key;
        if (section.empty()) {
            problems.push_back({number, key + ": a key before any [Section]", true});
            continue;
        }
        bool known = true;
        std::string problem;
        if (!Apply(section, key, value, config, known, problem)) {
            problems.push_back({number, name + ": " + problem, true});
        } else if (!known) {
            problems.push_back({number, name + ": not used by kelvixd, ignored", false});
        } else if (!problem.empty()) {
            problems.push_back({number, name + ": " + problem, false});
        }
    }
    return problems;
}

std::vector<ConfigProblem> LoadDaemonConfig(const char* path, DaemonConfig& config, bool& missing)
{
    missing = false;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno == ENOENT) {
            missing = true;
            return {};
        }
        return {{0, std::string("cannot be read: ") + std::strerror(errno), true}};
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseDaemonConfig(text.str(), config);
}
