// Start-up enumeration over simulated drives, the present list, and the identity texts.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "identity_text.h"
#include "sensing_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class Enumeration : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile("HDDATA.CFG", "KVX = 194\n");
        ASSERT_EQ(LoadDriveDatabase("HDDATA.CFG"), 1);
    }
    void TearDown() override { TheDriveDatabase().Clear(); }

    WorkingDirectory directory_;
};

// Failing at each step: whether the drive ends up present, and what reached it.
struct FailureCase {
    const char* step;
    bool present;
    std::vector<DWORD> codes;
    unsigned opens;
};

TEST_F(Enumeration, FailureAtEveryStep)
{
    const DWORD V = kSmartGetVersion, S = kSmartSendDriveCommand, R = kSmartRcvDriveData;
    const DWORD Q = kIoctlStorageQueryProperty;  // after an ATA failure: is it an NVMe drive?
    const DWORD P = kIoctlScsiPassThrough;  // then: is it behind a bridge? (16-, then 12-byte)
    // Then the device descriptor (an NVMe drive behind a USB bridge or RST? on the ATA
    // bus neither is asked), last the temperature property: two more storage queries.
    // Before anything else, the device descriptor and the power question (CHECK POWER MODE
    // through the ATA pass-through).
    const DWORD A = kIoctlAtaPassThrough;
    const FailureCase cases[] = {
        {"open", false, {}, 1},
        {"version", false, {Q, A, V, Q, P, P, Q, Q}, 1},
        // The enable result is not looked at; a present drive is asked RETURN STATUS last.
        {"enable", true, {Q, A, V, S, R, R, R, S}, 1},
        {"identify", false, {Q, A, V, S, R, Q, P, P, Q, Q}, 1},
        {"attributes", false, {Q, A, V, S, R, R, R, Q, P, P, Q, Q}, 1},  // thresholds are still asked for
        {"thresholds", false, {Q, A, V, S, R, R, R, Q, P, P, Q, Q}, 1},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.step);
        SimulatedMachine machine(std::string("drive 0\nmodel KVX 1\nattribute 194 0x22 100 100 28\nfail ") +
                                 c.step + "\n");
        machine.drives.probeCount = 1;
        EnumerateDrives(machine.drives);
        const DriveRecord& record = machine.drives.table[0];
        EXPECT_EQ(record.present, c.present ? 1u : 0u);
        EXPECT_EQ(machine.drives.presentCount, c.present ? 1u : 0u);
        EXPECT_EQ(machine.drives.presentList[0], c.present ? 0u : kNoDrive);
        std::vector<DWORD> codes;
        for (const SimulatedRequest& request : machine.bus.Requests()) {
            codes.push_back(request.code);
        }
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(machine.bus.OpenCount(), c.opens);
        if (!c.present) {
            EXPECT_STREQ(record.model, "") << "identity texts are filled only for present drives";
            EXPECT_EQ(record.temperatureAttributeId, 0);
        }
    }
}

TEST_F(Enumeration, PresentListOnNineX)
{
    // Drives 0 and 2 answer, 1 and 3 fail, 5 exists but lies beyond the probe count.
    SimulatedMachine machine("platform 1\n"
                             "drive 0\nmodel KVX A\n"
                             "drive 1\nfail identify\n"
                             "drive 2\nmodel OTHER B\n"
                             "drive 3\nfail open\n"
                             "drive 5\nmodel KVX C\n");
    ASSERT_EQ(machine.drives.probeCount, 4u);
    for (std::uint32_t& entry : machine.drives.presentList) {
        entry = 0x5A5A5A5A;
    }
    EnumerateDrives(machine.drives);

    EXPECT_EQ(machine.drives.presentCount, 2u);
    const std::uint32_t expected[16] = {0, 2, kNoDrive, kNoDrive, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A,
                                        0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A, 0x5A5A5A5A,
                                        0x5A5A5A5A, 0x5A5A5A5A};
    EXPECT_EQ(std::vector<std::uint32_t>(machine.drives.presentList, machine.drives.presentList + 16),
              std::vector<std::uint32_t>(expected, expected + 16));
    EXPECT_EQ(machine.drives.table[0].present, 1u);
    EXPECT_EQ(machine.drives.table[2].present, 1u);
    for (unsigned i = 4; i < 16; ++i) {
        EXPECT_EQ(machine.drives.table[i].present, 0u);
        EXPECT_FALSE(machine.drives.table[i].device.IsOpen());
    }
    for (const SimulatedRequest& request : machine.bus.Requests()) {
        EXPECT_LT(request.drive, 4) << "nothing beyond the probe count is asked";
    }
    // The database gave drive 0 its id; drive 2 has no match.
    EXPECT_EQ(machine.drives.table[0].temperatureAttributeId, 194);
    EXPECT_EQ(machine.drives.table[2].temperatureAttributeId, 0);
}

