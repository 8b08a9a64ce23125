// The verdict report on the wire: what a client reads is what the server wrote, and
// nothing else passes for it.
#include "verdict_report.h"

#include <gtest/gtest.h>

namespace {

TEST(VerdictReport, RoundTripAndOnlyTheTwoByteRequest)
{
    VerdictReport report;
    report.drives[0] = {1, 0, 1, 40, 2, 1, 0, 4, 2, 197, 0, 0, 8};
    report.drives[3] = {1, 1, 2, 80, 3, 2, 1, 6, 3, 0, 100, 0, 100};
    report.drives[15] = {1, 2, 0, 45, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    report.drives[0].reasonFrom = 0x0102030405060708ull;
    std::uint8_t bytes[kVerdictReportBytes];
    ASSERT_EQ(EncodeVerdictReport(report, bytes), kVerdictReportBytes);
    VerdictReport parsed;
    ASSERT_TRUE(ParseVerdictReport(bytes, sizeof bytes, parsed));
    for (unsigned i = 0; i < kVerdictRecords; ++i) {
        const VerdictRecord& a = report.drives[i];
        const VerdictRecord& b = parsed.drives[i];
        EXPECT_EQ(b.present, a.present) << i;
        EXPECT_EQ(b.kind, a.kind) << i;
        EXPECT_EQ(b.temperatureState, a.temperatureState) << i;
        EXPECT_EQ(b.warningTemperature, a.warningTemperature) << i;
        EXPECT_EQ(b.health, a.health) << i;
        EXPECT_EQ(b.reasonCount, a.reasonCount) << i;
        EXPECT_EQ(b.sleeping, a.sleeping) << i;
        EXPECT_EQ(b.reasonKind, a.reasonKind) << i;
        EXPECT_EQ(b.reasonAttribute, a.reasonAttribute) << i;
        EXPECT_EQ(b.reasonLimit, a.reasonLimit) << i;
        EXPECT_EQ(b.reasonFrom, a.reasonFrom) << i;
        EXPECT_EQ(b.reasonTo, a.reasonTo) << i;
    }
    EXPECT_FALSE(ParseVerdictReport(bytes, sizeof bytes - 1, parsed)) << "cut short";
    EXPECT_EQ(parsed.drives[0].present, 0);
    bytes[3] = 'x';
    EXPECT_FALSE(ParseVerdictReport(bytes, sizeof bytes, parsed)) << "not our mark";

    std::uint8_t request[kVerdictRequestBytes];
    ASSERT_EQ(WriteVerdictRequest(request), 2u);
    EXPECT_TRUE(IsVerdictRequest(request, 2));
    EXPECT_FALSE(IsVerdictRequest(request, 1)) << "one byte is the old command set";
    request[1] = 9;
    EXPECT_FALSE(IsVerdictRequest(request, 2));
}

TEST(VerdictReport, ALongerRecordOfALaterVersionIsReadAsFarAsKnown)
{
    std::uint8_t bytes[8 + 2 * 40] = {'K', 'V', 'V', 'r', 2, 2, 40, 0};
    bytes[8 + 40] = 1;       // drive 1 present
    bytes[8 + 40 + 4] = 3;   // bad
    bytes[8 + 40 + 39] = 7;  // a field this client does not know
    VerdictReport parsed;
    ASSERT_TRUE(ParseVerdictReport(bytes, sizeof bytes, parsed));
    EXPECT_EQ(parsed.drives[0].present, 0);
    EXPECT_EQ(parsed.drives[1].health, 3);
}

}  // namespace
