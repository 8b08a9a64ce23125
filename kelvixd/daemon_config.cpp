#include "daemon_config.h"

#include "export_server.h"
#include "request_gate.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

struct PathKey {
    const char* section;
    const char* key;
    std::string DaemonConfig::*field;
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

// What the table's range cannot say: a list that parses, an address that is one.
bool CheckMeaning(const SettingKey& key, const Settings& settings, std::string& problem)
{
    if (std::strcmp(key.key, "AllowedHosts") == 0) {
        AccessRules rules;
        if (!MakeAccessRules(settings.AllowedHosts, settings.ReportsPerSecond, rules)) {
            problem = "not a list of addresses and networks";
            return false;
        }
    } else if (std::strcmp(key.key, "ListenAddress") == 0) {
        std::uint32_t address = 0;
        if (!ParseListenAddress(settings.ListenAddress, address)) {
            problem = "needs an IPv4 address such as 127.0.0.1, or nothing for every interface, not \"" +
                      std::string(settings.ListenAddress) + "\"";
            return false;
        }
    }
    return true;
}

// One of KELVIX's keys. A refused value is an error, except for the strict keys, whose junk
// gives KELVIX's default with `problem` set for a warning, as KELVIX does: a list nobody
// fits would silently break every client.
bool ApplySetting(const SettingKey& key, const std::string& value, Settings& settings, std::string& problem)
{
    Settings tried = settings;
    if (ParseSettingValue(key, value, &tried, problem) && CheckMeaning(key, tried, problem)) {
        settings = tried;
        return true;
    }
    if (!key.strict) {
        return false;
    }
    const Settings defaults;
    std::memcpy(reinterpret_cast<char*>(&settings) + key.offset, reinterpret_cast<const char*>(&defaults) + key.offset,
                key.size);
    if (key.kind == SettingKind::Text) {
        problem += " (" + std::to_string(value.size()) + " characters)";
    }
    problem += ": using " + SettingValueText(key, &settings);
    return true;
}

// Applies one key; false with `problem` when its value is refused, and `known` false
// for keys kelvixd does not use. True with `problem` set: a warning, the value replaced.
bool Apply(const std::string& section, const std::string& key, const std::string& value, DaemonConfig& config,
           bool& known, std::string& problem)
{
    known = true;
    const SettingKey* setting = KelvixSettingKeys().Find(section.c_str(), key.c_str());
    if (setting != nullptr && (setting->uses & kSettingInDaemon) != 0) {
        return ApplySetting(*setting, value, config.settings, problem);
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
    if (Same(section, kMqttSection)) {
        return ApplyMqttKey(config.mqtt, key, value, known, problem);
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
    config.settings.UseNetwork = 1;
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
