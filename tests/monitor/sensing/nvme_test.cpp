// NVMe drives: the page fields, the reply checks, and enumeration and measurement of
// simulated NVMe drives beside ATA ones.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "measurement.h"
#include "nvme_device.h"
#include "nvme_pages.h"
#include "sensing_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(NvmePages, KelvinToWholeDegrees)
{
    const struct {
        std::uint32_t kelvin;
        std::uint8_t celsius;
    } cases[] = {{0, 0}, {200, 0}, {273, 0}, {274, 1}, {318, 45}, {528, 255}, {529, 255}, {65535, 255}};
    for (const auto& c : cases) {
        EXPECT_EQ(KelvinToCelsius(c.kelvin), c.celsius) << c.kelvin << " K";
    }
    std::uint8_t health[kNvmeHealthSize] = {};
    health[1] = 0x3E;  // 318 K, little-endian
    health[2] = 0x01;
    EXPECT_EQ(HealthTemperature(health), 45);
}

TEST(NvmePages, TextsAreTrimmedAsAtaTexts)
{
    const struct {
        std::string field;  // exactly the field's width
        const char* text;
    } cases[] = {
        {"Samsung SSD 980 PRO 1TB                 ", "Samsung SSD 980 PRO 1TB"},
        {"   WD_BLACK SN850X 2000GB               ", "WD_BLACK SN850X 2000GB"},
        {std::string(40, ' '), " "},                                        // as an all-space ATA text
        {std::string(40, 'M'), "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"},  // no padding, no NUL
        {"AB" + std::string(1, '\0') + "CD" + std::string(35, ' '), "AB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_EQ(c.field.size(), kNvmeModelLength);
        char model[64] = {};
        CopyNvmeText(model, reinterpret_cast<const std::uint8_t*>(c.field.data()), kNvmeModelLength);
        EXPECT_STREQ(model, c.text);
    }
}

TEST(NvmePages, CapacityInAtaUnits)
{
    const struct {
        std::uint64_t low;
        std::uint64_t high;
        const char* text;
    } cases[] = {
        {0, 0, "0.00MB"},
        {999999999, 0, "1000.00MB"},
        {1000000000, 0, "1.00GB"},
        {512110190592ull, 0, "512.11GB"},
        {2000398934016ull, 0, "2.00TB"},
        {~0ull, ~0ull, "3.403e+26TB"},  // nonsense stays inside the field
    };
    for (const auto& c : cases) {
        std::uint8_t identify[kNvmeIdentifySize] = {};
        for (unsigned i = 0; i < 8; ++i) {
            identify[kNvmeTotalCapacityOffset + i] = static_cast<std::uint8_t>(c.low >> (8 * i));
            identify[kNvmeTotalCapacityOffset + 8 + i] = static_cast<std::uint8_t>(c.high >> (8 * i));
        }
        char text[32];
        FormatNvmeCapacity(identify, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(NvmePages, Counters)
{
    std::uint8_t bytes[16] = {};
    char text[kCounterTextSize];
    FormatCounter128(bytes, text);
    EXPECT_STREQ(text, "0");
    bytes[0] = 0x40;
    bytes[1] = 0x42;
    bytes[2] = 0x0F;  // 1,000,000
    FormatCounter128(bytes, text);
    EXPECT_STREQ(text, "1000000");
    std::memset(bytes, 0xFF, sizeof bytes);
    FormatCounter128(bytes, text);
    EXPECT_STREQ(text, "340282366920938463463374607431768211455");
}

// A well-formed reply of `size` data bytes, then spoiled by each case.
std::vector<std::uint8_t> Reply(std::uint32_t size)
{
    std::vector<std::uint8_t> reply(kProtocolDescriptorSize + size, 0xA5);
    STORAGE_PROTOCOL_DATA_DESCRIPTOR descriptor{};
    descriptor.Version = descriptor.Size = sizeof descriptor;
    descriptor.ProtocolSpecificData.ProtocolDataOffset = sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA);
    descriptor.ProtocolSpecificData.ProtocolDataLength = size;
    std::memcpy(reply.data(), &descriptor, sizeof descriptor);
    return reply;
}

TEST(NvmeReplies, DataOnlyWhereTheReplyHoldsIt)
{
    constexpr unsigned kOffsetField = 8 + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset);
    constexpr unsigned kLengthField = 8 + offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength);
    const struct {
        const char* name;
        unsigned field;  // a DWORD to overwrite, or 0
        std::uint32_t value;
        std::uint32_t returned;
        bool found;
    } cases[] = {
        {"well formed", 0, 0, 560, true},
        {"shorter than it claims", 0, 0, 559, false},
        {"no descriptor", 0, 0, 47, false},
        {"other version", 0, 40, 560, false},
        {"other size", 4, 4144, 560, false},
        {"offset inside the record", kOffsetField, 39, 560, false},
        {"offset past the end", kOffsetField, 41, 560, false},
        {"offset wrapping round", kOffsetField, 0xFFFFFFF0, 560, false},
        {"length below the page", kLengthField, 511, 560, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> reply = Reply(kNvmeHealthSize);
        if (c.field != 0 || c.value != 0) {
            std::memcpy(reply.data() + c.field, &c.value, 4);
        }
        const std::uint8_t* data = LocateProtocolData(reply.data(), c.returned, kNvmeHealthSize);
        EXPECT_EQ(data, c.found ? reply.data() + kProtocolDescriptorSize : nullptr);
    }
    std::uint32_t busType = 0;
    std::uint8_t device[32] = {};
    EXPECT_FALSE(ParseBusType(device, 31, busType)) << "the bus type ends at byte 32";
}

class NvmeDrives : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile("HDDATA.CFG", "KVX = 194\n");
        ASSERT_EQ(LoadDriveDatabase("HDDATA.CFG"), 1);
    }
    void TearDown() override { TheDriveDatabase().Clear(); }
    WorkingDirectory directory_;
    Settings settings_;
};

