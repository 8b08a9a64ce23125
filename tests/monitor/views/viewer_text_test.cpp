// The viewer's texts: bit patterns, status flags, attribute names, the drive selector and
// the drive-information rows.
#include "attribute_names.h"
#include "drive_enumeration.h"
#include "sensing_test_support.h"
#include "viewer_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

struct BitCase {
    std::uint32_t value;
    unsigned bits;
    const char* text;
};

TEST(FormatBitPattern, GroupsOfFourEachFollowedByASpaceThenTheWholeValueInHex)
{
    const BitCase cases[] = {
        {0x0C5A, 16, "0000 1100 0101 1010  (0x0C5A)"},
        {0x0007, 16, "0000 0000 0000 0111  (0x0007)"},
        {0xFFFF, 16, "1111 1111 1111 1111  (0xFFFF)"},
        {0x10007, 16, "0000 0000 0000 0111  (0x10007)"},  // wider than the pattern: all of it in hex
        {0xA5, 8, "1010 0101  (0x00A5)"},
        {0x5, 3, "101  (0x0005)"},
        {0x5, 0, " (0x0005)"},
        {0x80000001, 32, "1000 0000 0000 0000 0000 0000 0000 0001  (0x80000001)"},
        {0x80000001, 40, "1000 0000 0000 0000 0000 0000 0000 0001  (0x80000001)"},  // 32 at most
    };
    for (const BitCase& c : cases) {
        SCOPED_TRACE(c.text);
        char buffer[kBitPatternSize];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(FormatBitPattern(buffer, sizeof buffer, c.value, c.bits), buffer);
        EXPECT_STREQ(buffer, c.text);
    }
}

TEST(FormatBitPattern, SmallBufferIsCutAndTerminatedWithoutWritingPastIt)
{
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    FormatBitPattern(buffer, 10, 0x0C5A, 16);
    EXPECT_STREQ(buffer, "0000 1100");
    EXPECT_EQ(std::string(buffer + 10, 6), "xxxxxx");
    FormatBitPattern(buffer, 0, 0x0C5A, 16);  // nowhere to write
    EXPECT_STREQ(buffer, "0000 1100");
}

struct FlagCase {
    std::uint16_t flags;
    const char* text;
};

TEST(FormatStatusFlags, NamesOfBitsZeroToFiveInBitOrder)
{
    const FlagCase cases[] = {
        {0x0033, "CR OC EC SP "},
        {0x0000, ""},
        {0xFFC0, ""},  // bits 6 and above have no name
        {0x0001, "CR "},
        {0x0004, "PR "},
        {0x0008, "ER "},
        {0x003F, "CR OC PR ER EC SP "},
        {0xFFFF, "CR OC PR ER EC SP "},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.flags);
        char buffer[kStatusFlagsSize];
        std::memset(buffer, 'x', sizeof buffer);
        FormatStatusFlags(buffer, sizeof buffer, c.flags);
        EXPECT_STREQ(buffer, c.text);
    }
}

TEST(FormatStatusFlags, SmallBufferKeepsWholeNamesAndStaysInside)
{
    char buffer[12];
    std::memset(buffer, 'x', sizeof buffer);
    FormatStatusFlags(buffer, 8, 0x003F);
    EXPECT_STREQ(buffer, "CR OC ");
    EXPECT_EQ(std::string(buffer + 8, 4), "xxxx");
}

struct NameCase {
    unsigned id;
    const char* name;
};

TEST(GetAttributeName, KnownIdsSharedNamesAndUnknownOnes)
{
    const NameCase cases[] = {
        {1, "Raw read error rate"},
        {9, "Power-on time count"},
        {13, "Soft read error rate"},
        {191, "G-sense error rate"},
        {194, "Temperature"},
        {198, "Off-line uncorrectable sector count"},
        {221, "G-sense error rate"},
        {228, "Power-off retract count"},
        {231, "Temperature"},
        {250, "Read error retry rate"},
        {100, "Unknown"},
        {14, "Unknown"},
        {229, "Unknown"},
        {255, "Unknown"},
        {0, "Unknown"},  // the end mark is no name
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_STREQ(GetAttributeName(static_cast<std::uint8_t>(c.id)), c.name);
    }
}

