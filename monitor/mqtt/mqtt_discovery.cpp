#include "mqtt_discovery.h"

#include "drive_verdict.h"

#include <cstdio>
#include <cstring>

namespace {

// The entities of a drive: discovery component, entity id suffix, and the JSON lines
// beyond the shared ones.
enum class Needs : std::uint8_t { Nothing, NvmeHealth, Reallocated, Pending, PowerOnHours };

struct DriveEntity {
    const char* component;
    const char* entity;
    const char* name;
    const char* options;  // extra "key":value pairs, each followed by a comma
    Needs needs;
};

const DriveEntity kDriveEntities[] = {
    {"sensor", "temperature", "Temperature",
     "\"device_class\":\"temperature\",\"state_class\":\"measurement\",\"unit_of_measurement\":\"\xC2\xB0" "C\","
     "\"value_template\":\"{{ value_json.temperature }}\","
     "\"json_attributes_template\":\"{{ {'sleeping': value_json.sleeping, 'condition': value_json.condition, "
     "'temperature_state': value_json.temperature_state, 'warning_temperature': value_json.warning_temperature} "
     "| tojson }}\",",
     Needs::Nothing},
    {"sensor", "worst_temperature", "Worst temperature",
     "\"device_class\":\"temperature\",\"unit_of_measurement\":\"\xC2\xB0" "C\",\"entity_category\":\"diagnostic\","
     "\"value_template\":\"{{ value_json.worst_temperature }}\",",
     Needs::Nothing},
    {"binary_sensor", "health", "Health",
     "\"device_class\":\"problem\","
     "\"value_template\":\"{{ 'ON' if value_json.health in ('caution', 'bad') else "
     "('OFF' if value_json.health == 'good' else None) }}\","
     "\"json_attributes_template\":\"{{ {'health': value_json.health, 'reasons': value_json.reasons} | tojson }}\",",
     Needs::Nothing},
    {"sensor", "percentage_used", "Percentage used",
     "\"unit_of_measurement\":\"%\",\"state_class\":\"measurement\",\"entity_category\":\"diagnostic\","
     "\"icon\":\"mdi:harddisk\",\"value_template\":\"{{ value_json.percentage_used }}\",",
     Needs::NvmeHealth},
    {"binary_sensor", "hot", "Hot",
     "\"device_class\":\"heat\","
     "\"value_template\":\"{{ 'ON' if value_json.temperature_state == 'hot' else "
     "('OFF' if value_json.temperature_state == 'normal' else None) }}\",",
     Needs::Nothing},
    {"binary_sensor", "asleep", "Asleep",
     "\"icon\":\"mdi:sleep\",\"entity_category\":\"diagnostic\","
     "\"value_template\":\"{{ 'ON' if value_json.sleeping else 'OFF' }}\",",
     Needs::Nothing},
    {"sensor", "reallocated_sectors", "Reallocated sectors",
     "\"state_class\":\"total\",\"entity_category\":\"diagnostic\",\"icon\":\"mdi:harddisk-remove\","
     "\"value_template\":\"{{ value_json.reallocated_sectors }}\",",
     Needs::Reallocated},
    {"sensor", "pending_sectors", "Pending sectors",
     "\"state_class\":\"measurement\",\"entity_category\":\"diagnostic\",\"icon\":\"mdi:harddisk-remove\","
     "\"value_template\":\"{{ value_json.pending_sectors }}\",",
     Needs::Pending},
    {"sensor", "power_on_hours", "Power-on hours",
     "\"device_class\":\"duration\",\"unit_of_measurement\":\"h\",\"state_class\":\"total_increasing\","
     "\"entity_category\":\"diagnostic\",\"value_template\":\"{{ value_json.power_on_hours }}\",",
     Needs::PowerOnHours},
    {"sensor", "available_spare", "Available spare",
     "\"unit_of_measurement\":\"%\",\"state_class\":\"measurement\",\"entity_category\":\"diagnostic\","
     "\"icon\":\"mdi:harddisk\",\"value_template\":\"{{ value_json.available_spare }}\",",
     Needs::NvmeHealth},
    {"sensor", "media_errors", "Media errors",
     "\"state_class\":\"total\",\"entity_category\":\"diagnostic\",\"icon\":\"mdi:harddisk-remove\","
     "\"value_template\":\"{{ value_json.media_errors }}\",",
     Needs::NvmeHealth},
};

bool Has(const DriveSnapshotEntry& drive, Needs needs)
{
    switch (needs) {
    case Needs::Nothing: return true;
    case Needs::NvmeHealth: return drive.kind == DriveKind::Nvme && drive.hasHealth;
    case Needs::Reallocated: return drive.reallocatedSectors >= 0;
    case Needs::Pending: return drive.pendingSectors >= 0;
    case Needs::PowerOnHours: return drive.powerOnHours >= 0;
    }
    return false;
}

// Model prefixes that name their maker, as drives report them.
const struct {
    const char* prefix;
    const char* maker;
} kMakers[] = {
    {"WDC ", "Western Digital"}, {"WD ", "Western Digital"}, {"WD_", "Western Digital"},
    {"ST", "Seagate"}, {"SAMSUNG", "Samsung"}, {"Samsung", "Samsung"}, {"TOSHIBA", "Toshiba"},
    {"HGST", "HGST"}, {"Hitachi", "Hitachi"}, {"HITACHI", "Hitachi"}, {"INTEL", "Intel"}, {"Intel", "Intel"},
    {"Crucial", "Crucial"}, {"CT", "Crucial"}, {"Micron", "Micron"}, {"KINGSTON", "Kingston"},
    {"SanDisk", "SanDisk"}, {"Maxtor", "Maxtor"}, {"MAXTOR", "Maxtor"},
    {"FUJITSU", "Fujitsu"}, {"ADATA", "ADATA"}, {"Corsair", "Corsair"}, {"KIOXIA", "Kioxia"},
    {"SK hynix", "SK hynix"}, {"Seagate", "Seagate"}, {"WD", "Western Digital"},
};

const char* ConditionName(DriveCondition condition)
{
    switch (condition) {
    case DriveCondition::Temperature: return "temperature";
    case DriveCondition::NoTemperature: return "no_temperature";
    case DriveCondition::ReadFailed: return "read_failed";
    case DriveCondition::Sleeping: return "sleeping";
    }
    return "unknown";
}

std::string Number(unsigned value)
{
    return std::to_string(value);
}

// A temperature value, or null when the drive gave none yet.
std::string TemperatureValue(std::uint8_t degrees)
{
    return degrees == 0 ? std::string("null") : Number(degrees);
}

std::string Text(const char* field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

std::string Signed(std::int64_t value)
{
    return value < 0 ? std::string("null") : std::to_string(value);
}

}  // namespace

unsigned StateExpirySeconds(unsigned intervalSeconds)
{
    return 3 * (intervalSeconds == 0 ? 60 : intervalSeconds) + 60;
}

std::string ManufacturerOf(const std::string& model)
{
    for (const auto& maker : kMakers) {
        const std::size_t length = std::strlen(maker.prefix);
        // "ST" and "CT" only before a digit: ST4000VN008, CT500MX500SSD1.
        const bool twoLetters = length == 2;
        if (model.compare(0, length, maker.prefix) == 0 &&
            (!twoLetters || (model.size() > length && model[length] >= '0' && model[length] <= '9'))) {
            return maker.maker;
        }
    }
    return std::string();
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte > 0x7E) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string SafeId(const std::string& text)
{
    std::string id;
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            id += c;
        } else if (c >= 'A' && c <= 'Z') {
            id += static_cast<char>(c - 'A' + 'a');
        } else if (!id.empty() && id.back() != '_') {
            id += '_';
        }
    }
    while (!id.empty() && id.back() == '_') {
        id.pop_back();
    }
    return id.empty() ? std::string("unnamed") : id;
}