TEST_F(Enumeration, PresentDriveGetsItsIdentityAndKeepsItsResults)
{
    SimulatedMachine machine("drive 1\nmodel KVX-3000 Turbo\nfirmware AB12\nserial SER-42\n"
                             "sectors 156301488\nudma none\nmwdma 2\n"
                             "attribute 194 0x0022 45 55 2D\nthreshold 194 0\n");
    EnumerateDrives(machine.drives);
    const DriveRecord& record = machine.drives.table[1];
    ASSERT_EQ(record.present, 1u);
    EXPECT_STREQ(record.model, "KVX-3000 Turbo");
    EXPECT_STREQ(record.firmware, "AB12");
    EXPECT_STREQ(record.serial, "SER-42");
    EXPECT_STREQ(record.capacityText, "78.15GB");
    EXPECT_STREQ(record.transferModeText, "MultiWordDMA-2");
    EXPECT_EQ(record.temperatureAttributeId, 194);
    EXPECT_EQ(record.versionResult, record.device.VersionResult());
    EXPECT_EQ(record.identifyResult, record.device.IdentifyResult());
    EXPECT_EQ(record.attributeResult, record.device.AttributeResult());
    EXPECT_EQ(record.thresholdResult, record.device.ThresholdResult());
    EXPECT_EQ(record.versionBytes, 24u);
    EXPECT_EQ(record.identifyBytes, 528u);
    EXPECT_EQ(record.attributeBytes, 528u);
    EXPECT_EQ(record.thresholdBytes, 528u);
    EXPECT_EQ(machine.drives.presentList[0], 1u);
    EXPECT_EQ(machine.drives.presentCount, 1u);
}

TEST_F(Enumeration, AnIdAlreadySetIsNotLookedUp)
{
    SimulatedMachine machine("drive 0\nmodel KVX 1\n");
    machine.drives.table[0].temperatureAttributeId = 231;
    EnumerateDrives(machine.drives);
    EXPECT_EQ(machine.drives.table[0].temperatureAttributeId, 231);
}

TEST_F(Enumeration, WithoutDrivesNothingIsPresent)
{
    SimulatedMachine machine("platform 2\n");
    EnumerateDrives(machine.drives);
    EXPECT_EQ(machine.drives.probeCount, 16u);
    EXPECT_EQ(machine.drives.presentCount, 0u);
    for (unsigned i = 0; i < 16; ++i) {
        EXPECT_EQ(machine.drives.presentList[i], kNoDrive);
    }
    EXPECT_EQ(machine.bus.OpenCount(), 16u);
    EXPECT_EQ(machine.bus.RequestCount(), 0u);
}

// CopyIdString: raw ATA bytes (two characters per word, swapped) to text.
struct IdStringCase {
    const char* name;
    std::vector<std::uint8_t> raw;
    std::uint16_t length;
    const char* text;
};

TEST(CopyIdString, Examples)
{
    std::vector<std::uint8_t> spaces40(40, ' ');
    const IdStringCase cases[] = {
        {"swapped pairs", {0x42, 0x41, 0x44, 0x43, 0x20, 0x20}, 6, "ABCD"},
        {"leading spaces", {0x20, 0x20, 0x42, 0x41, 0x44, 0x43, 0x20, 0x20}, 8, "ABCD"},
        {"inner spaces stay", {'D', 'W', ' ', 'C', 'B', 'W', ' ', ' '}, 8, "WDC WB"},
        {"forty spaces leave one", spaces40, 40, " "},
        {"all zero", std::vector<std::uint8_t>(20, 0), 20, ""},
        {"full width", {'B', 'A', 'D', 'C', 'F', 'E', 'H', 'G'}, 8, "ABCDEFGH"},
        {"odd-position space", {' ', 'A', ' ', ' '}, 4, "A"},
    };
    for (const IdStringCase& c : cases) {
        SCOPED_TRACE(c.name);
        char destination[64] = {};
        EXPECT_EQ(CopyIdString(destination, c.raw.data(), c.length), destination);
        EXPECT_STREQ(destination, c.text);
    }
}

