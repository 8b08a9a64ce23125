// The storage temperature property: the descriptor parsers on hand-made replies (laid
// out from the SDK's documented records), and drives only that property reaches,
// enumerated and measured on the simulated bus beside drives read the usual ways.
#include "drive_enumeration.h"
#include "measurement.h"
#include "sensing_test_support.h"
#include "storage_temperature.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, unsigned size, std::uint32_t value)
{
    if (bytes.size() < at + size) {
        bytes.resize(at + size);
    }
    for (unsigned i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

struct Sensor {
    std::uint16_t index;
    std::int16_t temperature;
    std::int16_t over;
};

// STORAGE_TEMPERATURE_DATA_DESCRIPTOR: Version 0, Size 4, Critical 8, Warning 10,
// InfoCount 12, entries of 16 bytes from 24 (Index 0, Temperature 2, OverThreshold 4).
std::vector<std::uint8_t> TemperatureReply(std::int16_t critical, std::int16_t warning, std::uint16_t count,
                                           const std::vector<Sensor>& sensors, std::uint32_t size = 0)
{
    std::vector<std::uint8_t> bytes(24 + 16 * sensors.size());
    Put(bytes, 0, 4, 40);
    Put(bytes, 4, 4, size != 0 ? size : static_cast<std::uint32_t>(bytes.size()));
    Put(bytes, 8, 2, static_cast<std::uint16_t>(critical));
    Put(bytes, 10, 2, static_cast<std::uint16_t>(warning));
    Put(bytes, 12, 2, count);
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        Put(bytes, 24 + 16 * i, 2, sensors[i].index);
        Put(bytes, 24 + 16 * i + 2, 2, static_cast<std::uint16_t>(sensors[i].temperature));
        Put(bytes, 24 + 16 * i + 4, 2, static_cast<std::uint16_t>(sensors[i].over));
    }
    return bytes;
}

TEST(TemperatureDescriptor, PicksTheDiskEntryAndItsThresholds)
{
    const struct {
        const char* name;
        std::vector<std::uint8_t> reply;
        bool parsed;
        std::int16_t temperature, warning, critical;
    } cases[] = {
        {"one entry", TemperatureReply(80, 70, 1, {{0, 41, 75}}), true, 41, 70, 80},
        {"index 0 after a sensor", TemperatureReply(85, 72, 2, {{1, 60, 0}, {0, 38, 0}}), true, 38, 72, 85},
        {"no index 0: the first", TemperatureReply(0, 0, 2, {{3, 52, 0}, {4, 57, 0}}), true, 52, 0, 0},
        {"below zero", TemperatureReply(80, 70, 1, {{0, -5, 0}}), true, -5, 70, 80},
        {"warning from the over-threshold", TemperatureReply(90, 0, 1, {{0, 44, 65}}), true, 44, 65, 90},
        {"count beyond the reply: only what came back", TemperatureReply(0, 0, 3, {{7, 50, 0}}), true, 50, 0, 0},
        {"size beyond the reply", TemperatureReply(0, 0, 1, {{0, 33, 0}}, 4096), true, 33, 0, 0},
        {"no entries", TemperatureReply(80, 70, 0, {{0, 41, 0}}), false, 0, 0, 0},
        {"size names no entry", TemperatureReply(80, 70, 1, {{0, 41, 0}}, 24), false, 0, 0, 0},
        {"header only", TemperatureReply(80, 70, 1, {}), false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PropertyTemperature result;
        ASSERT_EQ(ParseTemperatureDescriptor(c.reply.data(), static_cast<std::uint32_t>(c.reply.size()), result),
                  c.parsed);
        EXPECT_EQ(result.temperature, c.temperature);
        EXPECT_EQ(result.warning, c.warning);
        EXPECT_EQ(result.critical, c.critical);
    }
}

TEST(TemperatureDescriptor, ShortRepliesAreNotRead)
{
    // Every length below header plus one entry, on the heap so a read past it is caught.
    const std::vector<std::uint8_t> full = TemperatureReply(80, 70, 1, {{0, 41, 0}});
    for (std::uint32_t length = 0; length < 40; ++length) {
        std::vector<std::uint8_t> cut(full.begin(), full.begin() + length);
        PropertyTemperature result;
        EXPECT_FALSE(ParseTemperatureDescriptor(cut.data(), length, result)) << length;
    }
    PropertyTemperature result;
    EXPECT_FALSE(ParseTemperatureDescriptor(nullptr, 40, result));
}

// Bytes past what the driver returned are never read, whatever Size and InfoCount say: a
// disk entry planted just past the reply stays unseen.
TEST(TemperatureDescriptor, NothingPastTheReturnedBytesIsRead)
{
    const std::vector<std::uint8_t> buffer = TemperatureReply(0, 0, 2, {{1, 50, 0}, {0, 99, 0}}, 4096);
    PropertyTemperature result;
    ASSERT_TRUE(ParseTemperatureDescriptor(buffer.data(), 40, result));
    EXPECT_EQ(result.temperature, 50);
}

TEST(TemperatureDescriptor, OnlyDegreesTheTableCanHoldAreUsable)
{
    const struct {
        std::int16_t celsius;
        std::uint8_t kept;
    } cases[] = {{-40, 0}, {-1, 0}, {0, 0}, {1, 1}, {45, 45}, {255, 255}, {256, 0}, {32767, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(UsableTemperature(c.celsius), c.kept) << c.celsius;
    }
}

// STORAGE_DEVICE_DESCRIPTOR: offsets of vendor 12, product 16, revision 20, serial 24,
// bus type 28; texts after the 40-byte record.
struct Texts {
    const char* vendor;
    const char* product;
    const char* revision;
    const char* serial;
};

std::vector<std::uint8_t> DeviceReply(const Texts& texts, std::uint32_t busType)
{
    std::vector<std::uint8_t> bytes(40);
    Put(bytes, 0, 4, 40);
    Put(bytes, 28, 4, busType);
    const char* values[] = {texts.vendor, texts.product, texts.revision, texts.serial};
    for (unsigned i = 0; i < 4; ++i) {
        if (values[i] == nullptr) {
            continue;
        }
        const std::size_t at = bytes.size();
        Put(bytes, 12 + 4 * i, 4, static_cast<std::uint32_t>(at));
        bytes.insert(bytes.end(), values[i], values[i] + std::strlen(values[i]) + 1);
    }
    Put(bytes, 4, 4, static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

TEST(DeviceDescriptor, TextsAndModel)
{
    const struct {
        const char* name;
        Texts texts;
        const char* model;
        const char* revision;
        const char* serial;
    } cases[] = {
        {"vendor and product", {"Samsung ", "Portable SSD T5 ", "0", "S49WNP0N123456"},
         "Samsung Portable SSD T5", "0", "S49WNP0N123456"},
        {"product names the vendor", {"WD", "WD Elements 25A2", "1021", nullptr}, "WD Elements 25A2", "1021", ""},
        {"no vendor", {nullptr, "  Extreme SSD", nullptr, "  3233"}, "Extreme SSD", "", "3233"},
        {"vendor only", {"Generic", nullptr, nullptr, nullptr}, "Generic", "", ""},
        {"control bytes shown as ?", {nullptr, "A\x01" "B", nullptr, nullptr}, "A?B", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> reply = DeviceReply(c.texts, 7);
        DeviceTexts texts;
        ASSERT_TRUE(ParseDeviceTexts(reply.data(), static_cast<std::uint32_t>(reply.size()), texts));
        char model[64] = {};
        ComposeModel(texts, model);
        EXPECT_STREQ(model, c.model);
        EXPECT_STREQ(texts.revision, c.revision);
        EXPECT_STREQ(texts.serial, c.serial);
        EXPECT_EQ(texts.busType, 7u);
    }
}

TEST(DeviceDescriptor, OffsetsOutsideTheReplyGiveNoText)
{
    std::vector<std::uint8_t> reply = DeviceReply({"VENDOR", "PRODUCT", "REV1", "SERIAL"}, 8);
    const std::uint32_t size = static_cast<std::uint32_t>(reply.size());
    Put(reply, 12, 4, size);          // vendor: just past the end
    Put(reply, 16, 4, 8);             // product: inside the fixed fields
    Put(reply, 20, 4, 0xFFFFFFFF);    // revision: far away
    DeviceTexts texts;
    ASSERT_TRUE(ParseDeviceTexts(reply.data(), size, texts));
    EXPECT_STREQ(texts.vendor, "");
    EXPECT_STREQ(texts.product, "");
    EXPECT_STREQ(texts.revision, "");
    EXPECT_STREQ(texts.serial, "SERIAL");

    // A text cut by the end of the reply stops there; a reply too short for the bus
    // type is refused.
    const std::vector<std::uint8_t> whole = DeviceReply({nullptr, "LONG PRODUCT NAME", nullptr, nullptr}, 7);
    std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + 44);
    Put(cut, 4, 4, 44);
    ASSERT_TRUE(ParseDeviceTexts(cut.data(), 44, texts));
    EXPECT_STREQ(texts.product, "LONG");
    std::vector<std::uint8_t> tiny(whole.begin(), whole.begin() + 31);
    EXPECT_FALSE(ParseDeviceTexts(tiny.data(), 31, texts));
}

TEST(DeviceDescriptor, LongTextsAreCutToTheField)
{
    const std::string product(100, 'P');
    const std::vector<std::uint8_t> reply = DeviceReply({nullptr, product.c_str(), nullptr, nullptr}, 7);
    DeviceTexts texts;
    ASSERT_TRUE(ParseDeviceTexts(reply.data(), static_cast<std::uint32_t>(reply.size()), texts));
    EXPECT_EQ(std::string(texts.product), std::string(63, 'P'));
}

const char kPropertyDrive[] =
    "drive 1\nmodel Portable SSD T7\nfirmware 0\nserial S5SXNG0R123456\nsectors 1953525168\n"
    "temperature-property 70 80 38 42 0\n";
const char kDirectDrive[] = "drive 0\nmodel ST380011A\nserial 5JV3ABCD\ntemperature 194 35\n";

TEST(PropertyDrive, EnumeratedLastWithTheDescriptorIdentity)
{
    WorkingDirectory directory;
    SimulatedMachine machine(std::string(kDirectDrive) + kPropertyDrive);
    EnumerateForLaterTicks(machine.drives);
    ASSERT_EQ(machine.drives.presentCount, 2u);
    const DriveRecord& direct = machine.drives.table[0];
    EXPECT_EQ(direct.kind, DriveKind::Ata);
    EXPECT_EQ(direct.device.Route(), AtaRoute::Smart);
    const DriveRecord& record = machine.drives.table[1];
    EXPECT_EQ(record.kind, DriveKind::Property);
    EXPECT_STREQ(record.model, "Portable SSD T7");
    EXPECT_STREQ(record.firmware, "0");
    EXPECT_STREQ(record.serial, "S5SXNG0R123456");
    EXPECT_STREQ(record.capacityText, "1.00TB");  // 1953525168 sectors of 512 bytes
    EXPECT_STREQ(record.transferModeText, "USB");
    EXPECT_EQ(record.propertyWarning, 70);
    EXPECT_EQ(record.propertyCritical, 80);
    EXPECT_EQ(record.identifyResult, nullptr);
    EXPECT_EQ(record.attributeResult, nullptr);
    // The direct drive was never asked for the temperature property (its device
    // descriptor, before the power question, yes).
    for (const SimulatedRequest& request : machine.bus.Requests()) {
        if (request.drive == 0 && request.code == kIoctlStorageQueryProperty) {
            EXPECT_EQ(request.record[0], kStorageDeviceProperty);
        }
    }
}

TEST(PropertyDrive, EachMeasurementAsksTheProperty)
{
    WorkingDirectory directory;
    Settings settings;
    settings.UseLog = 0;
    SimulatedMachine machine(kPropertyDrive);
    EnumerateForLaterTicks(machine.drives);
    ASSERT_EQ(machine.drives.table[1].present, 1u);
    machine.bus.ClearLog();
    // The list 38 42 0 in turn (enumeration's query took 38): 42, then 0 (answered, no
    // temperature), then 38.
    const struct {
        std::uint32_t measured;
        std::uint8_t current;
        std::uint8_t worst;
    } cycles[] = {{1, 42, 42}, {0, 0, 42}, {1, 38, 42}};
    for (const auto& cycle : cycles) {
        EXPECT_EQ(MeasureAll(machine.drives, settings), cycle.measured);
        EXPECT_EQ(machine.drives.table[1].currentTemperature, cycle.current);
        EXPECT_EQ(machine.drives.table[1].worstTemperature, cycle.worst);
        EXPECT_EQ(machine.drives.table[1].lastReadFailed, 0);
    }
    EXPECT_EQ(machine.bus.RequestCount(kIoctlStorageQueryProperty), 3u);
    EXPECT_EQ(machine.bus.RequestCount(kSmartRcvDriveData), 0u);
}

TEST(PropertyDrive, DrivesAnsweringNothingAreStillSkipped)
{
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"9x has no storage property", "platform 1\ndrive 0\ntemperature-property 70 80 40\n"},
        {"unopenable", "drive 0\ntemperature-property 70 80 40\nfail open\n"},
        {"NVMe drive whose pages fail", "drive 0\nnvme\nfail identify\n"},
        {"ATA drive whose identify fails", "drive 0\nfail identify\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedMachine machine(c.text);
        EnumerateForLaterTicks(machine.drives);
        EXPECT_EQ(machine.drives.presentCount, 0u);
        EXPECT_EQ(machine.drives.table[0].present, 0u);
    }
}

}  // namespace
