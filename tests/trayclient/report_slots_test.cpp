#include "report_record.h"
#include "report_slots.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

class Reply {
public:
    Reply& With(const TestDrive& drive)
    {
        PutReportRecord(bytes, drive);
        return *this;
    }
    std::uint8_t* Record(unsigned slot) { return bytes + slot * kDriveReportBytes; }
    ReportBuffer bytes = {};
};

struct GlyphCase {
    unsigned current;
    unsigned warning;
    unsigned glyph;
};

TEST(GlyphForTemperature, Table)
{
    const GlyphCase cases[] = {
        {45, 45, 45},     // at the warning temperature: normal digits
        {46, 45, 146},
        {0, 45, kNoTemperaturePicture},  // no reading: never "00", which reads as 0 °C
        {7, 45, 7},
        {99, 45, 199},
        {100, 45, 199},   // two digits only: 99 in warning colours, never no picture
        {255, 45, 199},
        {120, 150, 99},   // not above a (typed-in) warning temperature of 150
        {1, 0, 101},
    };
    for (const GlyphCase& c : cases) {
        EXPECT_EQ(GlyphForTemperature(static_cast<std::uint8_t>(c.current), c.warning), c.glyph)
            << c.current << " with " << c.warning;
    }
}

// With the server's verdicts each drive is coloured by its own limit, a bad drive stays
// in warning colours, and a worse health shows once with its words.
TEST(ReportSlots, VerdictsColourByEachDrivesOwnLimitAndTellHealth)
{
    Reply reply;
    reply.With({0, 50, 55, "Samsung SSD 980 PRO 1TB", "5B2QGXA7", "S5GX"})
        .With({1, 44, 50, "ST3500418AS", "CC38", "5VM1"})
        .With({2, 30, 35, "WDC WD10EZEX", "01.01A01", "WCC6"});
    VerdictReport verdicts;
    verdicts.drives[0] = {1, 1, 1, 80, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    verdicts.drives[1] = {1, 0, 2, 43, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    verdicts.drives[2] = {1, 0, 1, 45, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 40, updates, &verdicts);
    EXPECT_EQ(updates[0].glyph, 50u) << "an NVMe drive at 50 under its own 80";
    EXPECT_EQ(updates[1].glyph, 144u) << "above its own 43";
    EXPECT_EQ(updates[2].glyph, 30u);
    EXPECT_FALSE(updates[2].healthWorse) << "the first poll tells no change";
    EXPECT_NE(std::string(updates[2].details).find("健康状態   : 正常"), std::string::npos) << updates[2].details;

    verdicts.drives[2].health = 3;
    verdicts.drives[2].reasonCount = 1;
    verdicts.drives[2].reasonKind = 4;
    verdicts.drives[2].reasonAttribute = 197;
    verdicts.drives[2].reasonTo = 8;
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 40, updates, &verdicts);
    EXPECT_TRUE(updates[2].healthWorse);
    EXPECT_TRUE(updates[2].healthBad);
    EXPECT_EQ(updates[2].glyph, 130u) << "a bad drive in warning colours";
    EXPECT_NE(std::string(updates[2].details).find("健康状態   : 危険 (代替処理待ちのセクタが 0 から 8 に増加)"),
        std::string::npos) << updates[2].details;
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 40, updates, &verdicts);
    EXPECT_FALSE(updates[2].healthWorse) << "once per change";
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 40, updates);
    EXPECT_EQ(updates[0].glyph, 150u) << "an old server: PELITO's own warning temperature";
}

TEST(ReportSlots, DrivesInSlots0And2GiveTwoIconsAddedOnceThenModified)
{
    Reply reply;
    reply.With({0, 38, 45, "ST380011A", "3.06", "5JV3ABCD"}).With({2, 46, 50, "WDC WD800JB", "05.01C05", "WMAJ9"});
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 45, updates);
    for (unsigned slot = 0; slot < kDriveSlots; ++slot) {
        const TrayChange expected = (slot == 0 || slot == 2) ? TrayChange::Add : TrayChange::None;
        EXPECT_EQ(updates[slot].change, expected) << slot;
    }
    EXPECT_EQ(updates[0].glyph, 38u);
    EXPECT_EQ(updates[2].glyph, 146u);
    EXPECT_STREQ(updates[0].tooltip, "0:ST380011A");
    EXPECT_STREQ(updates[2].tooltip, "2:WDC WD800JB");
    EXPECT_STREQ(updates[2].balloonTitle, "WDC WD800JB");

    slots.Apply(reply.bytes, "127.0.0.1", 10008, 45, updates);
    EXPECT_EQ(updates[0].change, TrayChange::Modify);
    EXPECT_EQ(updates[1].change, TrayChange::None);
    EXPECT_EQ(updates[2].change, TrayChange::Modify);
}

TEST(ReportSlots, DetailsTextHasTheSixLines)
{
    Reply reply;
    reply.With({3, 41, 52, "ST380011A", "3.06", "5JV3ABCD"});
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    slots.Apply(reply.bytes, "192.168.1.20", 10010, 45, updates);
    EXPECT_STREQ(updates[3].details,
        "アドレス   : 192.168.1.20:10010\n"
        "デバイス   : 3\n"
        "バージョン : 3.06\n"
        "シリアル   : 5JV3ABCD\n"
        "現在の温度 : 41℃\n"
        "最大の温度 : 52℃");
}