DiscoveryTopics::DiscoveryTopics(const MqttSettings& settings, const MqttOrigin& origin)
    : origin_(origin), prefix_(settings.discoveryPrefix), expireAfter_(StateExpirySeconds(origin.intervalSeconds))
{
    const std::string host = SafeId(origin.hostName);
    nodeId_ = SafeId(origin.program) + "_" + host;
    hostDeviceId_ = nodeId_;
    stateBase_ = settings.baseTopic + "/" + host;
    hostStateTopic_ = stateBase_ + "/state";
    availability_ = stateBase_ + "/availability";
    homeAssistantStatus_ = prefix_ + "/status";
}

std::string DiscoveryTopics::DriveId(const DriveSnapshotEntry& drive)
{
    const std::string serial = Text(drive.serial, sizeof drive.serial);
    if (serial.find_first_not_of(' ') != std::string::npos) {
        return SafeId(serial);
    }
    return SafeId(Text(drive.model, sizeof drive.model) + "_drive" + Number(drive.driveNumber));
}

void DiscoveryTopics::DriveIds(const DriveSnapshot& snapshot, std::string (&ids)[kMaxDrives])
{
    const unsigned count = snapshot.count < kMaxDrives ? snapshot.count : kMaxDrives;
    for (unsigned i = 0; i < count; ++i) {
        ids[i] = DriveId(snapshot.drives[i]);
    }
    bool shared[kMaxDrives] = {};
    for (unsigned i = 0; i < count; ++i) {
        for (unsigned j = i + 1; j < count; ++j) {
            if (ids[i] == ids[j]) {
                shared[i] = shared[j] = true;
            }
        }
    }
    for (unsigned i = 0; i < count; ++i) {
        if (shared[i]) {
            const DriveSnapshotEntry& drive = snapshot.drives[i];
            ids[i] = SafeId(ids[i] + "_" + Text(drive.model, sizeof drive.model) + "_drive" + Number(drive.driveNumber));
        }
    }
}