TEST(CopyIdString, ReadsOnlyTheGivenBytes)
{
    // The field is followed by other data; none of it may leak into the text.
    const std::uint8_t raw[] = {'I', 'H', ' ', ' ', 'X', 'Y'};
    char destination[16] = {};
    CopyIdString(destination, raw, 4);
    EXPECT_STREQ(destination, "HI");
}

// Capacity and transfer-mode texts from IDENTIFY bytes: the 28-bit count of words 60-61,
// or the 48-bit count of words 100-103 when word 83 bit 10 says the drive has one.
struct CapacityCase {
    std::uint32_t sectors28;
    bool lba48;
    std::uint64_t sectors48;
    const char* text;
};

TEST(FormatDriveIdentity, CapacityTexts)
{
    const CapacityCase cases[] = {
        {0, false, 0, "0.00MB"},
        {1999999, false, 0, "1000.00MB"},
        {2000000, false, 0, "1.00GB"},
        {156301488, false, 0, "78.15GB"},
        {268435455, false, 0, "134.22GB"},               // a drive without 48-bit addressing
        {268435455, true, 976773168, "488.39GB"},        // a 500 GB drive
        {268435455, true, 5860533168ull, "2.93TB"},      // beyond 32 bits
        {268435455, false, 976773168, "134.22GB"},       // words 100-103 count only with bit 10
        {156301488, true, 0, "78.15GB"},                 // an empty 48-bit count is no count
        {1999999999, false, 0, "1000.00GB"},
        {2000000000, false, 0, "1.00TB"},
        {0xFFFFFFFF, false, 0, "2.15TB"},
    };
    for (const CapacityCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint8_t identify[512] = {};
        for (unsigned b = 0; b < 4; ++b) {
            identify[120 + b] = static_cast<std::uint8_t>(c.sectors28 >> (8 * b));
        }
        for (unsigned b = 0; b < 8; ++b) {
            identify[200 + b] = static_cast<std::uint8_t>(c.sectors48 >> (8 * b));
        }
        identify[167] = c.lba48 ? 0x44 : 0x40;  // word 83: bit 14 always set, bit 10 = 48-bit
        DriveRecord record;
        record.identifyResult = identify;
        FormatDriveIdentity(record);
        EXPECT_STREQ(record.capacityText, c.text);
    }
}

struct ModeCase {
    std::uint8_t singleWord, multiWord, ultra;
    const char* text;
};

TEST(FormatDriveIdentity, TransferModeTexts)
{
    const ModeCase cases[] = {
        {0, 0, 0x20, "UltraDMA-5"},      {0, 0x04, 0x20, "MultiWordDMA-2"}, {0x01, 0x04, 0x20, "SingleWordDMA-0"},
        {0, 0, 0, "PIO Mode"},           {0, 0, 0x60, "UltraDMA-5"},        {0, 0, 0x80, "UltraDMA-7"},
        {0x02, 0, 0, "SingleWordDMA-1"},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint8_t identify[512] = {};
        identify[125] = c.singleWord;
        identify[127] = c.multiWord;
        identify[177] = c.ultra;
        DriveRecord record;
        record.identifyResult = identify;
        FormatDriveIdentity(record);
        EXPECT_STREQ(record.transferModeText, c.text);
    }
}

TEST(LowestSetBit, Table)
{
    const std::pair<std::uint8_t, unsigned> cases[] = {{0x00, 0}, {0x01, 0}, {0x02, 1}, {0x60, 5},
                                                       {0x80, 7}, {0xFF, 0}, {0x0C, 2}};
    for (const auto& [byte, bit] : cases) {
        EXPECT_EQ(LowestSetBit(byte), bit) << static_cast<unsigned>(byte);
    }
}

}  // namespace
