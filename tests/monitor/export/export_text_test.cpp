// The texts of the export services: hddtemp records, the metrics page and its label
// escaping, and the snapshot they are made from.
#include "drive_snapshot.h"
#include "hddtemp_text.h"
#include "metrics_text.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

DriveSnapshotEntry Drive(unsigned number, const char* model, DriveCondition condition, std::uint8_t temperature)
{
    DriveSnapshotEntry entry;
    entry.driveNumber = number;
    entry.condition = condition;
    entry.temperature = temperature;
    entry.verdict.warningTemperature = 40;
    std::strncpy(entry.model, model, sizeof entry.model - 1);
    return entry;
}

DriveSnapshotEntry DriveAt(const char* device, unsigned number, const char* model, std::uint8_t temperature)
{
    DriveSnapshotEntry entry = Drive(number, model, DriveCondition::Temperature, temperature);
    std::strncpy(entry.device, device, sizeof entry.device - 1);
    return entry;
}

DriveSnapshot SnapshotOf(std::initializer_list<DriveSnapshotEntry> drives)
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    for (const DriveSnapshotEntry& drive : drives) {
        snapshot.drives[snapshot.count++] = drive;
    }
    return snapshot;
}

TEST(HddtempAnswer, OneRecordPerDriveInHddtempsForm)
{
    struct Case {
        const char* what;
        DriveSnapshotEntry drive;
        const char* expected;
    };
    const Case cases[] = {
        {"temperature", Drive(0, "ST380011A", DriveCondition::Temperature, 41), "|/dev/PhysicalDrive0|ST380011A|41|C|"},
        {"no temperature", Drive(3, "WDC WD800JB", DriveCondition::NoTemperature, 0), "|/dev/PhysicalDrive3|WDC WD800JB|NA|*|"},
        {"failed read keeps no stale degrees", Drive(1, "X", DriveCondition::ReadFailed, 38), "|/dev/PhysicalDrive1|X|ERR|*|"},
        {"sleeping", Drive(15, "Y", DriveCondition::Sleeping, 30), "|/dev/PhysicalDrive15|Y|SLP|*|"},
        {"separator in the model", Drive(2, "A|B", DriveCondition::Temperature, 7), "|/dev/PhysicalDrive2|A B|7|C|"},
        {"control bytes in the model", Drive(2, "A\nB\r", DriveCondition::Temperature, 7), "|/dev/PhysicalDrive2|A B |7|C|"},
        {"empty model", Drive(4, "", DriveCondition::Temperature, 255), "|/dev/PhysicalDrive4|Unknown|255|C|"},
        {"Linux block device", DriveAt("/dev/sdb", 1, "ST3500418AS", 36), "|/dev/sdb|ST3500418AS|36|C|"},
        {"Linux NVMe namespace", DriveAt("/dev/nvme0n1", 0, "Samsung SSD 970", 44), "|/dev/nvme0n1|Samsung SSD 970|44|C|"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildHddtempAnswer(SnapshotOf({c.drive})), c.expected) << c.what;
    }
}

TEST(HddtempAnswer, RecordsFollowOneAnotherWithNothingAfter)
{
    const DriveSnapshot snapshot = SnapshotOf({Drive(0, "A", DriveCondition::Temperature, 35),
                                               Drive(2, "B", DriveCondition::NoTemperature, 0)});
    EXPECT_EQ(BuildHddtempAnswer(snapshot), "|/dev/PhysicalDrive0|A|35|C||/dev/PhysicalDrive2|B|NA|*|");
    EXPECT_EQ(BuildHddtempAnswer(DriveSnapshot{}), "");
}