TEST_F(NvmeDrives, BesideAtaDrivesOneHealthReadPerCycle)
{
    SimulatedMachine machine("drive 0\nmodel KVX ATA\ntemperature 194 40\n"
                             "drive 1\nnvme\nmodel  Samsung SSD 980 PRO 1TB  \nfirmware 5B2QGXA7\nserial S5GXNF0R\n"
                             "capacity 1000204886016\ntemperature 45 46 0K 46 47\nfail health from 5\n"
                             "drive 2\nnvme\nfail identify\n");
    EnumerateForLaterTicks(machine.drives);
    ASSERT_EQ(machine.drives.presentCount, 2u);
    const DriveRecord& nvme = machine.drives.table[1];
    EXPECT_EQ(nvme.kind, DriveKind::Nvme);
    EXPECT_STREQ(nvme.model, "Samsung SSD 980 PRO 1TB");
    EXPECT_STREQ(nvme.firmware, "5B2QGXA7");
    EXPECT_STREQ(nvme.serial, "S5GXNF0R");
    EXPECT_STREQ(nvme.capacityText, "1.00TB");
    EXPECT_STREQ(nvme.transferModeText, "NVMe");
    EXPECT_EQ(nvme.temperatureAttributeId, 0) << "no database entry is needed";
    EXPECT_EQ(nvme.versionResult, nullptr);
    EXPECT_EQ(nvme.nvmeIdentifyBytes, kNvmeIdentifyReplySize);
    EXPECT_EQ(nvme.healthBytes, kNvmeHealthReplySize);
    EXPECT_EQ(machine.drives.table[2].present, 0u) << "identify failed";

    // What enumeration asked the NVMe drive: the ATA requests it refuses, then the bus
    // type, identify controller and the health log, laid out as the storage driver wants.
    std::vector<const SimulatedRequest*> queries;
    for (const SimulatedRequest& request : machine.bus.Requests()) {
        if (request.drive == 1 && request.code == kIoctlStorageQueryProperty) {
            queries.push_back(&request);
        }
    }
    // The first is the device descriptor enumeration asks before the power question.
    ASSERT_EQ(queries.size(), 4u);
    EXPECT_EQ(NvmeDword(queries[0]->record), kStorageDeviceProperty);
    queries.erase(queries.begin());
    const struct {
        DWORD property;
        DWORD dataType;
        DWORD value;
        DWORD length;
    } expected[] = {{kStorageAdapterProtocolSpecificProperty, kNvmeDataTypeIdentify, 1, 4096},
                    {kStorageDeviceProtocolSpecificProperty, kNvmeDataTypeLogPage, 2, 512}};
    EXPECT_EQ(NvmeDword(queries[0]->record), kStorageDeviceProperty);
    for (unsigned i = 0; i < 2; ++i) {
        const std::uint8_t* sent = queries[i + 1]->record;
        EXPECT_EQ(queries[i + 1]->inSize, kProtocolRequestSize);
        EXPECT_EQ(queries[i + 1]->outSize, 48 + expected[i].length);
        EXPECT_EQ(NvmeDword(sent), expected[i].property);
        EXPECT_EQ(NvmeDword(sent + 4), kPropertyStandardQuery);
        EXPECT_EQ(NvmeDword(sent + 8), kProtocolTypeNvme);
        EXPECT_EQ(NvmeDword(sent + 12), expected[i].dataType);
        EXPECT_EQ(NvmeDword(sent + 16), expected[i].value);
        EXPECT_EQ(NvmeDword(sent + 20), 0u);
        EXPECT_EQ(NvmeDword(sent + 24), 40u) << "data right after the protocol record";
        EXPECT_EQ(NvmeDword(sent + 28), expected[i].length);
    }

    // Health reads 2 to 6 (read 1 was enumeration's): 46, 0 K, 46, then failures.
    const struct {
        std::uint8_t current;
        std::uint8_t worst;
        std::uint32_t measured;
    } cycles[] = {{46, 46, 2}, {0, 46, 1}, {46, 46, 2}, {46, 46, 1}, {46, 46, 1}};
    for (const auto& cycle : cycles) {
        machine.bus.ClearLog();
        EXPECT_EQ(MeasureAll(machine.drives, settings_), cycle.measured);
        EXPECT_EQ(nvme.currentTemperature, cycle.current);
        EXPECT_EQ(nvme.worstTemperature, cycle.worst);
        EXPECT_EQ(machine.bus.RequestCount(kIoctlStorageQueryProperty), 1u);
        EXPECT_EQ(machine.bus.RequestCount(kIoctlAtaPassThrough), 1u) << "the ATA drive's power check only";
        EXPECT_EQ(machine.bus.RequestCount(kSmartSendDriveCommand), 1u) << "the ATA drive's RETURN STATUS only";
        EXPECT_EQ(machine.bus.RequestCount(), 4u) << "one read per drive";
    }
    EXPECT_EQ(nvme.healthResult, nullptr) << "a failed read leaves no health log on show";
    EXPECT_NE(ReadWholeFile("KELVIX.INI").find("Samsung SSD 980 PRO 1TB:5B2QGXA7:S5GXNF0R=0x2e"), std::string::npos)
        << "keyed as ATA drives are";
}

// Many drives leave the optional total capacity at 0: the disk driver's length is asked
// once at enumeration instead, and a drive with neither shows no capacity.
TEST_F(NvmeDrives, CapacityFromTheDiskLengthWhenIdentifyGivesNone)
{
    const struct {
        const char* lines;
        const char* text;
        std::uint64_t lengthRequests;
    } cases[] = {
        {"capacity 1000204886016\n", "1.00TB", 0},
        {"capacity 0\ndisk-length 512110190592\n", "512.11GB", 1},
        {"capacity 0\n", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        SimulatedMachine machine(std::string("drive 0\nnvme\n") + c.lines);
        EnumerateForLaterTicks(machine.drives);
        ASSERT_EQ(machine.drives.presentCount, 1u);
        EXPECT_STREQ(machine.drives.table[0].capacityText, c.text);
        EXPECT_EQ(machine.bus.RequestCount(kIoctlDiskGetLengthInfo), c.lengthRequests);
        machine.bus.ClearLog();
        MeasureAll(machine.drives, settings_);
        EXPECT_EQ(machine.bus.RequestCount(), 1u) << "the health log only";
    }
}

}  // namespace
