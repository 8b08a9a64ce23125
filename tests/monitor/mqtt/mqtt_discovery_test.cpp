#include "mqtt_discovery.h"
#include "mqtt_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

DriveSnapshotEntry Drive(const char* model, const char* serial, unsigned number)
{
    DriveSnapshotEntry drive;
    std::strcpy(drive.model, model);
    std::strcpy(drive.serial, serial);
    std::strcpy(drive.firmware, "FW1");
    drive.driveNumber = number;
    return drive;
}

DiscoveryTopics Topics()
{
    return DiscoveryTopics(MqttSettings(), MqttOrigin{"Office-PC", "kelvixd", "1.0"});
}

TEST(MqttSettingsTest, EachKeyTakesWhatItMeansAndRefusesTheRest)
{
    const std::string tooLong(256, 'p');
    const struct {
        const char* key;
        const char* value;
        bool accepted;
        const char* stored;  // the key's text afterwards
    } cases[] = {
        {"Host", "broker.lan", true, "broker.lan"},
        {"host", "10.0.0.2", true, "10.0.0.2"},
        {"Port", "8883", true, "8883"},
        {"Port", "0", false, "1883"},
        {"Port", "65536", false, "1883"},
        {"Port", "18x", false, "1883"},
        {"Tls", "1", true, "1"},
        {"Tls", "yes", false, "0"},
        {"BaseTopic", "home/disks", true, "home/disks"},
        {"BaseTopic", "disks/#", false, "kelvix"},
        {"BaseTopic", "/disks", false, "kelvix"},
        {"BaseTopic", "a//b", false, "kelvix"},
        {"DiscoveryPrefix", "", false, "homeassistant"},
        {"DiscoveryPrefix", "ha+", false, "homeassistant"},
        {"Password", tooLong.c_str(), false, ""},
        {"User", "", true, ""},
    };
    for (const auto& c : cases) {
        MqttSettings settings;
        bool known = false;
        std::string problem;
        EXPECT_EQ(ApplyMqttKey(settings, c.key, c.value, known, problem), c.accepted) << c.key << "=" << c.value;
        EXPECT_TRUE(known);
        EXPECT_EQ(problem.empty(), c.accepted) << c.key;
        EXPECT_EQ(MqttKeyText(settings, c.key), c.stored) << c.key << "=" << c.value;
    }
    MqttSettings settings;
    bool known = true;
    std::string problem;
    EXPECT_TRUE(ApplyMqttKey(settings, "Colour", "red", known, problem));
    EXPECT_FALSE(known);
}

TEST(MqttDiscoveryTest, DriveIdsComeFromTheSerialOrTheModelAndNumber)
{
    EXPECT_EQ(DiscoveryTopics::DriveId(Drive("WDC WD40EFRX", "WD-WCC4E1234567", 0)), "wd_wcc4e1234567");
    EXPECT_EQ(DiscoveryTopics::DriveId(Drive("Samsung SSD 980", "  S64DNX0R123  ", 3)), "s64dnx0r123");
    EXPECT_EQ(DiscoveryTopics::DriveId(Drive("USB Disk", "", 2)), "usb_disk_drive2");
    EXPECT_EQ(DiscoveryTopics::DriveId(Drive("", "    ", 5)), "drive5");
    EXPECT_EQ(SafeId("+#/\"x"), "x");
    EXPECT_EQ(SafeId("///"), "unnamed");
}

TEST(MqttDiscoveryTest, OwnConfigTopicsNameTheirDrive)
{
    const DiscoveryTopics topics = Topics();
    EXPECT_EQ(topics.OwnConfigFilter(), "homeassistant/+/kelvixd_office_pc/+/config");
    const struct {
        const char* topic;
        const char* driveId;  // nullptr: not a drive's
    } cases[] = {
        {"homeassistant/sensor/kelvixd_office_pc/abc_temperature/config", "abc"},
        {"homeassistant/sensor/kelvixd_office_pc/abc_worst_temperature/config", "abc"},
        {"homeassistant/binary_sensor/kelvixd_office_pc/x_health_health/config", "x_health"},
        {"homeassistant/sensor/kelvixd_office_pc/s1_percentage_used/config", "s1"},
        {"homeassistant/sensor/kelvixd_office_pc/drives/config", nullptr},
        {"homeassistant/sensor/kelvixd_office_pc/_temperature/config", nullptr},
        {"homeassistant/sensor/kelvix_other/abc_temperature/config", nullptr},
        {"other/sensor/kelvixd_office_pc/abc_temperature/config", nullptr},
        {"homeassistant/sensor/kelvixd_office_pc/abc_temperature/state", nullptr},
    };
    for (const auto& c : cases) {
        std::string id;
        EXPECT_EQ(topics.DriveIdOfConfig(c.topic, id), c.driveId != nullptr) << c.topic;
        if (c.driveId != nullptr) {
            EXPECT_EQ(id, c.driveId) << c.topic;
        }
    }
    // Every topic a removal empties is one that names its drive.
    for (const std::string& topic : topics.DriveConfigTopics("s_1")) {
        std::string id;
        EXPECT_TRUE(topics.DriveIdOfConfig(topic, id) && id == "s_1") << topic;
    }
}

