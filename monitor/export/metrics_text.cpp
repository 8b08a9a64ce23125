#include "metrics_text.h"

#include <cstdio>

namespace {

const char* KindName(DriveKind kind)
{
    switch (kind) {
    case DriveKind::Nvme: return "NVMe";
    case DriveKind::Property: return "property";
    case DriveKind::Ata: break;
    }
    return "ATA";
}

void AppendHeader(std::string& out, const char* name, const char* type, const char* help)
{
    out += "# HELP ";
    out += name;
    out += ' ';
    out += help;
    out += "\n# TYPE ";
    out += name;
    out += ' ';
    out += type;
    out += '\n';
}

void AppendDriveLabels(std::string& out, const DriveSnapshotEntry& drive)
{
    char number[16];
    std::snprintf(number, sizeof number, "%u", drive.driveNumber);
    out += "{drive=\"";
    out += number;
    out += "\",serial=\"";
    AppendLabelValue(out, drive.serial);
    out += '"';
}

void AppendSample(std::string& out, const char* name, const DriveSnapshotEntry& drive, const char* value)
{
    out += name;
    AppendDriveLabels(out, drive);
    out += "} ";
    out += value;
    out += '\n';
}

void AppendSample(std::string& out, const char* name, const DriveSnapshotEntry& drive, unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    AppendSample(out, name, drive, text);
}

// A percentage as the ratio the conventions prefer (base units): 37 % is 0.37.
void AppendRatio(std::string& out, const char* name, const DriveSnapshotEntry& drive, unsigned percent)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%02u", percent / 100, percent % 100);
    AppendSample(out, name, drive, text);
}

// One metric family over the drives that have it: HELP and TYPE once, then a sample
// per drive. `has` tells whether a drive has the series, `append` writes its sample.
template <typename Has, typename Append>
void AppendFamily(std::string& out, const DriveSnapshot& snapshot, const char* name, const char* type,
                  const char* help, Has has, Append append)
{
    bool headerWritten = false;
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        const DriveSnapshotEntry& drive = snapshot.drives[i];
        if (!has(drive)) {
            continue;
        }
        if (!headerWritten) {
            AppendHeader(out, name, type, help);
            headerWritten = true;
        }
        append(drive);
    }
}

void AppendCounter(std::string& out, const char* name, const char* type, const char* help,
                   unsigned long long value)
{
    AppendHeader(out, name, type, help);
    char text[32];
    std::snprintf(text, sizeof text, "%llu", value);
    out += name;
    out += ' ';
    out += text;
    out += '\n';
}

// The Home Assistant publisher, when one is set up.
void AppendPublisherSeries(std::string& out, const PublisherState& mqtt)
{
    if (!mqtt.configured) {
        return;
    }
    AppendCounter(out, "kelvix_mqtt_connected", "gauge", "1 while connected to the MQTT broker, 0 when not.",
                  mqtt.connected ? 1 : 0);
    AppendCounter(out, "kelvix_mqtt_connections_total", "counter", "Connections the MQTT broker accepted.",
                  mqtt.connects);
    AppendCounter(out, "kelvix_mqtt_connection_failures_total", "counter",
                  "Connections to the MQTT broker that failed or were lost.", mqtt.failures);
    AppendCounter(out, "kelvix_mqtt_messages_published_total", "counter",
                  "MQTT messages sent to the broker (discovery, states, availability).", mqtt.published);
}
// The ATA counts as metrics, in kAtaCountIdList's order. Counts that only grow are
// counters; the sector counts can fall (a pending sector rewritten), so they are gauges.
struct CountMetric {
    const char* name;
    const char* type;
    const char* help;
};
const CountMetric kCountMetrics[kAtaCountIds] = {
    {"kelvix_drive_ata_reallocated_sectors", "gauge", "ATA attribute 5: sectors the drive has replaced by spares."},
    {"kelvix_drive_ata_reported_uncorrectable_errors_total", "counter",
     "ATA attribute 187: errors the drive could not correct."},
    {"kelvix_drive_ata_command_timeouts_total", "counter", "ATA attribute 188: commands that timed out."},
    {"kelvix_drive_ata_pending_sectors", "gauge",
     "ATA attribute 197: unreadable sectors waiting to be rewritten or replaced."},
    {"kelvix_drive_ata_offline_uncorrectable_sectors", "gauge",
     "ATA attribute 198: sectors the drive's own scan could not read."},
    {"kelvix_drive_ata_udma_crc_errors_total", "counter",
     "ATA attribute 199: transfer errors on the cable (not the disk's surface)."},
};

