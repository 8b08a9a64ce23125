// One verdict, every output: for a mixed set of drives (an ATA disk with pending sectors,
// an NVMe SSD with its own warning temperature, a drive only the temperature property
// reaches, an ATA disk whose newest self-test failed) the tray's rule, the snapshot, the metrics, the verdict report PELITO and
// tempquery read, and kelvixd's journal all tell the same warning temperature, hot state
// and health.
#include "daemon_config.h"
#include "drive_readings.h"
#include "metrics_text.h"
#include "verdict_records.h"
#include "warning_limit.h"
#include "warning_watch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

TEST(OneVerdict, EveryOutputTellsTheSameForAMixedSet)
{
    DaemonConfig config = DefaultDaemonConfig();
    ASSERT_TRUE(ParseDaemonConfig("[Threshold]\nCurrent=42\n", config).empty());
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = kMaxDrives;
    const auto put = [&](unsigned i, const char* model, DriveKind kind, std::uint8_t temperature) {
        DriveRecord& record = drives->table[i];
        record.present = 1;
        record.kind = kind;
        record.currentTemperature = temperature;
        std::snprintf(record.model, sizeof record.model, "%s", model);
        std::snprintf(record.serial, sizeof record.serial, "S%u", i);
    };
    put(0, "ATA DISK", DriveKind::Ata, 45);
    std::uint8_t attributes[kSmartEntryCount * kSmartEntrySize] = {197, 0, 0, 100, 100, 8};
    drives->table[0].attributeResult = attributes;
    put(1, "NVME SSD", DriveKind::Nvme, 60);
    std::uint8_t identify[4096] = {};
    identify[266] = 358 & 0xFF;  // 85 °C of its own
    identify[267] = 358 >> 8;
    drives->table[1].nvmeIdentifyResult = identify;
    drives->table[1].nvmeIdentifyBytes = sizeof identify;
    std::uint8_t log[512] = {};
    log[3] = 100;
    log[4] = 10;
    drives->table[1].healthResult = log;
    put(2, "USB SSD", DriveKind::Property, 30);
    put(3, "SELF TESTED", DriveKind::Ata, 33);
    std::uint8_t healthy[kSmartEntryCount * kSmartEntrySize] = {194, 0, 0, 100, 100, 33};
    drives->table[3].attributeResult = healthy;
    SelfTestLog& tests = drives->table[3].selfTests;
    tests.read = tests.valid = true;
    tests.count = 2;
    tests.entries[0].kind = SelfTestKind::Extended;
    tests.entries[0].outcome = SelfTestOutcome::FailedRead;
    tests.entries[0].powerOnHours = 250;
    tests.entries[0].lbaKnown = true;
    tests.entries[0].firstFailingLba = 123456;
    tests.entries[1].outcome = SelfTestOutcome::Passed;

    DriveJudge judge(nullptr);
    const WarningLimits limits = WarningLimitsOf(config.settings);
    const VerdictChanges changes = judge.Judge(*drives, limits);
    const struct {
        unsigned warning;
        TemperatureState temperature;
        HealthState health;
    } expected[] = {
        {42, TemperatureState::Hot, HealthState::Caution},
        {80, TemperatureState::Normal, HealthState::Good},
        {42, TemperatureState::Normal, HealthState::Unknown},
        {42, TemperatureState::Normal, HealthState::Bad},
    };

    const DriveSnapshot snapshot = TakeSnapshot(*drives, config.settings, judge);
    const std::string metrics = BuildMetricsText(snapshot, "1");
    std::uint8_t wire[kVerdictReportBytes];
    EncodeVerdictReport(MakeVerdictReport(*drives, judge), wire);
    VerdictReport report;
    ASSERT_TRUE(ParseVerdictReport(wire, sizeof wire, report));
    const DriveReadings readings = CollectReadings(*drives);
    ASSERT_EQ(readings.count, 4u);
    std::FILE* journal = std::tmpfile();
    ASSERT_NE(journal, nullptr);
    WarningWatch watch;
    watch.Check(*drives, judge, changes, journal);
    std::fflush(journal);
    std::rewind(journal);
    std::string lines;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, journal) != nullptr) {
        lines += buffer;
    }
    std::fclose(journal);

    for (unsigned i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const DriveVerdict& verdict = judge.Verdict(i);
        EXPECT_EQ(verdict.warningTemperature, expected[i].warning);
        EXPECT_EQ(verdict.temperature, expected[i].temperature);
        EXPECT_EQ(verdict.health, expected[i].health);
        EXPECT_EQ(snapshot.drives[i].verdict.warningTemperature, expected[i].warning) << "the snapshot";
        EXPECT_EQ(snapshot.drives[i].verdict.health, expected[i].health) << "the snapshot";
        EXPECT_EQ(DriveWarningLimit(readings.items[i], limits), expected[i].warning) << "the tray";
        EXPECT_EQ(IsHot(readings.items[i], limits), expected[i].temperature == TemperatureState::Hot) << "the tray";
        EXPECT_EQ(report.drives[i].warningTemperature, expected[i].warning) << "the verdict report";
        EXPECT_EQ(report.drives[i].temperatureState, static_cast<std::uint8_t>(expected[i].temperature));
        EXPECT_EQ(report.drives[i].health, static_cast<std::uint8_t>(expected[i].health)) << "the verdict report";
        char line[160];
        std::snprintf(line, sizeof line, "kelvix_drive_warning_temperature_celsius{drive=\"%u\",serial=\"S%u\"} %u\n", i,
                      i, expected[i].warning);
        EXPECT_NE(metrics.find(line), std::string::npos) << "the metrics: " << line;
        std::snprintf(line, sizeof line, "kelvix_drive_hot{drive=\"%u\",serial=\"S%u\"} %u\n", i, i,
                      expected[i].temperature == TemperatureState::Hot ? 1u : 0u);
        EXPECT_NE(metrics.find(line), std::string::npos) << "the metrics: " << line;
        if (expected[i].health != HealthState::Unknown) {
            std::snprintf(line, sizeof line, "kelvix_drive_health_state{drive=\"%u\",serial=\"S%u\",state=\"%s\"} 1\n", i,
                          i, HealthStateName(expected[i].health));
            EXPECT_NE(metrics.find(line), std::string::npos) << "the metrics: " << line;
        }
    }
    EXPECT_EQ(report.drives[3].reasonKind, static_cast<std::uint8_t>(HealthReasonKind::SelfTestFailed))
        << "PELITO and tempquery get the reason";
    EXPECT_EQ(report.drives[3].reasonTo, 123456u);
    EXPECT_EQ(lines,
              "<4>drive 0 \"ATA DISK\" is at 45 C (warning temperature 42 C)\n"
              "<4>health of drive 0 \"ATA DISK\" is caution (was unknown): attribute 197 (current "
              "pending sectors) is 8\n"
              "<4>health of drive 3 \"SELF TESTED\" is bad (was unknown): the drive's self-test failed (read "
              "element failed) at 250 hours, first failing LBA 123456\n")
        << "the journal";
}

}  // namespace