TEST(MqttDiscoveryTest, StateTellsASleepingDrivesLastValueAndItsVerdict)
{
    DriveSnapshotEntry drive = Drive("HDD", "S1", 0);
    drive.condition = DriveCondition::Sleeping;
    drive.temperature = 38;
    drive.worstTemperature = 0;
    drive.verdict.health = HealthState::Caution;
    drive.verdict.warningTemperature = 55;
    drive.verdict.reasonCount = 1;
    drive.verdict.reasons[0].kind = HealthReasonKind::CountAboveZero;
    drive.verdict.reasons[0].severity = HealthState::Caution;
    drive.verdict.reasons[0].attributeId = 197;
    drive.verdict.reasons[0].to = 8;
    const MqttMessage state = Topics().DriveStateMessage(drive, "s1");
    EXPECT_EQ(state.topic, "kelvix/office_pc/s1/state");
    EXPECT_TRUE(state.retain);
    EXPECT_NE(state.payload.find("\"temperature\":38,\"worst_temperature\":null,\"condition\":\"sleeping\","
                                 "\"sleeping\":true"), std::string::npos) << state.payload;
    EXPECT_NE(state.payload.find("\"health\":\"caution\",\"reasons\":[\""), std::string::npos) << state.payload;
    EXPECT_EQ(state.payload.find("percentage_used"), std::string::npos) << "not an NVMe drive";
}

TEST(MqttDiscoveryTest, JsonStringsEscapeWhatJsonMust)
{
    EXPECT_EQ(JsonString("a\"b\\c\n\x7F\xC3"), "\"a\\\"b\\\\c\\u000a\\u007f\\u00c3\"");
}

TEST(MqttDiscoveryTest, EveryDriveKeepsAnIdOfItsOwn)
{
    struct Case {
        const char* name;
        std::vector<DriveSnapshotEntry> drives;
        std::vector<std::string> ids;
    } const cases[] = {
        {"ids that do not collide are kept", {Drive("WDC WD40EFRX", "WD-1", 0), Drive("ST4000", "Z1", 1)},
         {"wd_1", "z1"}},
        {"one serial on two drives", {Drive("SSD A", "0000000000000000", 0), Drive("SSD A", "0000000000000000", 2),
                                      Drive("ST4000", "Z1", 3)},
         {"0000000000000000_ssd_a_drive0", "0000000000000000_ssd_a_drive2", "z1"}},
        {"serials differing only by case and punctuation", {Drive("M1", "AB-12", 0), Drive("M2", "ab 12", 1)},
         {"ab_12_m1_drive0", "ab_12_m2_drive1"}},
        {"no serial: the model and number", {Drive("USB Disk", "", 1), Drive("USB Disk", "", 2)},
         {"usb_disk_drive1", "usb_disk_drive2"}},
    };
    for (const Case& c : cases) {
        DriveSnapshot snapshot;
        for (const DriveSnapshotEntry& drive : c.drives) {
            snapshot.drives[snapshot.count++] = drive;
        }
        std::string ids[kMaxDrives];
        DiscoveryTopics::DriveIds(snapshot, ids);
        EXPECT_EQ(std::vector<std::string>(ids, ids + snapshot.count), c.ids) << c.name;
    }
}

TEST(MqttDiscoveryTest, ManufacturersComeFromTheModelWhereItNamesThem)
{
    const std::pair<const char*, const char*> cases[] = {
        {"WDC WD40EFRX-68N32N0", "Western Digital"}, {"WD_BLACK SN770 1TB", "Western Digital"},
        {"ST4000VN008-2DR166", "Seagate"},            {"STORAGE DEVICE", ""},
        {"Samsung SSD 980 PRO 1TB", "Samsung"},      {"CT500MX500SSD1", "Crucial"},
        {"CTX 2000", ""},                            {"TOSHIBA MG08ACA16TE", "Toshiba"},
        {"QEMU HARDDISK", ""},
    };
    for (const auto& [model, maker] : cases) {
        EXPECT_EQ(ManufacturerOf(model), maker) << model;
    }
}