TEST(AttributeNameTable, ThirtyEightNamesThenTheEndMark)
{
    unsigned count = 0;
    while (AttributeNameTable[count].name[0] != '\0') {
        ++count;
    }
    EXPECT_EQ(count, 38u);
    EXPECT_EQ(AttributeNameTable[count].id, 0);
}

TEST(ViewerColumns, TitlesAndWidthsEndedByAnEmptyTitle)
{
    const ViewerColumn info[] = {{"Item", 220}, {"Value", 220}};
    const ViewerColumn attributes[] = {
        {"ID", 28}, {"Attribute", 240}, {"Value", 44}, {"Worst", 44}, {"Warn", 44}, {"Raw", 114}, {"Flag", 108}};
    for (unsigned i = 0; i < 2; ++i) {
        EXPECT_STREQ(DriveInfoColumns[i].title, info[i].title);
        EXPECT_EQ(DriveInfoColumns[i].width, info[i].width);
    }
    EXPECT_STREQ(DriveInfoColumns[2].title, "");
    for (unsigned i = 0; i < kAttributeColumnCount; ++i) {
        EXPECT_STREQ(AttributeColumns[i].title, attributes[i].title);
        EXPECT_EQ(AttributeColumns[i].width, attributes[i].width);
    }
    EXPECT_STREQ(AttributeColumns[kAttributeColumnCount].title, "");
}

// Drives 1 and 3 of four, enumerated through the simulated driver.
class ViewerOnSimulatedDrives : public ::testing::Test {
protected:
    WorkingDirectory directory_;
    SimulatedMachine machine_{
        "platform 1\n"
        "drive 1\nmodel KVX ONE\nfirmware FW1\nserial SER1\nsectors 156301488\nudma 5\n"
        "attribute 194 0x0022 100 100 2D\n"
        "drive 3\nmodel KVX THREE\nfirmware FW3\nserial SER3\nsectors 2000000\nmwdma 2\n"
        "attribute 194 0x0022 100 100 2E\n"};
    void SetUp() override { EnumerateDrives(machine_.drives); }
};

TEST_F(ViewerOnSimulatedDrives, SelectorLinesInPresentListOrder)
{
    ASSERT_EQ(machine_.drives.presentCount, 2u);
    const SelectorLines lines = BuildSelectorLines(machine_.drives);
    ASSERT_EQ(lines.count, 2u);
    EXPECT_EQ(lines.lines[0].driveNumber, 1u);
    EXPECT_STREQ(lines.lines[0].text, "#1  KVX ONE FW1 SER1 78.15GB UltraDMA-5");
    EXPECT_EQ(lines.lines[1].driveNumber, 3u);
    EXPECT_STREQ(lines.lines[1].text, "#3  KVX THREE FW3 SER3 1.00GB MultiWordDMA-2");

    const struct {
        long position;
        std::uint32_t drive;
    } positions[] = {{0, 1}, {1, 3}, {2, kNoDrive}, {3, kNoDrive}, {-1, kNoDrive}, {1000, kNoDrive}};
    for (const auto& p : positions) {
        SCOPED_TRACE(p.position);
        EXPECT_EQ(DriveAtSelectorPosition(machine_.drives, p.position), p.drive);
    }
}