const HealthState kReportedStates[] = {HealthState::Good, HealthState::Caution, HealthState::Bad};

}  // namespace

void AppendLabelValue(std::string& out, const char* value)
{
    for (const char* c = value; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte == '"') {
            out += "\\\"";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte > 0x7E) {
            out += '?';
        } else {
            out += *c;
        }
    }
}

std::string BuildMetricsText(const DriveSnapshot& snapshot, const char* version)
{
    std::string out;
    out.reserve(1024 + snapshot.count * 1024);
    AppendHeader(out, "kelvix_build_info", "gauge", "KELVIX build information; the value is always 1.");
    out += "kelvix_build_info{version=\"";
    AppendLabelValue(out, version);
    out += "\"} 1\n";

    const auto always = [](const DriveSnapshotEntry&) { return true; };
    const auto nvmeHealth = [](const DriveSnapshotEntry& drive) { return drive.hasHealth; };

    AppendFamily(out, snapshot, "kelvix_drive_info", "gauge",
        "Identity of each present drive; the value is always 1.", always, [&out](const DriveSnapshotEntry& drive) {
            out += "kelvix_drive_info";
            AppendDriveLabels(out, drive);
            out += ",model=\"";
            AppendLabelValue(out, drive.model);
            out += "\",firmware=\"";
            AppendLabelValue(out, drive.firmware);
            out += "\",kind=\"";
            out += KindName(drive.kind);
            out += "\",media=\"";
            out += MediaName(drive.media);
            out += "\"} 1\n";
        });
    AppendFamily(out, snapshot, "kelvix_drive_read_success", "gauge",
        "1 when the last measurement could read the drive, 0 when the read failed.", always,
        [&out](const DriveSnapshotEntry& drive) {
            AppendSample(out, "kelvix_drive_read_success", drive,
                drive.condition == DriveCondition::ReadFailed ? "0" : "1");
        });
    AppendFamily(out, snapshot, "kelvix_drive_readable", "gauge",
        "1 while the drive answers, 0 while its reads fail (no temperature sample then).", always,
        [&out](const DriveSnapshotEntry& drive) {
            AppendSample(out, "kelvix_drive_readable", drive,
                drive.verdict.temperature == TemperatureState::NotAnswering ? "0" : "1");
        });
    AppendFamily(out, snapshot, "kelvix_drive_temperature_celsius", "gauge",
        "Last temperature read from the drive, in degrees Celsius.",
        [](const DriveSnapshotEntry& drive) {
            return drive.temperature != 0 && drive.verdict.temperature != TemperatureState::NotAnswering;
        },
        [&out](const DriveSnapshotEntry& drive) {
            AppendSample(out, "kelvix_drive_temperature_celsius", drive, drive.temperature);
        });
    AppendFamily(out, snapshot, "kelvix_drive_worst_temperature_celsius", "gauge",
        "Highest temperature KELVIX has recorded for the drive, in degrees Celsius.",
        [](const DriveSnapshotEntry& drive) { return drive.worstTemperature != 0; },
        [&out](const DriveSnapshotEntry& drive) {
            AppendSample(out, "kelvix_drive_worst_temperature_celsius", drive, drive.worstTemperature);
        });
    AppendFamily(out, snapshot, "kelvix_drive_warning_temperature_celsius", "gauge",
        "Temperature above which KELVIX warns about the drive, in degrees Celsius (each drive's own).",
        [](const DriveSnapshotEntry& drive) { return drive.verdict.warningTemperature != 0; },
        [&out](const DriveSnapshotEntry& drive) {
            AppendSample(out, "kelvix_drive_warning_temperature_celsius", drive, drive.verdict.warningTemperature);
        });
    AppendFamily(out, snapshot, "kelvix_drive_nvme_critical_warning", "gauge",
        "Critical warning bits of the NVMe health log (0 when all is well).", nvmeHealth,
        [&out](const DriveSnapshotEntry& drive) {
            AppendSample(out, "kelvix_drive_nvme_critical_warning", drive, drive.criticalWarning);
        });
    AppendFamily(out, snapshot, "kelvix_drive_nvme_available_spare_ratio", "gauge",
        "Remaining spare capacity of the NVMe drive (1 = all of it).", nvmeHealth,
        [&out](const DriveSnapshotEntry& drive) {
            AppendRatio(out, "kelvix_drive_nvme_available_spare_ratio", drive, drive.availableSpare);
        });
    AppendFamily(out, snapshot, "kelvix_drive_nvme_available_spare_threshold_ratio", "gauge",
        "Spare capacity below which the NVMe drive raises its critical warning.", nvmeHealth,
        [&out](const DriveSnapshotEntry& drive) {
            AppendRatio(out, "kelvix_drive_nvme_available_spare_threshold_ratio", drive, drive.availableSpareThreshold);
        });
    AppendFamily(out, snapshot, "kelvix_drive_nvme_percentage_used_ratio", "gauge",
        "Vendor estimate of the NVMe drive's life used (1 = its rated life; may exceed 1).", nvmeHealth,
        [&out](const DriveSnapshotEntry& drive) {
            AppendRatio(out, "kelvix_drive_nvme_percentage_used_ratio", drive, drive.percentageUsed);
        });
    AppendFamily(out, snapshot, "kelvix_drive_nvme_media_errors_total", "counter",
        "Unrecovered data integrity errors the NVMe drive has counted over its life.", nvmeHealth,
        [&out](const DriveSnapshotEntry& drive) {
            AppendSample(out, "kelvix_drive_nvme_media_errors_total", drive, drive.mediaErrors);
        });
    AppendFamily(out, snapshot, "kelvix_drive_hot", "gauge",
        "1 while the drive is above its warning temperature (cooling a few degrees below ends it).",
        [](const DriveSnapshotEntry& drive) { return drive.verdict.temperature != TemperatureState::Unknown; },
        [&out](const DriveSnapshotEntry& drive) {
            AppendSample(out, "kelvix_drive_hot", drive, drive.verdict.temperature == TemperatureState::Hot ? "1" : "0");
        });
    AppendFamily(out, snapshot, "kelvix_drive_health_state", "gauge",
        "1 for the drive's health state (good, caution or bad), 0 for the others; absent until judged.",
        [](const DriveSnapshotEntry& drive) { return drive.verdict.health != HealthState::Unknown; },
        [&out](const DriveSnapshotEntry& drive) {
            for (const HealthState state : kReportedStates) {
                out += "kelvix_drive_health_state";
                AppendDriveLabels(out, drive);
                out += ",state=\"";
                out += HealthStateName(state);
                out += drive.verdict.health == state ? "\"} 1\n" : "\"} 0\n";
            }
        });
    for (unsigned slot = 0; slot < kAtaCountIds; ++slot) {
        const CountMetric& metric = kCountMetrics[slot];
        AppendFamily(out, snapshot, metric.name, metric.type, metric.help,
            [slot](const DriveSnapshotEntry& drive) { return (drive.verdict.countsKnown & (1u << slot)) != 0; },
            [&out, &metric, slot](const DriveSnapshotEntry& drive) {
                char value[24];
                std::snprintf(value, sizeof value, "%llu", static_cast<unsigned long long>(drive.verdict.counts[slot]));
                AppendSample(out, metric.name, drive, value);
            });
    }
    if (snapshot.notifications.on) {
        AppendHeader(out, "kelvix_notifications_delivered_total", "counter",
            "Notifications (web requests and commands) delivered since the start.");
        out += "kelvix_notifications_delivered_total " + std::to_string(snapshot.notifications.delivered) + "\n";
        AppendHeader(out, "kelvix_notifications_failed_total", "counter",
            "Notifications given up after their retries, or refused by a full queue, since the start.");
        out += "kelvix_notifications_failed_total " + std::to_string(snapshot.notifications.failed) + "\n";
    }
    AppendPublisherSeries(out, snapshot.mqtt);
    return out;
}
