#include "mqtt_discovery.h"
#include "mqtt_settings.h"

#include <gtest/gtest.h>

#include <cstring>

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
    const MqttMessage state = Topics().DriveStateMessage(drive);
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

}  // namespace