TEST_F(ViewerOnSimulatedDrives, InformationRowsOfAnEnumeratedDrive)
{
    const DriveInfoRows info = BuildDriveInfoRows(machine_.drives.table[3]);
    const struct {
        unsigned row;
        const char* value;
    } cases[] = {
        {0, "1"},
        {1, "1"},
        {3, "0000 0000 0000 0111  (0x0007)"},
        {4, "24"},
        {5, "528"},
        {6, "528"},
        {7, "528"},
        {8, "KVX THREE"},
        {9, "FW3"},
        {10, "SER3"},
        {31, "2000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_STREQ(info.rows[c.row].value, c.value);
    }
}

TEST(SelectorLines, DriveTwelveAndFieldsWithoutTerminator)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = 16;
    DriveRecord& first = drives->table[0];
    first.present = 1;
    std::strcpy(first.model, "A");
    std::strcpy(first.firmware, "F");
    std::strcpy(first.serial, "S");
    std::strcpy(first.capacityText, "0.00MB");
    std::strcpy(first.transferModeText, "PIO Mode");
    DriveRecord& twelfth = drives->table[12];
    twelfth.present = 1;
    std::memset(twelfth.model, 'M', sizeof twelfth.model);  // no NUL anywhere
    std::memset(twelfth.firmware, 'F', sizeof twelfth.firmware);
    std::memset(twelfth.serial, 'S', sizeof twelfth.serial);
    std::memset(twelfth.capacityText, 'C', sizeof twelfth.capacityText);
    std::memset(twelfth.transferModeText, 'T', sizeof twelfth.transferModeText);

    const SelectorLines lines = BuildSelectorLines(*drives);
    ASSERT_EQ(lines.count, 2u);
    EXPECT_STREQ(lines.lines[0].text, "#0  A F S 0.00MB PIO Mode");
    const std::string expected = "#12 " + std::string(64, 'M') + " " + std::string(16, 'F') + " " +
                                 std::string(32, 'S') + " " + std::string(32, 'C') + " " + std::string(32, 'T');
    EXPECT_EQ(lines.lines[1].text, expected.substr(0, sizeof lines.lines[1].text - 1));
}

TEST(SelectorLines, SleepingDriveLineEndsInTheMark)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = 16;
    DriveRecord& record = drives->table[3];
    record.present = 1;
    record.sleeping = 1;
    std::strcpy(record.model, "A");
    std::strcpy(record.firmware, "F");
    std::strcpy(record.serial, "S");
    std::strcpy(record.capacityText, "1.00GB");
    std::strcpy(record.transferModeText, "UltraDMA-5");
    const SelectorLines lines = BuildSelectorLines(*drives);
    ASSERT_EQ(lines.count, 1u);
    EXPECT_STREQ(lines.lines[0].text, "#3  A F S 1.00GB UltraDMA-5 (" "\x83\x58\x83\x8A\x81\x5B\x83\x76\x92\x86" ")");
}

TEST(SelectorLines, OnlyDrivesBelowTheProbeCount)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = 4;
    drives->table[5].present = 1;  // never probed: not listed
    EXPECT_EQ(BuildSelectorLines(*drives).count, 0u);
    drives->probeCount = 0xFFFFFFFF;  // nonsense count: still only the 16 slots
    EXPECT_EQ(BuildSelectorLines(*drives).count, 1u);
}

