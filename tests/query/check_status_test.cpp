// tempquery --check: the state, status line and performance data for a report, and which
// answers count as malformed.
#include "check_status.h"
#include "report_shape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Drive {
    unsigned slot;
    std::uint8_t current;
    const char* model;
};

struct Report {
    std::uint8_t bytes[kReportBytes] = {};

    explicit Report(std::initializer_list<Drive> drives)
    {
        for (const Drive& d : drives) {
            std::uint8_t* record = bytes + d.slot * 120;
            record[0] = 1;
            record[1] = d.current;
            record[2] = 99;
            std::memcpy(record + 8, d.model, std::strlen(d.model));
            std::memcpy(record + 72, "FW", 2);
            std::memcpy(record + 88, "SN", 2);
        }
    }
};

struct StateCase {
    const char* name;
    Report report;
    int warning;
    int critical;
    CheckState state;
    std::string line;
};

TEST(CheckStatusTest, StatesAndLines)
{
    const Report three({{0, 41, "ST380011A"}, {1, 52, "WDC WD800JB"}, {4, 38, "Samsung SSD 980"}});
    const StateCase cases[] = {
        {"all below the warning", three, 55, 60, CheckState::Ok,
         "KELVIX OK - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives, warning above 55, critical above 60"
         "|'drive0 ST380011A'=41;55;60 'drive1 WDC WD800JB'=52;55;60 'drive4 Samsung SSD 980'=38;55;60\n"},
        {"at the warning is not above it", three, 52, 60, CheckState::Ok,
         "KELVIX OK - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives, warning above 52, critical above 60"
         "|'drive0 ST380011A'=41;52;60 'drive1 WDC WD800JB'=52;52;60 'drive4 Samsung SSD 980'=38;52;60\n"},
        {"above the warning", three, 50, 60, CheckState::Warning,
         "KELVIX WARNING - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives, warning above 50, critical above 60"
         "|'drive0 ST380011A'=41;50;60 'drive1 WDC WD800JB'=52;50;60 'drive4 Samsung SSD 980'=38;50;60\n"},
        {"at the critical is not above it", three, 40, 52, CheckState::Warning,
         "KELVIX WARNING - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives, warning above 40, critical above 52"
         "|'drive0 ST380011A'=41;40;52 'drive1 WDC WD800JB'=52;40;52 'drive4 Samsung SSD 980'=38;40;52\n"},
        {"above the critical", three, 40, 51, CheckState::Critical,
         "KELVIX CRITICAL - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives, warning above 40, critical above 51"
         "|'drive0 ST380011A'=41;40;51 'drive1 WDC WD800JB'=52;40;51 'drive4 Samsung SSD 980'=38;40;51\n"},
        {"critical only", three, -1, 51, CheckState::Critical,
         "KELVIX CRITICAL - hottest drive 1 (WDC WD800JB) at 52 C of 3 drives, critical above 51"
         "|'drive0 ST380011A'=41;;51 'drive1 WDC WD800JB'=52;;51 'drive4 Samsung SSD 980'=38;;51\n"},
        {"no thresholds", Report({{2, 30, "X"}}), -1, -1, CheckState::Ok,
         "KELVIX OK - hottest drive 2 (X) at 30 C of 1 drive|'drive2 X'=30\n"},
        {"first of equally hot drives", Report({{3, 45, "B"}, {7, 45, "C"}}), 44, -1, CheckState::Warning,
         "KELVIX WARNING - hottest drive 3 (B) at 45 C of 2 drives, warning above 44|'drive3 B'=45;44; 'drive7 C'=45;44;\n"},
        {"a drive without temperature", Report({{0, 0, "NOTEMP"}, {1, 35, "A"}}), 50, 60, CheckState::Ok,
         "KELVIX OK - hottest drive 1 (A) at 35 C of 2 drives, warning above 50, critical above 60"
         "|'drive0 NOTEMP'=U;50;60 'drive1 A'=35;50;60\n"},
        {"no drive gives a temperature", Report({{0, 0, "NOTEMP"}}), 50, 60, CheckState::Unknown,
         "KELVIX UNKNOWN - no drive reports a temperature (1 drive)|'drive0 NOTEMP'=U;50;60\n"},
        {"no drive at all", Report({}), 50, 60, CheckState::Unknown,
         "KELVIX UNKNOWN - no drive reports a temperature (0 drives)\n"},
        {"quotes, equals, pipes, semicolons and other bytes in models", Report({{0, 70, "It's=a|b;\x83\x66"}, {1, 20, ""}}),
         50, 60, CheckState::Critical,
         "KELVIX CRITICAL - hottest drive 0 (It's=a_b__f) at 70 C of 2 drives, warning above 50, critical above 60"
         "|'drive0 It''s_a_b;_f'=70;50;60 'drive1'=20;50;60\n"},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CheckResult result = EvaluateReport(c.report.bytes, {c.warning, c.critical});
        EXPECT_EQ(result.state, c.state);
        EXPECT_EQ(result.line, c.line);
    }
}

TEST(CheckStatusTest, UnknownLineKeepsThePerformanceDataSeparatorOut)
{
    const CheckResult result = UnknownResult("no answer from a|b;c port 1");
    EXPECT_EQ(result.state, CheckState::Unknown);
    EXPECT_EQ(result.line, "KELVIX UNKNOWN - no answer from a_b_c port 1\n");
}

TEST(ReportShapeTest, WhatCountsAsMalformed)
{
    struct ShapeCase {
        const char* name;
        std::size_t offset;  // bytes to fill, from offset on
        std::size_t count;
        std::uint8_t value;
        int length;
        std::string fault;
    };
    const ShapeCase cases[] = {
        {"well formed", 0, 0, 0, 1920, ""},
        {"short", 0, 0, 0, 1919, "an answer of 1919 bytes, not 1920"},
        {"empty", 0, 0, 0, 0, "an answer of 0 bytes, not 1920"},
        {"present byte 2", 3 * 120, 1, 2, 1920, "record 3 has present byte 2"},
        {"absent record with a temperature", 6 * 120 + 1, 1, 40, 1920, "record 6 is absent but not empty"},
        {"absent record with a last byte", 16 * 120 - 1, 1, 1, 1920, "record 15 is absent but not empty"},
        {"model fills its field", 8, 64, 'M', 1920, "record 0 has a text without its end"},
        {"firmware fills its field", 72, 16, 'F', 1920, "record 0 has a text without its end"},
        {"serial fills its field", 88, 32, 'S', 1920, "record 0 has a text without its end"},
        {"model one byte short of full", 8, 63, 'M', 1920, ""},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Report report({{0, 40, "MODEL"}});
        std::memset(report.bytes + c.offset, c.value, c.count);
        EXPECT_EQ(ReportShapeFault(report.bytes, c.length), c.fault);
    }
}

} // namespace