TEST(LabelValue, EscapedAsTheTextFormatRequires)
{
    struct Case {
        const char* raw;
        const char* escaped;
    };
    const Case cases[] = {
        {"Samsung SSD 980", "Samsung SSD 980"},
        {"a\\b", "a\\\\b"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"two\nlines", "two\\nlines"},
        {"tab\there", "tab?here"},
        {"\xE9t\xE9", "?t?"},
        {"del\x7f", "del?"},
        {"\\\"\n", "\\\\\\\"\\n"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string out;
        AppendLabelValue(out, c.raw);
        EXPECT_EQ(out, c.escaped) << c.raw;
    }
}

// The sample line of a metric for drive 0 with serial S, or "" when there is none.
std::string SampleLine(const std::string& page, const std::string& nameAndLabels)
{
    const std::size_t at = page.find("\n" + nameAndLabels + " ");
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t end = page.find('\n', at + 1);
    return page.substr(at + 1, end - at - 1);
}

TEST(MetricsText, EveryDriveSeriesCarriesDriveAndSerial)
{
    DriveSnapshotEntry ata = Drive(0, "WDC \"Black\" C:\\", DriveCondition::Temperature, 41);
    std::strcpy(ata.serial, "WMAJ91234567");
    std::strcpy(ata.firmware, "01.0");
    ata.worstTemperature = 47;
    DriveSnapshotEntry nvme = Drive(3, "Samsung SSD 980 PRO 1TB", DriveCondition::ReadFailed, 45);
    nvme.kind = DriveKind::Nvme;
    std::strcpy(nvme.serial, "S5GX");
    nvme.hasHealth = true;
    nvme.criticalWarning = 4;
    nvme.availableSpare = 100;
    nvme.availableSpareThreshold = 10;
    nvme.percentageUsed = 7;
    std::strcpy(nvme.mediaErrors, "340282366920938463463374607431768211455");
    nvme.verdict.warningTemperature = 80;
    nvme.verdict.temperature = TemperatureState::Normal;
    nvme.verdict.health = HealthState::Bad;
    ata.verdict.warningTemperature = 50;
    ata.verdict.temperature = TemperatureState::Hot;
    ata.verdict.health = HealthState::Caution;
    ata.verdict.countsKnown = 0x09;  // 5 and 197
    ata.verdict.counts[0] = 3;
    ata.verdict.counts[3] = 8;
    DriveSnapshotEntry property = Drive(5, "Portable SSD T7", DriveCondition::Temperature, 39);
    property.kind = DriveKind::Property;
    std::strcpy(property.serial, "S5SX");
    ata.media = DriveMedia::Rotating;
    nvme.media = DriveMedia::SolidState;
    DriveSnapshot snapshot = SnapshotOf({ata, nvme, property});
    snapshot.warningTemperature = 50;
    const std::string page = BuildMetricsText(snapshot, "1.2.3");

    struct Case {
        const char* series;
        const char* line;
    };
    const Case cases[] = {
        {"kelvix_build_info{version=\"1.2.3\"}", "kelvix_build_info{version=\"1.2.3\"} 1"},
        {"kelvix_drive_info{drive=\"0\",serial=\"WMAJ91234567\",model=\"WDC \\\"Black\\\" C:\\\\\",firmware=\"01.0\",kind=\"ATA\",media=\"hdd\"}",
         "kelvix_drive_info{drive=\"0\",serial=\"WMAJ91234567\",model=\"WDC \\\"Black\\\" C:\\\\\",firmware=\"01.0\",kind=\"ATA\",media=\"hdd\"} 1"},
        {"kelvix_drive_info{drive=\"3\",serial=\"S5GX\",model=\"Samsung SSD 980 PRO 1TB\",firmware=\"\",kind=\"NVMe\",media=\"ssd\"}",
         "kelvix_drive_info{drive=\"3\",serial=\"S5GX\",model=\"Samsung SSD 980 PRO 1TB\",firmware=\"\",kind=\"NVMe\",media=\"ssd\"} 1"},
        {"kelvix_drive_info{drive=\"5\",serial=\"S5SX\",model=\"Portable SSD T7\",firmware=\"\",kind=\"property\",media=\"unknown\"}",
         "kelvix_drive_info{drive=\"5\",serial=\"S5SX\",model=\"Portable SSD T7\",firmware=\"\",kind=\"property\",media=\"unknown\"} 1"},
        {"kelvix_drive_temperature_celsius{drive=\"0\",serial=\"WMAJ91234567\"}", "kelvix_drive_temperature_celsius{drive=\"0\",serial=\"WMAJ91234567\"} 41"},
        {"kelvix_drive_temperature_celsius{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_temperature_celsius{drive=\"3\",serial=\"S5GX\"} 45"},
        {"kelvix_drive_worst_temperature_celsius{drive=\"0\",serial=\"WMAJ91234567\"}", "kelvix_drive_worst_temperature_celsius{drive=\"0\",serial=\"WMAJ91234567\"} 47"},
        {"kelvix_drive_warning_temperature_celsius{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_warning_temperature_celsius{drive=\"3\",serial=\"S5GX\"} 80"},
        {"kelvix_drive_warning_temperature_celsius{drive=\"0\",serial=\"WMAJ91234567\"}", "kelvix_drive_warning_temperature_celsius{drive=\"0\",serial=\"WMAJ91234567\"} 50"},
        {"kelvix_drive_hot{drive=\"0\",serial=\"WMAJ91234567\"}", "kelvix_drive_hot{drive=\"0\",serial=\"WMAJ91234567\"} 1"},
        {"kelvix_drive_hot{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_hot{drive=\"3\",serial=\"S5GX\"} 0"},
        {"kelvix_drive_health_state{drive=\"0\",serial=\"WMAJ91234567\",state=\"caution\"}", "kelvix_drive_health_state{drive=\"0\",serial=\"WMAJ91234567\",state=\"caution\"} 1"},
        {"kelvix_drive_health_state{drive=\"0\",serial=\"WMAJ91234567\",state=\"good\"}", "kelvix_drive_health_state{drive=\"0\",serial=\"WMAJ91234567\",state=\"good\"} 0"},
        {"kelvix_drive_health_state{drive=\"3\",serial=\"S5GX\",state=\"bad\"}", "kelvix_drive_health_state{drive=\"3\",serial=\"S5GX\",state=\"bad\"} 1"},
        {"kelvix_drive_ata_reallocated_sectors{drive=\"0\",serial=\"WMAJ91234567\"}", "kelvix_drive_ata_reallocated_sectors{drive=\"0\",serial=\"WMAJ91234567\"} 3"},
        {"kelvix_drive_ata_pending_sectors{drive=\"0\",serial=\"WMAJ91234567\"}", "kelvix_drive_ata_pending_sectors{drive=\"0\",serial=\"WMAJ91234567\"} 8"},
        {"kelvix_drive_read_success{drive=\"0\",serial=\"WMAJ91234567\"}", "kelvix_drive_read_success{drive=\"0\",serial=\"WMAJ91234567\"} 1"},
        {"kelvix_drive_read_success{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_read_success{drive=\"3\",serial=\"S5GX\"} 0"},
        {"kelvix_drive_nvme_critical_warning{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_nvme_critical_warning{drive=\"3\",serial=\"S5GX\"} 4"},
        {"kelvix_drive_nvme_available_spare_ratio{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_nvme_available_spare_ratio{drive=\"3\",serial=\"S5GX\"} 1.00"},
        {"kelvix_drive_nvme_available_spare_threshold_ratio{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_nvme_available_spare_threshold_ratio{drive=\"3\",serial=\"S5GX\"} 0.10"},
        {"kelvix_drive_nvme_percentage_used_ratio{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_nvme_percentage_used_ratio{drive=\"3\",serial=\"S5GX\"} 0.07"},
        {"kelvix_drive_nvme_media_errors_total{drive=\"3\",serial=\"S5GX\"}", "kelvix_drive_nvme_media_errors_total{drive=\"3\",serial=\"S5GX\"} 340282366920938463463374607431768211455"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SampleLine(page, c.series), c.line) << c.series;
    }
    EXPECT_EQ(SampleLine(page, "kelvix_drive_nvme_critical_warning{drive=\"0\",serial=\"WMAJ91234567\"}"), "")
        << "an ATA drive has no NVMe health series";
    EXPECT_EQ(SampleLine(page, "kelvix_drive_health_state{drive=\"5\",serial=\"S5SX\",state=\"good\"}"), "")
        << "a drive not judged has no health series";
    EXPECT_EQ(SampleLine(page, "kelvix_drive_ata_command_timeouts_total{drive=\"0\",serial=\"WMAJ91234567\"}"), "")
        << "a count not read";
}

TEST(MetricsText, EachFamilyHasOneHelpAndTypeBeforeItsSamples)
{
    const DriveSnapshot snapshot = SnapshotOf({Drive(0, "A", DriveCondition::Temperature, 30),
                                               Drive(1, "B", DriveCondition::Temperature, 31)});
    const std::string page = BuildMetricsText(snapshot, "1");
    for (const char* family : {"kelvix_build_info", "kelvix_drive_info", "kelvix_drive_temperature_celsius",
                               "kelvix_drive_read_success", "kelvix_drive_warning_temperature_celsius"}) {
        const std::string help = std::string("# HELP ") + family + " ";
        const std::string type = std::string("# TYPE ") + family + " ";
        const std::size_t helpAt = page.find(help);
        ASSERT_NE(helpAt, std::string::npos) << family;
        EXPECT_EQ(page.find(help, helpAt + 1), std::string::npos) << family << ": HELP once";
        const std::size_t typeAt = page.find(type);
        ASSERT_NE(typeAt, std::string::npos) << family;
        EXPECT_LT(typeAt, page.find(std::string("\n") + family + "{")) << family << ": TYPE before the samples";
    }
    EXPECT_EQ(page.back(), '\n');
}

TEST(MetricsText, DriveWithoutTemperatureHasNoTemperatureSeries)
{
    const std::string page = BuildMetricsText(SnapshotOf({Drive(0, "A", DriveCondition::NoTemperature, 0)}), "1");
    EXPECT_EQ(page.find("kelvix_drive_temperature_celsius"), std::string::npos);
    EXPECT_NE(page.find("kelvix_drive_info{drive=\"0\""), std::string::npos);
}

TEST(DriveSnapshotTest, TakesPresentDrivesWithTheirLastReadAndHealth)
{
    DriveState drives;
    drives.probeCount = 4;
    DriveRecord& ata = drives.table[0];
    ata.present = 1;
    ata.currentTemperature = 35;
    ata.worstTemperature = 40;
    std::memset(ata.model, 'M', sizeof ata.model);  // not terminated inside its field
    DriveRecord& failing = drives.table[2];
    failing.present = 1;
    failing.currentTemperature = 33;
    failing.lastReadFailed = 1;
    DriveRecord& nvme = drives.table[3];
    nvme.present = 1;
    nvme.kind = DriveKind::Nvme;
    nvme.currentTemperature = 44;
    std::uint8_t health[512] = {};
    health[0] = 0x02;
    health[3] = 98;
    health[4] = 5;
    health[5] = 12;
    health[160] = 0x01;
    health[161] = 0x01;  // 257 media errors
    nvme.healthResult = health;
    drives.table[5].present = 1;  // beyond the probe count: not a drive of this machine
    Settings settings;
    settings.ThresholdCurrent = 52;

    const DriveSnapshot snapshot = TakeSnapshot(drives, settings);
    ASSERT_EQ(snapshot.count, 3u);
    EXPECT_EQ(snapshot.warningTemperature, 52u);
    EXPECT_EQ(snapshot.drives[0].driveNumber, 0u);
    EXPECT_EQ(snapshot.drives[0].condition, DriveCondition::Temperature);
    EXPECT_EQ(std::strlen(snapshot.drives[0].model), sizeof ata.model - 1);
    EXPECT_EQ(snapshot.drives[1].driveNumber, 2u);
    EXPECT_EQ(snapshot.drives[1].condition, DriveCondition::ReadFailed);
    EXPECT_FALSE(snapshot.drives[1].hasHealth);
    const DriveSnapshotEntry& n = snapshot.drives[2];
    EXPECT_EQ(n.driveNumber, 3u);
    EXPECT_EQ(n.kind, DriveKind::Nvme);
    ASSERT_TRUE(n.hasHealth);
    EXPECT_EQ(n.criticalWarning, 2);
    EXPECT_EQ(n.availableSpare, 98);
    EXPECT_EQ(n.availableSpareThreshold, 5);
    EXPECT_EQ(n.percentageUsed, 12);
    EXPECT_STREQ(n.mediaErrors, "257");
    EXPECT_EQ(snapshot.drives[0].verdict.warningTemperature, 52) << "the user's, for an ATA drive";
    EXPECT_EQ(n.verdict.warningTemperature, 70) << "an NVMe drive without its own";
    EXPECT_EQ(n.verdict.health, HealthState::Bad) << "critical warning bit 1";

    nvme.healthResult = nullptr;  // the next health read failed
    EXPECT_FALSE(TakeSnapshot(drives, settings).drives[2].hasHealth);
}

TEST(DriveSnapshotTest, SleepingDriveIsSleepingWithItsLastTemperature)
{
    DriveState drives;
    drives.probeCount = 2;
    DriveRecord& sleeper = drives.table[1];
    sleeper.present = 1;
    sleeper.currentTemperature = 37;
    sleeper.sleeping = 1;
    std::strcpy(sleeper.model, "SLEEPY");
    Settings settings;
    DriveSnapshot snapshot = TakeSnapshot(drives, settings);
    ASSERT_EQ(snapshot.count, 1u);
    EXPECT_EQ(snapshot.drives[0].condition, DriveCondition::Sleeping);
    EXPECT_EQ(BuildHddtempAnswer(snapshot), "|/dev/PhysicalDrive1|SLEEPY|SLP|*|");
    sleeper.sleeping = 0;  // woken and read
    snapshot = TakeSnapshot(drives, settings);
    EXPECT_EQ(snapshot.drives[0].condition, DriveCondition::Temperature);
}

}  // namespace