void PutWord(std::uint8_t* sector, unsigned word, std::uint16_t value)
{
    sector[2 * word] = static_cast<std::uint8_t>(value);
    sector[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

// An ATA string: padded with spaces, first character of each pair in the high byte.
void PutAtaString(std::uint8_t* sector, unsigned offset, unsigned length, const char* text)
{
    for (unsigned i = 0; i < length; ++i) {
        const char c = i < std::strlen(text) ? text[i] : ' ';
        sector[offset + (i ^ 1)] = static_cast<std::uint8_t>(c);
    }
}

struct InfoCase {
    unsigned row;
    const char* item;
    const char* value;
};

class DriveInformation : public ::testing::Test {
protected:
    void SetUp() override
    {
        version_.bVersion = 2;
        version_.bRevision = 3;
        version_.bIDEDeviceMap = 0x11;
        version_.fCapabilities = 7;
        record_.versionResult = &version_;
        record_.versionBytes = 24;
        record_.identifyBytes = 528;
        record_.attributeBytes = 527;
        record_.thresholdBytes = 16;
        PutAtaString(identify_, 54, 40, "  KVX MODEL 1");
        PutAtaString(identify_, 46, 8, "FW 2");
        PutAtaString(identify_, 20, 20, "SERIAL-77");
        PutWord(identify_, 0, 0x0C5A);
        PutWord(identify_, 1, 0x3FFF);
        PutWord(identify_, 3, 16);
        PutWord(identify_, 4, 0x8000);
        PutWord(identify_, 5, 512);
        PutWord(identify_, 6, 63);
        PutWord(identify_, 20, 3);
        PutWord(identify_, 21, 0x0400);
        PutWord(identify_, 22, 4);
        PutWord(identify_, 47, 0x8010);
        PutWord(identify_, 48, 1);
        PutWord(identify_, 49, 0x0F00);
        PutWord(identify_, 54, 1024);
        PutWord(identify_, 56, 255);
        PutWord(identify_, 57, 0x5678);  // dwords: low word first
        PutWord(identify_, 58, 0x1234);
        PutWord(identify_, 59, 0x0110);
        PutWord(identify_, 60, 0xFFFF);
        PutWord(identify_, 61, 0x0FFF);
        PutWord(identify_, 62, 0x0407);
        PutWord(identify_, 65, 120);
        PutWord(identify_, 75, 31);
        PutWord(identify_, 88, 0x203F);
        PutWord(identify_, 93, 0x600B);
        PutWord(identify_, 94, 0x8080);
        record_.identifyResult = identify_;
    }

    GETVERSIONINPARAMS version_{};
    std::uint8_t identify_[512] = {};
    DriveRecord record_;
};

TEST_F(DriveInformation, IdentifyRowsWithTheirSourcesAndForms)
{
    const InfoCase cases[] = {
        {0, "Version", "2"},
        {1, "Revision", "3"},
        {2, "IDEDeviceMap", "0000 0000 0001 0001  (0x0011)"},
        {3, "Capabilities", "0000 0000 0000 0111  (0x0007)"},
        {4, "Version Status", "24"},
        {5, "IDSector Status", "528"},
        {6, "Drive Attribute Status", "527"},
        {7, "Attribute Threshold Status", "16"},
        {8, "Model Number", "KVX MODEL 1"},
        {9, "Firmware Rev", "FW 2"},
        {10, "Serial Number", "SERIAL-77"},
        {11, "General Configuration", "0000 1100 0101 1010  (0x0C5A)"},
        {12, "Cylinders", "16383"},
        {13, "Heads", "16"},
        {14, "Bytes/Track", "32768"},
        {15, "Bytes/Sector", "512"},
        {16, "Sectors/Track", "63"},
        {17, "Buffer Type", "3"},
        {18, "Buffer Size", "1024"},
        {19, "ECC Size", "4"},
        {20, "Vendor Unique", "1000 0000 0001 0000  (0x8010)"},
        {21, "Double Word IO", "1"},
        {22, "Capabilities", "0000 1111 0000 0000  (0x0F00)"},
        {23, "PIO Timing", "0000 0000 0000 0000  (0x0000)"},
        {25, "BS", "0000 0000 0000 0000  (0x0000)"},
        {26, "Current Cylinders", "1024"},
        {27, "Current Heads", "0"},
        {28, "Current Sectors/Track", "255"},
        {29, "Current Sector Capacity", "305419896"},  // 0x12345678
        {30, "Multi Sector Stuff", "272"},
        {31, "Total Addressable Sectors", "268435455"},  // 0x0FFFFFFF
        {32, "Single Word DMA", "0000 0100 0000 0111  (0x0407)"},
        {33, "Multi Word DMA", "0000 0000 0000 0000  (0x0000)"},
        {35, "Multi Word DMA Cycle Time", "120"},
        {36, "Device Multi Word DMA Cycle Time", "0"},
        {37, "PIO Cycle Time without IODRY", "0"},
        {38, "PIO Cycle Time with IODRY", "0"},
        {39, "Queue Size", "31"},
        {40, "Major Version", "0000 0000 0000 0000  (0x0000)"},
        {46, "Ultra DMA", "0010 0000 0011 1111  (0x203F)"},
        {47, "Hardware Reset", "0110 0000 0000 1011  (0x600B)"},
        {48, "Automatic Acoustic Management", "1000 0000 1000 0000  (0x8080)"},
    };
    const DriveInfoRows info = BuildDriveInfoRows(record_);
    for (const InfoCase& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_STREQ(info.rows[c.row].item, c.item);
        EXPECT_STREQ(info.rows[c.row].value, c.value);
    }
}

TEST_F(DriveInformation, ItemsInOrder)
{
    const char* const items[kDriveInfoRowCount] = {"Version", "Revision", "IDEDeviceMap", "Capabilities",
        "Version Status", "IDSector Status", "Drive Attribute Status", "Attribute Threshold Status", "Model Number",
        "Firmware Rev", "Serial Number", "General Configuration", "Cylinders", "Heads", "Bytes/Track",
        "Bytes/Sector", "Sectors/Track", "Buffer Type", "Buffer Size", "ECC Size", "Vendor Unique",
        "Double Word IO", "Capabilities", "PIO Timing", "DMA Timing", "BS", "Current Cylinders", "Current Heads",
        "Current Sectors/Track", "Current Sector Capacity", "Multi Sector Stuff", "Total Addressable Sectors",
        "Single Word DMA", "Multi Word DMA", "Advanced PIO", "Multi Word DMA Cycle Time",
        "Device Multi Word DMA Cycle Time", "PIO Cycle Time without IODRY", "PIO Cycle Time with IODRY",
        "Queue Size", "Major Version", "Minor Version", "Command Set 1", "Command Set 2", "Command Status 1",
        "Command Status 2", "Ultra DMA", "Hardware Reset", "Automatic Acoustic Management",
        "Temperature Attribute", "Connection", "Media"};
    const DriveInfoRows info = BuildDriveInfoRows(record_);
    for (unsigned row = 0; row < kDriveInfoRowCount; ++row) {
        SCOPED_TRACE(row);
        EXPECT_STREQ(info.rows[row].item, items[row]);
    }
}

TEST_F(DriveInformation, EachWordRowReadsItsOwnWord)
{
    // Word n holds n + 1000: every decimal word row shows the word it names.
    const struct {
        unsigned row;
        unsigned word;
    } rows[] = {{12, 1}, {13, 3}, {14, 4}, {15, 5}, {16, 6}, {17, 20}, {18, 21}, {19, 22}, {21, 48}, {26, 54},
        {27, 55}, {28, 56}, {30, 59}, {35, 65}, {36, 66}, {37, 67}, {38, 68}, {39, 75}};
    for (unsigned word = 0; word < 256; ++word) {
        PutWord(identify_, word, static_cast<std::uint16_t>(word + 1000));
    }
    const DriveInfoRows info = BuildDriveInfoRows(record_);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        EXPECT_EQ(info.rows[r.row].value, std::to_string(r.word + 1000));
    }
    const struct {
        unsigned row;
        unsigned word;
    } bitRows[] = {{11, 0}, {20, 47}, {22, 49}, {23, 51}, {24, 52}, {25, 53}, {32, 62}, {33, 63}, {34, 64},
        {40, 80}, {41, 81}, {42, 82}, {43, 83}, {44, 85}, {45, 86}, {46, 88}, {47, 93}, {48, 94}};
    for (const auto& r : bitRows) {
        SCOPED_TRACE(r.row);
        char expected[kBitPatternSize];
        FormatBitPattern(expected, sizeof expected, r.word + 1000, 16);
        EXPECT_STREQ(info.rows[r.row].value, expected);
    }
    EXPECT_EQ(info.rows[29].value, std::to_string((58u + 1000) << 16 | (57u + 1000)));
    EXPECT_EQ(info.rows[31].value, std::to_string((61u + 1000) << 16 | (60u + 1000)));
}

TEST_F(DriveInformation, WithoutVersionOrIdentifyOnlyTheByteCountsAndHowItIsRead)
{
    record_.versionResult = nullptr;
    record_.identifyResult = nullptr;
    const DriveInfoRows info = BuildDriveInfoRows(record_);
    for (unsigned row = 0; row < kDriveInfoRowCount; ++row) {
        SCOPED_TRACE(row);
        if ((row >= 4 && row <= 7) || row >= kDriveInfoRowCount - 3) {
            EXPECT_STRNE(info.rows[row].value, "");
        } else {
            EXPECT_STREQ(info.rows[row].value, "");
        }
    }
}

TEST_F(DriveInformation, AllOnesSectorAndFullStringsStayInsideTheirCells)
{
    std::memset(identify_, 0xFF, sizeof identify_);
    version_.fCapabilities = 0xFFFFFFFF;
    record_.versionBytes = 0xFFFFFFFF;
    const DriveInfoRows info = BuildDriveInfoRows(record_);
    EXPECT_STREQ(info.rows[3].value, "1111 1111 1111 1111  (0xFFFFFFFF)");
    EXPECT_STREQ(info.rows[4].value, "4294967295");
    EXPECT_EQ(std::strlen(info.rows[8].value), 40u);
    EXPECT_EQ(std::strlen(info.rows[9].value), 8u);
    EXPECT_EQ(std::strlen(info.rows[10].value), 20u);
    EXPECT_STREQ(info.rows[31].value, "4294967295");
}

}  // namespace