std::string DiscoveryTopics::DriveState(const std::string& driveId) const
{
    return stateBase_ + "/" + driveId + "/state";
}

std::vector<std::string> DiscoveryTopics::DriveConfigTopics(const std::string& driveId) const
{
    std::vector<std::string> topics;
    for (const DriveEntity& entity : kDriveEntities) {
        topics.push_back(EntityConfig(entity.component, driveId, entity.entity));
    }
    return topics;
}

std::string DiscoveryTopics::OwnConfigFilter() const
{
    return prefix_ + "/+/" + nodeId_ + "/+/config";
}

bool DiscoveryTopics::DriveIdOfConfig(const std::string& topic, std::string& driveId) const
{
    const std::string head = prefix_ + "/";
    const std::string node = "/" + nodeId_ + "/";
    const std::string tail = "/config";
    if (topic.compare(0, head.size(), head) != 0 || topic.size() < head.size() + node.size() + tail.size() ||
        topic.compare(topic.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    const std::size_t nodeAt = topic.find(node, head.size());
    if (nodeAt == std::string::npos) {
        return false;
    }
    const std::size_t objectAt = nodeAt + node.size();
    const std::string object = topic.substr(objectAt, topic.size() - tail.size() - objectAt);
    // The longest entity name that ends the object id: "worst_temperature" before "temperature".
    std::size_t best = 0;
    for (const DriveEntity& entity : kDriveEntities) {
        const std::string suffix = std::string("_") + entity.entity;
        if (object.size() > suffix.size() && suffix.size() > best &&
            object.compare(object.size() - suffix.size(), suffix.size(), suffix) == 0) {
            best = suffix.size();
        }
    }
    if (best == 0) {
        return false;
    }
    driveId = object.substr(0, object.size() - best);
    return true;
}

std::string DiscoveryTopics::EntityConfig(const char* component, const std::string& driveId, const char* entity) const
{
    return prefix_ + "/" + component + "/" + nodeId_ + "/" + driveId + "_" + entity + "/config";
}

std::string DiscoveryTopics::DeviceBlock(const DriveSnapshotEntry& drive, const std::string& driveId) const
{
    const std::string model = Text(drive.model, sizeof drive.model);
    const std::string serial = Text(drive.serial, sizeof drive.serial);
    // The drive number tells two disks of one model apart on the host's page.
    const std::string drivePlace = "drive " + Number(drive.driveNumber);
    std::string block = "\"device\":{\"identifiers\":[" + JsonString("kelvix_drive_" + driveId) + "],";
    block += "\"name\":" + JsonString(model.empty() ? "Drive " + Number(drive.driveNumber) : model + " (" + drivePlace + ")") + ",";
    block += "\"model\":" + JsonString(model) + ",";
    const std::string maker = ManufacturerOf(model);
    if (!maker.empty()) {
        block += "\"manufacturer\":" + JsonString(maker) + ",";
    }
    if (!serial.empty()) {
        block += "\"serial_number\":" + JsonString(serial) + ",";
    }
    block += "\"sw_version\":" + JsonString(Text(drive.firmware, sizeof drive.firmware)) + ",";
    block += "\"via_device\":" + JsonString(hostDeviceId_) + "}";
    return block;
}

std::vector<MqttMessage> DiscoveryTopics::HostConfigs() const
{
    std::string payload = "{\"name\":\"Drives\",\"unique_id\":" + JsonString(nodeId_ + "_drives") + ",";
    payload += "\"state_topic\":" + JsonString(hostStateTopic_) + ",";
    payload += "\"value_template\":\"{{ value_json.drives }}\",\"state_class\":\"measurement\",";
    payload += "\"icon\":\"mdi:harddisk\",";
    payload += "\"availability_topic\":" + JsonString(availability_) + ",";
    payload += "\"origin\":{\"name\":" + JsonString(origin_.program) + ",\"sw_version\":" + JsonString(origin_.version) +
               "},";
    payload += "\"device\":{\"identifiers\":[" + JsonString(hostDeviceId_) + "],\"name\":" +
               JsonString(origin_.hostName) + ",\"model\":" + JsonString(origin_.program) + ",\"sw_version\":" +
               JsonString(origin_.version) + "}}";
    return {{prefix_ + "/sensor/" + nodeId_ + "/drives/config", payload, 1, true}};
}

MqttMessage DiscoveryTopics::HostState(unsigned driveCount) const
{
    return {hostStateTopic_, "{\"drives\":" + Number(driveCount) + "}", 0, true};
}

std::vector<MqttMessage> DiscoveryTopics::DriveConfigs(const DriveSnapshotEntry& drive,
                                                       const std::string& driveId) const
{
    const std::string device = DeviceBlock(drive, driveId);
    const std::string origin = "\"origin\":{\"name\":" + JsonString(origin_.program) + ",\"sw_version\":" +
                               JsonString(origin_.version) + "},";
    std::vector<MqttMessage> messages;
    for (const DriveEntity& entity : kDriveEntities) {
        if (!Has(drive, entity.needs)) {
            continue;
        }
        std::string payload = "{\"name\":" + JsonString(entity.name) + ",";
        payload += "\"unique_id\":" + JsonString("kelvix_" + driveId + "_" + entity.entity) + ",";
        payload += "\"state_topic\":" + JsonString(DriveState(driveId)) + ",";
        if (std::strstr(entity.options, "json_attributes_template") != nullptr) {
            payload += "\"json_attributes_topic\":" + JsonString(DriveState(driveId)) + ",";
        }
        payload += entity.options;
        payload += "\"expire_after\":" + Number(expireAfter_) + ",";
        payload += "\"availability_topic\":" + JsonString(availability_) + ",";
        payload += origin + device + "}";
        messages.push_back({EntityConfig(entity.component, driveId, entity.entity), payload, 1, true});
    }
    return messages;
}

MqttMessage DiscoveryTopics::DriveStateMessage(const DriveSnapshotEntry& drive, const std::string& driveId) const
{
    const DriveVerdict& verdict = drive.verdict;
    // A drive that does not answer has no current temperature: null, as with none at all.
    const bool current = verdict.temperature != TemperatureState::NotAnswering;
    std::string payload = "{\"temperature\":" + TemperatureValue(current ? drive.temperature : 0);
    payload += ",\"worst_temperature\":" + TemperatureValue(drive.worstTemperature);
    payload += ",\"condition\":\"" + std::string(ConditionName(drive.condition)) + "\"";
    payload += std::string(",\"sleeping\":") + (drive.condition == DriveCondition::Sleeping ? "true" : "false");
    payload += ",\"temperature_state\":\"" + std::string(TemperatureStateName(verdict.temperature)) + "\"";
    payload += ",\"warning_temperature\":" + TemperatureValue(verdict.warningTemperature);
    payload += ",\"health\":\"" + std::string(HealthStateName(verdict.health)) + "\",\"reasons\":[";
    for (unsigned i = 0; i < verdict.reasonCount && i < kMaxHealthReasons; ++i) {
        char reason[160];
        FormatHealthReason(verdict.reasons[i], reason, sizeof reason);
        payload += (i > 0 ? "," : "") + JsonString(reason);
    }
    payload += "]";
    if (drive.kind == DriveKind::Nvme && drive.hasHealth) {
        payload += ",\"percentage_used\":" + Number(drive.percentageUsed);
        payload += ",\"available_spare\":" + Number(drive.availableSpare);
        payload += ",\"media_errors\":" + std::string(drive.mediaErrors[0] != '\0' ? drive.mediaErrors : "null");
    }
    if (Has(drive, Needs::Reallocated)) {
        payload += ",\"reallocated_sectors\":" + Signed(drive.reallocatedSectors);
    }
    if (Has(drive, Needs::Pending)) {
        payload += ",\"pending_sectors\":" + Signed(drive.pendingSectors);
    }
    if (Has(drive, Needs::PowerOnHours)) {
        payload += ",\"power_on_hours\":" + Signed(drive.powerOnHours);
    }
    payload += "}";
    return {DriveState(driveId), payload, 0, true};
}

std::vector<MqttMessage> DiscoveryTopics::DriveRemoval(const std::string& driveId) const
{
    std::vector<MqttMessage> messages;
    for (const std::string& topic : DriveConfigTopics(driveId)) {
        messages.push_back({topic, std::string(), 1, true});
    }
    messages.push_back({DriveState(driveId), std::string(), 1, true});
    return messages;
}
