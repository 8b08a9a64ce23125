// A drive that stops answering, through every text built from its verdict: the JSON
// tempquery prints, the hddtemp answer, the metrics, the notification's lost event, the
// Home Assistant state and tempquery's lines with and without -l. One table: a row per
// drive, a column per output.
#include "daemon_config.h"
#include "drive_report.h"
#include "hddtemp_text.h"
#include "host_outcome.h"
#include "metrics_text.h"
#include "mqtt_discovery.h"
#include "notify_event.h"
#include "notify_text.h"
#include "report_json.h"
#include "report_printer.h"
#include "verdict_records.h"
#include "verdict_view.h"
#include "warning_watch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(NotAnswering, EveryTextBuiltFromTheVerdict)
{
    DaemonConfig config = DefaultDaemonConfig();
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = 3;
    const std::uint8_t temperatures[] = {35, 41, 30};
    for (unsigned i = 0; i < 3; ++i) {
        DriveRecord& record = drives->table[i];
        record.present = 1;
        record.currentTemperature = temperatures[i];
        record.worstTemperature = 45;
        std::snprintf(record.model, sizeof record.model, "MODEL %u", i);
        std::snprintf(record.serial, sizeof record.serial, "S%u", i);
    }
    DriveJudge judge(nullptr);
    const WarningLimits limits = WarningLimitsOf(config.settings);
    EventWatch watch;
    const auto measure = [&](std::int64_t now) {
        judge.Judge(*drives, limits, now);
        const DriveSnapshot snapshot = TakeSnapshot(*drives, config.settings, judge);
        return std::make_pair(snapshot, watch.Update(snapshot, 0, 0, now));
    };
    measure(1000);
    // Drive 1's reads fail from the second measurement on (it keeps its last 41); drive 2
    // is left asleep.
    drives->table[1].lastReadFailed = 1;
    drives->table[2].sleeping = 1;
    const std::vector<NotifyEvent> lostEvents = measure(2000).second;
    std::FILE* journal = std::tmpfile();
    ASSERT_NE(journal, nullptr);
    WarningWatch journalWatch;
    journalWatch.Check(*drives, judge, VerdictChanges(), journal);
    const auto [snapshot, later] = measure(3000);
    EXPECT_TRUE(later.empty()) << "the lost event goes once";
    EXPECT_EQ(judge.Verdict(1).notAnsweringSince, 2000) << "since the first failure, not the last";

    const std::string hddtemp = BuildHddtempAnswer(snapshot);
    const std::string metrics = BuildMetricsText(snapshot, "1");
    MqttSettings mqtt;
    mqtt.host = "broker";
    const DiscoveryTopics topics(mqtt, MqttOrigin{"pc", "kelvixd", "1", 60});
    std::uint8_t report[kReportBytes];
    BuildDriveReport(drives->table, report);
    std::uint8_t wire[kVerdictReportBytes];
    EncodeVerdictReport(MakeVerdictReport(*drives, judge), wire);
    VerdictReport verdicts;
    ASSERT_TRUE(ParseVerdictReport(wire, sizeof wire, verdicts));
    DriveHealthView views[kReportRecords];
    ApplyVerdicts(verdicts, views);
    const std::string json = FormatReportJson("pc", 10008, report, views);
    const std::string lines = FormatDriveLines(report);
    const std::string longLines = FormatDriveLines(report, views);
    ASSERT_EQ(lostEvents.size(), 1u);
    const std::string lost = EventBody(lostEvents[0], "pc", BodyKind::Json);

    const struct {
        const char* json;       // the drive's members in tempquery --json
        const char* hddtemp;    // its hddtemp record
        const char* readable;   // kelvix_drive_readable
        bool temperatureSample; // kelvix_drive_temperature_celsius is there
        const char* mqtt;       // the start of its Home Assistant state
        const char* line;       // the plain line: as it always was
        const char* longLine;   // with -l
    } rows[] = {
        {R"({"drive":0,"temperature":35,"worst":45)", "|/dev/PhysicalDrive0|MODEL 0|35|C|", "1", true,
         R"({"temperature":35,)", "#0  35/45 : MODEL 0 ( S0)\n", "#0  35/45 : MODEL 0 ( S0) unknown\n"},
        {R"({"drive":1,"temperature":null,"worst":45)", "|/dev/PhysicalDrive1|MODEL 1|ERR|*|", "0", false,
         R"({"temperature":null,)", "#1  41/45 : MODEL 1 ( S1)\n", "#1  41/45 : MODEL 1 ( S1) unknown not_answering\n"},
        {R"({"drive":2,"temperature":30,"worst":45)", "|/dev/PhysicalDrive2|MODEL 2|SLP|*|", "1", true,
         R"({"temperature":30,)", "#2  30/45 : MODEL 2 ( S2)\n", "#2  30/45 : MODEL 2 ( S2) unknown asleep\n"},
    };
    for (unsigned i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(Has(json, rows[i].json)) << json;
        EXPECT_TRUE(Has(hddtemp, rows[i].hddtemp)) << hddtemp;
        char sample[128];
        std::snprintf(sample, sizeof sample, "kelvix_drive_readable{drive=\"%u\",serial=\"S%u\"} %s\n", i, i,
                      rows[i].readable);
        EXPECT_TRUE(Has(metrics, sample)) << sample;
        std::snprintf(sample, sizeof sample, "kelvix_drive_temperature_celsius{drive=\"%u\",serial=\"S%u\"} ", i, i);
        EXPECT_EQ(Has(metrics, sample), rows[i].temperatureSample) << sample;
        const std::string id = DiscoveryTopics::DriveId(snapshot.drives[i]);
        EXPECT_EQ(topics.DriveStateMessage(snapshot.drives[i], id).payload.rfind(rows[i].mqtt, 0), 0u)
            << topics.DriveStateMessage(snapshot.drives[i], id).payload;
        EXPECT_TRUE(Has(lines, rows[i].line)) << lines;
        EXPECT_TRUE(Has(longLines, rows[i].longLine)) << longLines;
    }
    EXPECT_TRUE(Has(json, R"("temperature_state":"not_answering","health":"unknown","asleep":false,)"
                          R"("not_answering_since":"1970-01-01T00:33:20Z")"))
        << json;
    EXPECT_TRUE(Has(lost, R"("event":"lost")")) << lost;
    EXPECT_TRUE(Has(lost, R"("temperature":null,)")) << lost;
    EXPECT_TRUE(Has(lost, R"("temperature_state":"not_answering")")) << lost;
    std::rewind(journal);
    char journalLine[256] = {};
    EXPECT_NE(std::fgets(journalLine, sizeof journalLine, journal), nullptr);
    std::fclose(journal);
    EXPECT_STREQ(journalLine, "<4>drive 1 \"MODEL 1\" does not answer (no temperature; the last read was 41 C)\n")
        << "kelvixd's journal";
    EXPECT_EQ(report[kDriveReportBytes + 1], 41) << "the classic report keeps the number for old clients";
}

}  // namespace