namespace {

TEST(DriveInformationSensing, TemperatureAttributeWithItsSourceAndTheConnection)
{
    const struct {
        std::uint8_t id;
        TemperatureSource source;
        const char* text;
    } cases[] = {
        {194, TemperatureSource::Database, "194 (database)"},
        {190, TemperatureSource::Fallback, "190 (fallback)"},
        {0, TemperatureSource::DatabaseNone, "none (database)"},
        {0, TemperatureSource::None, "none"},
    };
    for (const auto& c : cases) {
        DriveRecord record;
        record.temperatureAttributeId = c.id;
        record.temperatureSource = c.source;
        const DriveInfoRows info = BuildDriveInfoRows(record);
        EXPECT_STREQ(info.rows[kDriveInfoRowCount - 3].value, c.text);
        EXPECT_STREQ(info.rows[kDriveInfoRowCount - 2].value, "S.M.A.R.T. requests");
        EXPECT_STREQ(info.rows[kDriveInfoRowCount - 1].value, "not reported") << "no IDENTIFY sector";
    }
}

TEST(DriveInformationSensing, PropertyDrivesShowTheirThresholdsBusAndTexts)
{
    const struct {
        std::int16_t warning;
        std::int16_t critical;
        std::uint32_t busType;
        const char* attribute;
        const char* connection;
    } cases[] = {
        {70, 80, 7, "property (warning 70, critical 80)", "storage property (USB)"},
        {0, 85, 8, "property (critical 85)", "storage property (RAID)"},
        {65, 0, 0x11, "property (warning 65)", "storage property (NVMe)"},
        {0, 0, 0x7F, "property", "storage property (Storage)"},
        {-1, -1, 7, "property", "storage property (USB)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attribute);
        auto record = std::make_unique<DriveRecord>();
        record->kind = DriveKind::Property;
        record->propertyWarning = c.warning;
        record->propertyCritical = c.critical;
        record->propertyBusType = c.busType;
        std::strcpy(record->model, "Portable SSD T7");
        std::strcpy(record->firmware, "0");
        std::memset(record->serial, 'S', sizeof record->serial);  // no terminator: stops at the field's end
        std::strcpy(record->capacityText, "1.00TB");
        const DriveInfoRows full = BuildDriveInfoRows(*record);
        EXPECT_STREQ(full.rows[kDriveInfoRowCount - 3].value, c.attribute);
        EXPECT_STREQ(full.rows[kDriveInfoRowCount - 2].value, c.connection);
        const PropertyInfoRows info = BuildPropertyInfoRows(*record);
        const char* const expected[kPropertyInfoRowCount][2] = {
            {"Model Number", "Portable SSD T7"}, {"Firmware Rev", "0"},
            {"Serial Number", "SSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSS"}, {"Capacity", "1.00TB"},
            {"Temperature Attribute", c.attribute}, {"Connection", c.connection}};
        for (unsigned row = 0; row < kPropertyInfoRowCount; ++row) {
            EXPECT_STREQ(info.rows[row].item, expected[row][0]);
            EXPECT_STREQ(info.rows[row].value, expected[row][1]);
        }
        EXPECT_EQ(BuildAttributeRows(*record).count, 0u);
    }
}

}  // namespace