// The value of "key": in a config, as its JSON text.
std::string Member(const std::string& json, const std::string& key)
{
    const std::size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) {
        return "(none)";
    }
    const std::size_t start = at + key.size() + 3;
    std::size_t end = start;
    for (bool quoted = false; end < json.size(); ++end) {
        if (json[end] == '"' && json[end - 1] != '\\') {
            quoted = !quoted;
        } else if (!quoted && (json[end] == ',' || json[end] == '}')) {
            break;
        }
    }
    return json.substr(start, end - start);
}

TEST(MqttDiscoveryTest, EntitiesCarryTheirClassesUnitsAndExpiry)
{
    DriveSnapshotEntry ata = Drive("WDC WD40EFRX", "WD-1", 1);
    ata.reallocatedSectors = 0;
    ata.pendingSectors = 8;
    ata.powerOnHours = 12345;
    DriveSnapshotEntry nvme = Drive("Samsung SSD 980", "S1", 2);
    nvme.kind = DriveKind::Nvme;
    nvme.hasHealth = true;
    nvme.availableSpare = 100;
    std::strcpy(nvme.mediaErrors, "0");
    const DiscoveryTopics topics(MqttSettings(), MqttOrigin{"pc", "kelvixd", "1.0", 10});
    struct Entity {
        const char* entity;
        const char* deviceClass;
        const char* unit;
        const char* stateClass;
    } const entities[] = {
        {"ata/temperature", "\"temperature\"", "\"\xC2\xB0" "C\"", "\"measurement\""},
        {"ata/hot", "\"heat\"", "(none)", "(none)"},
        {"ata/asleep", "(none)", "(none)", "(none)"},
        {"ata/reallocated_sectors", "(none)", "(none)", "\"total\""},
        {"ata/pending_sectors", "(none)", "(none)", "\"measurement\""},
        {"ata/power_on_hours", "\"duration\"", "\"h\"", "\"total_increasing\""},
        {"ata/available_spare", nullptr, nullptr, nullptr},
        {"nvme/available_spare", "(none)", "\"%\"", "\"measurement\""},
        {"nvme/media_errors", "(none)", "(none)", "\"total\""},
        {"nvme/reallocated_sectors", nullptr, nullptr, nullptr},
    };
    std::map<std::string, std::string> configs;
    for (const auto& [kind, drive] : {std::make_pair("ata", ata), std::make_pair("nvme", nvme)}) {
        for (const MqttMessage& message : topics.DriveConfigs(drive, kind)) {
            const std::string object = message.topic.substr(0, message.topic.size() - 7);  // without "/config"
            const std::string name = object.substr(object.rfind('/') + 1);               // "ata_pending_sectors"
            configs[std::string(kind) + "/" + name.substr(name.find('_') + 1)] = message.payload;
            EXPECT_EQ(Member(message.payload, "expire_after"), "90") << message.topic;
        }
    }
    for (const Entity& e : entities) {
        SCOPED_TRACE(e.entity);
        const auto config = configs.find(e.entity);
        if (e.deviceClass == nullptr) {
            EXPECT_EQ(config, configs.end()) << "not for this kind of drive";
            continue;
        }
        ASSERT_NE(config, configs.end());
        EXPECT_EQ(Member(config->second, "device_class"), e.deviceClass);
        EXPECT_EQ(Member(config->second, "unit_of_measurement"), e.unit);
        EXPECT_EQ(Member(config->second, "state_class"), e.stateClass);
    }
    const std::string& device = configs["ata/temperature"];
    EXPECT_NE(device.find("\"name\":\"WDC WD40EFRX (drive 1)\",\"model\":\"WDC WD40EFRX\",\"manufacturer\":"
                          "\"Western Digital\""),
              std::string::npos)
        << device;
    const std::string state = topics.DriveStateMessage(ata, "ata").payload;
    EXPECT_NE(state.find("\"reallocated_sectors\":0,\"pending_sectors\":8,\"power_on_hours\":12345}"),
              std::string::npos) << state;
    EXPECT_NE(topics.DriveStateMessage(nvme, "nvme").payload.find("\"available_spare\":100,\"media_errors\":0"),
              std::string::npos);
}

}  // namespace