TEST(ReportSlots, ASlotThatStopsReportingKeepsItsLastReport)
{
    Reply first;
    first.With({1, 40, 44, "KEEP", "1", "S"});
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    slots.Apply(first.bytes, "h", 1, 45, updates);
    Reply empty;
    slots.Apply(empty.bytes, "h", 1, 45, updates);
    EXPECT_EQ(updates[1].change, TrayChange::None);
    EXPECT_EQ(slots.Stored(1).current, 40);
    EXPECT_STREQ(slots.Stored(1).model, "KEEP");
    // When it comes back with the same present byte it is modified, not added again.
    slots.Apply(first.bytes, "h", 1, 45, updates);
    EXPECT_EQ(updates[1].change, TrayChange::Modify);
}

TEST(ReportSlots, AnyNonZeroPresentByteIsADriveAndAChangedOneAddsAgain)
{
    Reply reply;
    reply.With({4, 30, 30, "M", "F", "S"});
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    slots.Apply(reply.bytes, "h", 1, 45, updates);
    reply.Record(4)[0] = 7;
    slots.Apply(reply.bytes, "h", 1, 45, updates);
    EXPECT_EQ(updates[4].change, TrayChange::Add);
    slots.Apply(reply.bytes, "h", 1, 45, updates);
    EXPECT_EQ(updates[4].change, TrayChange::Modify);
}

TEST(ReportSlots, UnterminatedFieldsAreReadWithinTheirWidths)
{
    Reply reply;
    std::uint8_t* record = reply.Record(15);
    std::memset(record, 'M', kDriveReportBytes);  // every text field full, no NUL anywhere
    record[0] = 1;
    record[1] = 33;
    record[2] = 34;
    std::memset(record + 72, 'F', 16);
    std::memset(record + 88, 'S', 32);
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    slots.Apply(reply.bytes, "h", 10008, 45, updates);
    EXPECT_EQ(std::string(updates[15].tooltip), "15:" + std::string(64, 'M'));
    EXPECT_EQ(std::string(updates[15].balloonTitle), std::string(63, 'M'));
    const std::string details = updates[15].details;
    EXPECT_NE(details.find("バージョン : " + std::string(16, 'F') + "\n"), std::string::npos) << details;
    EXPECT_NE(details.find("シリアル   : " + std::string(32, 'S') + "\n"), std::string::npos) << details;
}

TEST(ReportSlots, LongTextsAreCutWithoutSplittingACharacter)
{
    Reply reply;
    // A model of 62 single bytes and a double-byte character fills its 64 bytes; the
    // title has room for 63.
    reply.With({0, 20, 20, "", "F", "S"});
    const std::string model = std::string(62, 'a') + "\x83\x41";
    std::memcpy(reply.Record(0) + 8, model.data(), 64);
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    // A host of 255 bytes pushes the details past 255 bytes.
    const std::string host(255, 'h');
    slots.Apply(reply.bytes, host.c_str(), 10008, 45, updates);
    EXPECT_EQ(std::string(updates[0].balloonTitle), std::string(62, 'a'));
    const std::string details = updates[0].details;
    EXPECT_LE(details.size(), 255u);
    EXPECT_EQ(details.rfind("アドレス   : " + std::string(10, 'h'), 0), 0u);

    // A host that ends the 255 bytes in the middle of a "℃"-like character.
    const std::string prefix = "アドレス   : ";
    std::string kanjiHost;
    while (prefix.size() + kanjiHost.size() < 254) kanjiHost += "\x83\x41";
    slots.Apply(reply.bytes, kanjiHost.c_str(), 10008, 45, updates);
    const std::string cut = updates[0].details;
    EXPECT_LE(cut.size(), 255u);
    std::size_t i = 0;
    while (i < cut.size()) {
        const unsigned char c = static_cast<unsigned char>(cut[i]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        i += lead ? 2 : 1;
    }
    EXPECT_EQ(i, cut.size()) << "the last character is whole";
}

}  // namespace

// A drive whose verdict says it does not answer: the no-temperature digits (not its
// last value, which the report keeps for old clients) and since when in its tip.
TEST(ReportSlots, ADriveThatDoesNotAnswerShowsNoTemperatureAndSinceWhen)
{
    setenv("TZ", "UTC", 1);
    tzset();
    Reply reply;
    reply.With({1, 41, 42, "Hitachi HDS721010CLA332", "JP4OA3MA", "JP29"});
    VerdictReport verdicts;
    verdicts.drives[1] = {1, 0, 3, 40, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    verdicts.drives[1].notAnsweringSince = 12 * 3600 + 34 * 60;
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 40, updates, &verdicts);
    EXPECT_EQ(updates[1].glyph, kNoTemperaturePicture) << "not 141, its old value above its limit";
    EXPECT_STREQ(updates[1].tooltip, "1:Hitachi HDS721010CLA332 (12:34 から応答なし)");
    verdicts.drives[1].temperatureState = 1;
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 40, updates, &verdicts);
    EXPECT_EQ(updates[1].glyph, 141u) << "answering again: its value in warning digits";
    EXPECT_STREQ(updates[1].tooltip, "1:Hitachi HDS721010CLA332");
}

// A drive asleep since its monitor started has no temperature yet: the no-temperature
// picture, as KELVIX shows it, with or without the server's verdicts.
TEST(ReportSlots, ADriveAsleepSinceTheStartShowsNoTemperature)
{
    Reply reply;
    reply.With({2, 0, 0, "WDC WD40EFRX-68N32N0", "82.00A82", "WCC7K"});
    VerdictReport verdicts;
    verdicts.drives[2] = {1, 0, 0, 45, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    ReportSlots slots;
    SlotUpdate updates[kDriveSlots];
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 40, updates, &verdicts);
    EXPECT_EQ(updates[2].glyph, kNoTemperaturePicture);
    slots.Apply(reply.bytes, "127.0.0.1", 10008, 40, updates);
    EXPECT_EQ(updates[2].glyph, kNoTemperaturePicture) << "an old server";
}
