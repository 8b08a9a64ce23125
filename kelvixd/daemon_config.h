// kelvixd's configuration, /etc/kelvix/kelvixd.conf: an INI file with the keys of
// KELVIX.INI where they mean the same, and a [Daemon] section of its own. A line that is
// not a section, a key=value pair, a comment or blank, and a value out of range are
// errors naming the line and the key; keys kelvixd does not use are warnings, and so are
// a junk AllowedHosts or ReportsPerSecond, which fall back to KELVIX's defaults.
#pragma once

#include "mqtt_settings.h"
#include "notify_settings.h"
#include "settings.h"

#include <cstdint>
#include <string>
#include <vector>

struct DaemonConfig {
    // KELVIX's keys that kelvixd reads (those marked kSettingInDaemon in KELVIX's table),
    // in the fields KELVIX keeps them in; UseNetwork is on by default.
    Settings settings;
    NotifySettings notify;  // [Notify], the notifications' own key table
    MqttSettings mqtt;      // [Mqtt]: the Home Assistant publisher; no Host: off
    std::string stateDirectory = "/var/lib/kelvix";
    std::string sysBlock = "/sys/block";
    std::string devices = "/dev";
};

struct ConfigProblem {
    unsigned line = 0;
    std::string text;  // "[Timer] Current: ..." and the like
    bool fatal = true;
};

DaemonConfig DefaultDaemonConfig();
// Reads `text` (the file's bytes) over `config`; the problems in line order. The config
// is usable only when none of them is fatal.
std::vector<ConfigProblem> ParseDaemonConfig(const std::string& text, DaemonConfig& config);
// Reads the file; a missing file keeps the defaults (`missing` set), an unreadable one
// is a fatal problem on line 0.
std::vector<ConfigProblem> LoadDaemonConfig(const char* path, DaemonConfig& config, bool& missing);
